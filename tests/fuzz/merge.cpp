// The three-way merge of two copies' lists from any three lists: what it
// promises whatever the lists. Each byte is an entry from a small alphabet,
// so repeats are common; 0xFF ends a list (base, then this copy's, then
// the file's).
#include "FuzzCheck.h"
#include "SearchMerge.h"

#include <QHash>

using namespace quillmoor;

namespace {

QHash<QString, qsizetype> counted(const QStringList& entries)
{
    QHash<QString, qsizetype> counts;
    for (const QString& entry : entries)
        ++counts[entry];
    return counts;
}

// Whether `part` is `whole` with some entries left out, the rest in order.
bool inOrderWithin(const QStringList& part, const QStringList& whole)
{
    qsizetype at = 0;
    for (const QString& entry : whole) {
        if (at < part.size() && part[at] == entry)
            ++at;
    }
    return at == part.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QStringList lists[3];
    int list = 0;
    for (size_t i = 0; i < size && list < 3; ++i) {
        if (data[i] == 0xFF)
            ++list;
        else
            lists[list] << QString(QChar(u'a' + data[i] % 6));
    }
    const QStringList& base = lists[0];
    const QStringList& mine = lists[1];
    const QStringList& theirs = lists[2];
    const QStringList merged = mergeSearches(base, mine, theirs);

    // One side that changed nothing takes the other's list as it is.
    if (mine == base)
        FUZZ_CHECK(merged == theirs);
    if (theirs == base)
        FUZZ_CHECK(merged == mine);
    // Which side is which changes the order, never what is kept.
    FUZZ_CHECK(counted(merged) == counted(mergeSearches(base, theirs, mine)));
    // Both sides making the same change make it once.
    FUZZ_CHECK(counted(mergeSearches(base, mine, mine)) == counted(mine));
    // Nothing comes from nowhere: no entry more often than both sides hold
    // it together.
    const QHash<QString, qsizetype> ours = counted(mine), others = counted(theirs), kept = counted(merged);
    for (auto it = kept.cbegin(); it != kept.cend(); ++it)
        FUZZ_CHECK(it.value() <= ours.value(it.key()) + others.value(it.key()));
    // Where both changed something, this copy's entries keep its order, and
    // what the others added follows in the file's order.
    if (mine == base || theirs == base)
        return 0;
    qsizetype fromMine = 0;
    QHash<QString, qsizetype> left = ours;
    while (fromMine < merged.size() && left.value(merged[fromMine]) > 0)
        --left[merged[fromMine++]];
    FUZZ_CHECK(inOrderWithin(merged.mid(0, fromMine), mine));
    FUZZ_CHECK(inOrderWithin(merged.mid(fromMine), theirs));
    return 0;
}
