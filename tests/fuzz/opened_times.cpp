// When searches were opened, from any stored value: every time read is one
// that can be stored; what a save stores reads back as the same record; and
// the list's words for each time always say something, never "today at"
// without a time.
#include "FuzzCheck.h"
#include "OpenedRecord.h"
#include "OpenedShown.h"

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString value = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const OpenedRecord record = openedRecordFromText(value);
    const QDateTime now = QDateTime::fromSecsSinceEpoch(1796720000);
    for (auto time = record.cbegin(); time != record.cend(); ++time) {
        FUZZ_CHECK(!time.key().isEmpty() && time.value() >= 0);
        const QString text = openedText(time.value(), now);
        FUZZ_CHECK(!text.isEmpty() && !text.endsWith(u' '));
    }
    // Stored over the value it came from, for the texts it holds: the
    // same record, once each.
    const QStringList entries = record.keys();
    const QString stored = mergedOpenedText(value, {}, entries);
    FUZZ_CHECK(openedRecordFromText(stored) == record);
    FUZZ_CHECK(stored.count(u'|') == entries.size());
    // Merged with itself, nothing changes.
    FUZZ_CHECK(mergedOpenedText(stored, record, entries) == stored);
    return 0;
}
