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

    // The bytes as the whole settings file; `whole` when all of it is INI
    // and the key holds text.
    const auto readBack = [&](const QByteArray& file, bool* whole) {
        const IniScan scan = scanIni(file);
        const IniRead read = readIniKey(file, scan, section, key);
        *whole = read.isText && !scan.hasUnclosedHeader();
        return read.text;
    };
    bool whole = false;
    const QString value = readBack(bytes, &whole);
    const QStringList entries = storedEntries(value);
    roundTrip(entries);
    const QString stored = storedValue(entries);
    std::optional<QByteArray> saved = withIniValues(bytes, section, { { key, stored } });
    if (!saved) // nothing lets the list stand beside what the file holds: a new file holds it
        saved = withIniValues(QByteArray(), section, { { key, stored } });
    FUZZ_CHECK(saved.has_value());
    bool savedWhole = false;
    FUZZ_CHECK(readBack(*saved, &savedWhole) == stored && savedWhole);

    // The bytes as the value itself.
    roundTrip(storedEntries(QString::fromUtf8(bytes)));
    return 0;
}
