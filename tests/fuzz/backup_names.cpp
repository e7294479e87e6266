// Backups' names, from any text, and from any moment: a name is read as a
// moment only when it is one the program could have written (its own, in
// universal time, or an earlier version's in local time), and a moment's
// name reads back as that moment, so the order the names give is the
// order the backups were made in.
#include "Backups.h"
#include "FuzzCheck.h"

#include <cstring>

using namespace quillmoor;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QDateTime made = backupTimeOf(name);
    if (made.isValid()) {
        FUZZ_CHECK(name.startsWith(QLatin1String("searches-")) && name.endsWith(QLatin1String(".txt")));
        FUZZ_CHECK(backupTimeOf(backupNameFor(made)) == made);
    }
    // The first eight bytes as seconds: every moment of the years a name
    // has four digits for names itself and reads back.
    qint64 seconds = 0;
    std::memcpy(&seconds, data, qMin(size, sizeof seconds));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(seconds % (qint64(300000) * 86400 * 365), Qt::UTC);
    if (when.isValid() && when.date().year() >= 1 && when.date().year() <= 9999) {
        const QString own = backupNameFor(when);
        FUZZ_CHECK(backupTimeOf(own) == when);
        FUZZ_CHECK(backupTimeOf(own).toUTC() == when);
    }
    return 0;
}
