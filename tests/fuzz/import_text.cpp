// A file given to --import, from any bytes: read or refused with a sentence,
// never a crash; every entry is already what the rule for an entry's text
// makes of it (one line, nothing that steers a terminal), and reading it
// whole gives what reading it piece by piece gave.
#include "EntryText.h"
#include "Failure.h"
#include "FuzzCheck.h"
#include "SearchesFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <optional>

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("searches.txt"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size());
    }
    QStringList taken;
    std::optional<QString> refused;
    try {
        forEachSearchInFile(
            path, [&](QString&& entry) { taken << std::move(entry); }, [&] { taken.clear(); });
    } catch (const Failure& why) {
        refused = why.description();
    }
    if (refused) {
        FUZZ_CHECK(!refused->isEmpty() && refused->contains(path));
        return 0;
    }
    FUZZ_CHECK(taken.size() <= bytes.count('\n') + bytes.count('\r') + 1);
    for (const QString& entry : taken) {
        FUZZ_CHECK(!entry.isEmpty());
        FUZZ_CHECK(!entry.contains(u'\n') && !entry.contains(u'\r'));
        FUZZ_CHECK(entryText(entry) == entry);
    }
    FUZZ_CHECK(readSearchEntries(path) == taken);
    return 0;
}
