// Any bytes as the settings file, read by the program and by QSettings
// itself: every key must read the same (the saved searches as text, with
// commas as text), or the program must call the value no text where
// QSettings finds none. Then a list is saved into the file: QSettings must
// read it back, every other key as before, with no second section; saving it
// again changes nothing.
#include "FuzzCheck.h"
#include "SearchStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>

using namespace quillmoor;

namespace {

const QString kSection = QStringLiteral("Quillmoor");
const QString kKey = QStringLiteral("Quillmoor/Searches");

// The program reads half of a surrogate pair as U+FFFD.
QString fixed(const QString& text) { return withoutLoneSurrogates(text); }

// QSettings tidies the slashes of a name it is asked for, so it lists such a
// key but reads nothing under it.
bool untidy(const QString& key)
{
    return key.isEmpty() || key.startsWith(u'/') || key.endsWith(u'/') || key.contains(u"//");
}

// Everything QSettings reads from the bytes, each time from a file of its
// own: QSettings keeps what it read of a path.
QVariantMap settingsRead(const QByteArray& bytes)
{
    // In memory where there is such a folder: a file is written per input.
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/settings_file-XXXXXX")
                                                                       : QDir::tempPath() + "/settings_file-XXXXXX");
    static int files = 0;
    const QString path = dir.filePath(QString::number(++files) + QStringLiteral(".ini"));
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QVariantMap read;
    {
        const QSettings settings(path, QSettings::IniFormat);
        for (const QString& key : settings.allKeys())
            read.insert(key, untidy(key) ? QVariant() : settings.value(key));
    }
    QFile::remove(path);
    return read;
}

// QSettings decodes "@Variant(…)" values, which may ask for any amount of
// memory; the program never does. Such files are not shown to QSettings.
bool holdsSerializedValues(const QByteArray& bytes, const IniScan& scan)
{
    for (const IniEntry& e : scan.entries) {
        for (const QString& item : decodeIniValue(bytes.sliced(e.valueStart, e.end - e.valueStart), true)) {
            if (item.startsWith(u"@Variant(") || item.startsWith(u"@DateTime("))
                return true;
        }
    }
    return false;
}

// One item as QSettings holds it against the program's reading of it.
bool sameItem(const QString& decoded, const QVariant& held)
{
    const std::optional<QString> text = iniText(decoded);
    const int type = held.metaType().id();
    if (type != QMetaType::QString && type != QMetaType::QByteArray)
        return !text;
    return text && *text == fixed(held.toString());
}

// Every key QSettings reads, and only those, read the same by the program.
void sameKeys(const QByteArray& bytes, const IniScan& scan, const QVariantMap& held)
{
    QSet<QString> keys;
    for (const IniEntry& e : scan.entries)
        keys.insert(e.key);
    FUZZ_CHECK(keys.size() == held.size());
    for (auto it = held.cbegin(); it != held.cend(); ++it) {
        const qsizetype at = scan.winner(it.key());
        FUZZ_CHECK(at >= 0);
        if (untidy(it.key()))
            continue;
        const IniEntry& e = scan.entries[at];
        bool list = false;
        const QStringList items = decodeIniValue(bytes.sliced(e.valueStart, e.end - e.valueStart), true, &list);
        const QVariantList heldItems = list ? it.value().toList() : QVariantList { it.value() };
        FUZZ_CHECK(items.size() == heldItems.size());
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (!sameItem(items[i], heldItems[i]))
                qWarning() << "under" << it.key() << "read" << items[i] << "where QSettings reads" << heldItems[i];
            FUZZ_CHECK(sameItem(items[i], heldItems[i]));
        }
    }
}

// The list the program saves: entries taken from the bytes, and a few that
// have been hard to store.
QStringList entriesFrom(const QByteArray& bytes)
{
    QStringList entries = storedEntries(QString::fromUtf8(bytes)).mid(0, 8);
    entries += storedEntries(QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2))
                   .mid(0, 8);
    entries << QStringLiteral("\uFEFFfirst") << QStringLiteral("\t\uFEFF after an escape") << QStringLiteral("@x, y")
            << QStringLiteral(" a|b ");
    return entries;
}

void savedReadsBack(const QByteArray& bytes, const QVariantMap& before)
{
    const QString value = storedValue(entriesFrom(bytes));
    std::optional<QByteArray> saved = withIniValues(bytes, kSection, { { QStringLiteral("Searches"), value } });
    const bool aside = !saved;
    if (aside) // kept aside whole; a new file holds the list
        saved = withIniValues(QByteArray(), kSection, { { QStringLiteral("Searches"), value } });
    FUZZ_CHECK(saved.has_value());
    const QVariantMap after = settingsRead(*saved);
    FUZZ_CHECK(after.value(kKey).metaType().id() == QMetaType::QString);
    FUZZ_CHECK(fixed(after.value(kKey).toString()) == fixed(value));
    FUZZ_CHECK(storedEntries(after.value(kKey).toString()) == storedEntries(fixed(value)));
    for (auto it = before.cbegin(); it != before.cend() && !aside; ++it) {
        if (it.key() != kKey && after.value(it.key()) != it.value())
            qWarning() << "after the save" << it.key() << "reads" << after.value(it.key()) << "not" << it.value();
        FUZZ_CHECK(it.key() == kKey || after.value(it.key()) == it.value());
    }
    const auto sections = [](const IniScan& scan) {
        return std::count_if(scan.headers.cbegin(), scan.headers.cend(),
            [](const IniHeader& h) { return h.section == QStringLiteral("Quillmoor/"); });
    };
    FUZZ_CHECK(sections(scanIni(*saved)) <= std::max<qsizetype>(1, sections(scanIni(bytes))));
    FUZZ_CHECK(withIniValues(*saved, kSection, { { QStringLiteral("Searches"), value } }) == saved);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const IniScan scan = scanIni(bytes);
    if (holdsSerializedValues(bytes, scan))
        return 0;
    const QVariantMap held = settingsRead(bytes);
    sameKeys(bytes, scan, held);

    // The saved searches as the window shows them: commas are text.
    const IniRead read = readIniKey(bytes, scan, kSection, QStringLiteral("Searches"));
    const int type = held.value(kKey).metaType().id();
    if (!held.contains(kKey))
        FUZZ_CHECK(!read.present && read.text.isEmpty());
    else if (type == QMetaType::QString || type == QMetaType::QByteArray)
        FUZZ_CHECK(read.isText && read.text == fixed(held.value(kKey).toString()));
    else if (type != QMetaType::QStringList && type != QMetaType::QVariantList)
        FUZZ_CHECK(!read.isText);
    savedReadsBack(bytes, held);
    return 0;
}
