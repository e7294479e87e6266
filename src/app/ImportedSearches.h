#pragma once

#include "SearchEngine.h"

#include <QList>
#include <QString>
#include <functional>

namespace quillmoor {

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

} // namespace quillmoor
