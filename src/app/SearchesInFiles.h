#pragma once

#include "SearchEngine.h"
#include "WhereToOpen.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace quillmoor {

// The saved searches in files of other programs' kinds, both ways.
//
// The searches a file to import brings, whatever kept them before: lines of
// search text, results pages' addresses (one a line), or a browser's
// bookmarks file, whose folders say which list each search belongs to. An
// address is turned back into its searches by `engines`; one that is no
// search of a city's site (the city's sub-site itself, any other page) is
// left out and counted, as is a bookmark that is no address of a page.
struct ImportCount {
    qsizetype leftOut = 0;
    bool bookmarks = false; // the file was a bookmarks file
};

// Hands `take` each search of the file at `path` with the folder it was in
// (empty outside any, and for every line of a text file); `restart` as
// forEachSearchInFile() calls it. Throws Failure as that does.
ImportCount forEachImportedSearch(const QString& path, const QList<SearchEngine>& engines,
    const std::function<void(const QString& folder, QString&& search)>& take, const std::function<void()>& restart);

// The engines whose pages an import reads back: every engine of the menu and
// `chosen` when it is the user's own.
QList<SearchEngine> enginesToRead(const SearchEngine& chosen);

// The names of the cities of the city list at `listPath` by their sites'
// hosts; empty when it cannot be read (an export then names hosts).
QHash<QString, QString> cityNamesByHost(const QString& listPath);

// What an export to `path` writes of `lists` (each a name and its entries):
// a bookmarks file of the pages Open All opens `where` it opens them, when
// the name ends in .html or .htm; else the entries of the first, one a line.
QByteArray exportedBytes(const QString& path, const QList<std::pair<QString, QStringList>>& lists,
    const WhereToOpen& where, const QString& listPath);

} // namespace quillmoor
