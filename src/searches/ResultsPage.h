#pragma once

#include "BookmarksHtml.h"
#include "WhereToOpen.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace quillmoor {

// A results page's address turned back into the searches it came from, for
// searches kept as bookmarks or as a list of addresses. An engine's page is
// known by its scheme, host and path, and the parameter (or part of the
// path) its query goes in; the query is decoded as a form is (`+` is a
// blank). `text site:host` gives that one search, the page for several
// cities `text (site:a OR site:b ...)` one search per city; any other
// parameter (an age) is no part of the text.

// Whether `line` is a web address (http or https) rather than search text;
// blanks in it are taken as a browser's bar shows them.
bool isWebAddress(const QString& line);

// The query on the results page at `address` of one of `engines`; nothing
// when it is no such page.
std::optional<QString> resultsPageQuery(const QString& address, const QList<SearchEngine>& engines);

// The saved-search entries a query stands for: empty when it is no search
// of a city's site.
QStringList searchesOfQuery(const QString& query);

// Both of the above: the searches of the results page at `address`.
QStringList searchesOfAddress(const QString& address, const QList<SearchEngine>& engines);

// The lists as a bookmarks file's folders, in order: each page Open All
// opens (`where` it opens) a bookmark of that page, titled with its text and
// the name `cityName` gives each of its cities' hosts ("road bike – Boston").
QList<BookmarkFolder> searchesAsBookmarks(const QList<std::pair<QString, QStringList>>& lists, const WhereToOpen& where,
    const std::function<QString(const QString& host)>& cityName);

} // namespace quillmoor
