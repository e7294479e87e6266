// The rule for a saved search's text from any text: what it gives is already
// an entry, one line with no control character and no byte-order mark at its
// start, so a list read back or imported again keeps its entries as they
// are. The first byte picks whether the rest is UTF-8 or UTF-16 code units
// (which may hold half of a surrogate pair).
#include "EntryText.h"
#include "FuzzCheck.h"

#include <cstring>

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const qsizetype length = qsizetype(size - 1);
    QString text;
    if (data[0] & 1) {
        text.resize(length / 2);
        std::memcpy(text.data(), bytes, size_t(text.size()) * 2);
    } else {
        text = QString::fromUtf8(bytes, length);
    }
    const QString entry = entryText(text);
    FUZZ_CHECK(entryText(entry) == entry);
    FUZZ_CHECK(entry.isNull() || !entry.trimmed().isEmpty());
    FUZZ_CHECK(!entry.startsWith(u'\uFEFF'));
    for (const QChar c : entry)
        FUZZ_CHECK(!isEntryControl(c.unicode()));
    return 0;
}
