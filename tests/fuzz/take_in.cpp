// Another copy's list taken into the one shown, from any two lists: the
// model ends holding exactly the new list, and the changes the diff tells
// (bounded or not) make the old list into the new one when applied, each
// within the old list, ascending, apart. The first byte bounds the diff's
// edits (low, so the bound is met often); the rest is the old list, a byte
// 0xFF, then the new one: each byte an entry of few texts, so that rows
// repeat and move as real lists' do.
#include "FuzzCheck.h"
#include "ListDiff.h"
#include "SearchListModel.h"

using namespace quillmoor;

namespace {

QStringList entriesOf(QByteArrayView bytes)
{
    QStringList entries;
    for (const char byte : bytes)
        entries << QStringLiteral("s%1 site:c.org").arg(uchar(byte) % 24);
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096)
        return 0;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const qsizetype cut = bytes.indexOf('\xff');
    const QStringList from = entriesOf(cut < 0 ? bytes : bytes.first(cut));
    const QStringList to = cut < 0 ? QStringList() : entriesOf(bytes.sliced(cut + 1));
    // The diff's changes, applied from the last up, give the new list.
    const SearchListModel::Changes changes = listDiff(from, to, 1 + data[0] % 16);
    QStringList made = from;
    qsizetype end = 0;
    for (const SearchListModel::Change& change : changes) {
        FUZZ_CHECK(change.first >= end && change.first + change.before.size() <= from.size());
        FUZZ_CHECK(from.mid(change.first, change.before.size()) == change.before);
        end = change.first + change.before.size() + 1;
    }
    for (auto change = changes.crbegin(); change != changes.crend(); ++change) {
        made.remove(change->first, change->before.size());
        for (qsizetype i = 0; i < change->after.size(); ++i)
            made.insert(change->first + i, change->after.at(i));
    }
    FUZZ_CHECK(made == to);
    // Taken into the model shown, the same.
    SearchListModel model;
    model.restore(from);
    model.takeIn(to);
    FUZZ_CHECK(model.entries() == to);
    return 0;
}
