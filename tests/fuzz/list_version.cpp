// The version beside the saved list, as any file may hold it: whatever the
// text, reading it never fails, reads back as itself once written, and the
// next save from it descends from it while a sibling save does not.
#include "FuzzCheck.h"
#include "ListVersion.h"

using namespace quillmoor;

namespace {

bool same(const ListVersion& a, const ListVersion& b)
{
    return a.line == b.line && a.saves == b.saves && a.marks == b.marks;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const ListVersion read = ListVersion::of(text, QStringLiteral("a|"));
    FUZZ_CHECK(!read.isNone() && read.saves >= 0 && read.marks.size() <= 16);
    FUZZ_CHECK(same(ListVersion::of(read.text(), QStringLiteral("b|")), read));
    FUZZ_CHECK(read.leadsTo(read));

    const ListVersion next = ListVersion::after(read);
    const ListVersion sibling = ListVersion::after(read);
    FUZZ_CHECK(read.leadsTo(next) && read.leadsTo(ListVersion::after(next)));
    FUZZ_CHECK(!next.leadsTo(read) || same(next, read));
    // Two draws of one mark are the one case where siblings look alike.
    if (next.marks.constFirst() != sibling.marks.constFirst())
        FUZZ_CHECK(!next.leadsTo(sibling) && !sibling.leadsTo(ListVersion::after(next)));

    // A list kept at the parent is the base either sibling merges from.
    KnownSaves known(read, { QStringLiteral("a") });
    known.add(next, { QStringLiteral("a"), QStringLiteral("x") });
    FUZZ_CHECK(listToStore(known, { "a", "x" }, sibling.text(), QStringLiteral("a|y|")).entries
        == QStringList({ "a", "x", "y" }));
    return 0;
}
