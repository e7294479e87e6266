#include "SearchMerge.h"

#include <QHash>

namespace quillmoor {

QStringList mergeSearches(const QStringList& atStart, const QStringList& mine, const QStringList& storedNow)
{
    // Entries of the start not yet matched by one of mine, with repeats.
    QHash<QString, qsizetype> unmatched;
    for (const QString& entry : atStart)
        ++unmatched[entry];
    // Takes one repeat of `entry` from `unmatched`, if one is left.
    const auto match = [&unmatched](const QString& entry) {
        const auto it = unmatched.find(entry);
        return it != unmatched.end() && *it > 0 && (--*it, true);
    };
    QStringList added;
    for (const QString& entry : mine) {
        if (!match(entry))
            added << entry;
    }
    // What is left unmatched was deleted here.
    QStringList merged;
    for (const QString& entry : storedNow) {
        if (!match(entry))
            merged << entry;
    }
    return merged + added;
}

} // namespace quillmoor
