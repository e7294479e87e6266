#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace quillmoor {

// Searches saved more than once, and searches with one search text: what a
// long list needs to be found and tidied in. Entries are compared exactly.

// The entries of `adding` that `saved` does not hold yet, in their order;
// `already` counts those left out. Repeats within `adding` stay: only what
// was saved before counts as saved.
QStringList notYetSaved(const QStringList& adding, const QStringList& saved, qsizetype& already);

// What an import says it did: "3 searches added, 2 already saved." With
// `leftOut` bookmarks (or addresses, one a line) that were no search: "..., 7
// bookmarks that are no search left out."
QString additionText(qsizetype added, qsizetype already, qsizetype leftOut = 0, bool bookmarks = false);
// "7 bookmarks that are no search left out", or of addresses.
QString leftOutText(qsizetype leftOut, bool bookmarks);

// The rows (ascending) whose entry an earlier row holds already: taking
// them out leaves the first of each repeated search.
QList<qsizetype> repeatedRows(const QStringList& entries);

// The rows (ascending) whose search text (before " site:") is `text`.
QList<qsizetype> rowsWithSearchText(const QStringList& entries, const QString& text);

// The search texts of `entries`, newest (last) first, each once, without
// their " site:host": the texts to offer while a new one is typed.
QStringList recentSearchTexts(const QStringList& entries);

} // namespace quillmoor
