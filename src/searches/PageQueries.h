#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace quillmoor {

// A saved entry taken apart: the search text and the site host, split at
// the entry's last " site:". Nothing when the entry has no such part, or its
// host is empty or holds a blank.
struct SiteSearch {
    QString text;
    QString host;
};
std::optional<SiteSearch> splitEntry(const QString& entry);

// The queries "Open All" opens when one page may cover several cities:
// neighbouring entries with the same search text become
// `text (site:a OR site:b ...)`, as many cities to a query as keep it within
// `wordLimit` words and `charLimit` characters (0: no limit); every site:
// term and every OR counts as a word. A text that leaves no room for two
// cities, and every other entry, opens as it is. List order is kept.
QStringList pageQueries(const QStringList& entries, int wordLimit, int charLimit);

// The entries each of `pages` covers, for pages made from `entries` in
// order (the entries themselves, or pageQueries() of them).
QList<QStringList> pageEntries(const QStringList& pages, const QStringList& entries);

} // namespace quillmoor
