// The saved searches from any settings file: the value under the key, its
// entries, and back. Entries are never empty; entries give a stored value
// that gives the same entries; and that value, written into the file, reads
// back as it was written.
#include "FuzzCheck.h"
#include "SearchStore.h"

using namespace quillmoor;

namespace {

void roundTrip(const QStringList& entries)
{
    for (const QString& entry : entries)
        FUZZ_CHECK(!entry.isEmpty());
    FUZZ_CHECK(storedEntries(storedValue(entries)) == entries);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString section = QStringLiteral("Quillmoor"), key = QStringLiteral("Searches");

    // The bytes as the whole settings file.
    bool whole = false;
    const QString value = iniValue(bytes, section, key, &whole);
    const QStringList entries = storedEntries(value);
    roundTrip(entries);
    const QString stored = storedValue(entries);
    std::optional<QByteArray> saved = withIniValue(bytes, section, key, stored);
    if (!saved) // nothing lets the list stand beside what the file holds: a new file holds it
        saved = withIniValue(QByteArray(), section, key, stored);
    FUZZ_CHECK(saved.has_value());
    bool savedWhole = false;
    FUZZ_CHECK(iniValue(*saved, section, key, &savedWhole) == stored && savedWhole);

    // The bytes as the value itself.
    roundTrip(storedEntries(QString::fromUtf8(bytes)));
    return 0;
}
