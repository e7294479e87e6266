#include "SearchMerge.h"

#include <QHash>

#include <algorithm>
#include <cstdlib>

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
    // Where only one side changed anything, its list is the merge, order
    // and all: copies that take each other's changes in agree at once.
    if (mine == base)
        return storedNow;
    if (storedNow == base)
        return mine;
    // How many of each entry the merge keeps: the base's count, changed by
    // what each side did to it. A change both sides made alike, such as
    // deleting the same one of two repeats or adding the same search, is
    // one change; changes that differ add up.
    const Counts inBase = counted(base);
    const Counts inMine = counted(mine);
    const Counts inStored = counted(storedNow);
    Counts kept;
    const auto keep = [&](const QString& entry) {
        if (kept.contains(entry))
            return;
        const qsizetype was = inBase.value(entry);
        const qsizetype ours = inMine.value(entry) - was;
        const qsizetype theirs = inStored.value(entry) - was;
        const bool alike = (ours > 0 && theirs > 0) || (ours < 0 && theirs < 0);
        const qsizetype change = alike ? (std::abs(ours) > std::abs(theirs) ? ours : theirs) : ours + theirs;
        kept.insert(entry, std::max<qsizetype>(0, was + change));
    };
    // This copy's order first, then what the others added, in the file's
    // order; repeats of an entry are alike, so which of them goes is moot.
    QStringList merged;
    merged.reserve(std::max(mine.size(), storedNow.size()));
    for (const QStringList* side : { &mine, &storedNow }) {
        for (const QString& entry : *side) {
            keep(entry);
            if (take(kept, entry))
                merged << entry;
        }
    }
    return merged;
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

qsizetype addedCount(const QStringList& before, const QStringList& after)
{
    Counts present = counted(before);
    return std::count_if(after.cbegin(), after.cend(), [&](const QString& entry) { return !take(present, entry); });
}

} // namespace quillmoor
