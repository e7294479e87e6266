#include "SearchMerge.h"

#include <QHash>

namespace quillmoor {

namespace {

    using Counts = QHash<QString, qsizetype>;

    Counts counted(const QStringList& entries)
    {
        Counts counts;
        for (const QString& entry : entries)
            ++counts[entry];
        return counts;
    }

    // Takes one repeat of `entry` from `counts`, if one is left.
    bool take(Counts& counts, const QString& entry)
    {
        const auto it = counts.find(entry);
        return it != counts.end() && *it > 0 && (--*it, true);
    }

} // namespace

QStringList mergeSearches(const QStringList& base, const QStringList& mine, const QStringList& storedNow)
{
    // What of the base is still stored; what is left unmatched the others
    // deleted, and what matches nothing of the base they added.
    Counts deleted = counted(base);
    QStringList added;
    for (const QString& entry : storedNow) {
        if (!take(deleted, entry))
            added << entry;
    }
    QStringList merged;
    merged.reserve(mine.size() + added.size());
    for (const QString& entry : mine) {
        if (!take(deleted, entry))
            merged << entry;
    }
    return merged + added;
}

QStringList addSearches(const QStringList& mine, const QStringList& other)
{
    Counts present = counted(mine);
    QStringList joined = mine;
    for (const QString& entry : other) {
        if (!take(present, entry))
            joined << entry;
    }
    return joined;
}

} // namespace quillmoor
