#include "Backups.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "SearchesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace quillmoor {

namespace {

    const QString kPrefix = QStringLiteral("searches-");
    const QString kSuffix = QStringLiteral(".txt");
    // Named by universal time, with its "Z": a name that cannot lie about
    // the order when the clocks go back. Names without the "Z", written by
    // earlier versions, are local time.
    const QString kStamp = QStringLiteral("yyyy-MM-dd'T'HHmmss");

    struct Named {
        QString name;
        QDateTime made;
    };

} // namespace

QDateTime backupTimeOf(const QString& name)
{
    if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
        return {};
    const QStringView stamp = QStringView(name).sliced(kPrefix.size()).chopped(kSuffix.size());
    const bool universal = stamp.size() == 18 && stamp.back() == u'Z';
    if (stamp.size() != (universal ? 18 : 17) || stamp[10] != u'T')
        return {};
    // The date and the time read apart: a local time the clocks skipped
    // still names a moment.
    const QDate date = QDate::fromString(stamp.first(10).toString(), QStringLiteral("yyyy-MM-dd"));
    const QTime time = QTime::fromString(stamp.sliced(11, 6).toString(), QStringLiteral("HHmmss"));
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, universal ? Qt::UTC : Qt::LocalTime).toLocalTime();
}

QString backupNameFor(const QDateTime& when) { return kPrefix + when.toUTC().toString(kStamp) + u'Z' + kSuffix; }

namespace {

    // The folder with its links resolved; one through a link that is not
    // followed is refused before anything is made or read there.
    QString resolvedFolder(const QString& folder)
    {
        try {
            return resolveLinks(folder);
        } catch (const FileTrouble& why) {
            throw Failure(SearchStoreText::tr("The backup folder \"%1\" cannot be used: %2.").arg(folder, why.text));
        }
    }

    // Every backup in a resolved folder, newest first; one made at the same
    // second as another follows it by name.
    QList<Named> backupNames(const QString& folder)
    {
        QList<Named> names;
        const QStringList all = QDir(folder).entryList({ kPrefix + u'*' + kSuffix }, QDir::Files | QDir::NoSymLinks);
        for (const QString& name : all) {
            if (const QDateTime made = backupTimeOf(name); made.isValid())
                names << Named { name, made };
        }
        std::sort(names.begin(), names.end(),
            [](const Named& a, const Named& b) { return a.made != b.made ? a.made > b.made : a.name > b.name; });
        return names;
    }

    // The backups past the limits go, the oldest first. The one just made
    // is always kept, and one dated after it (a clock that was once wrong)
    // counts as the oldest: it never pushes a true one out.
    void prune(const QString& folder, const QString& newest, const QDateTime& now)
    {
        QList<Named> names = backupNames(folder);
        if (names.isEmpty())
            return;
        std::stable_partition(names.begin(), names.end(), [&](const Named& n) { return n.name == newest; });
        std::stable_partition(names.begin() + 1, names.end(), [&](const Named& n) { return n.made <= now; });
        const QDir dir(folder);
        qint64 bytes = 0;
        int kept = 0;
        for (const Named& named : std::as_const(names)) {
            bytes += QFileInfo(dir.filePath(named.name)).size();
            if (kept > 0 && (kept >= kBackupsKept || bytes > kBackupsBytes))
                QFile::remove(dir.filePath(named.name));
            else
                ++kept;
        }
    }

} // namespace

QString backupFolder(const QString& userDataFolder) { return userDataFolder + QStringLiteral("/backups"); }

bool hasBackupOf(const QString& folder, const QDate& day)
{
    // A folder that cannot be used has none: making one says why.
    QList<Named> names;
    try {
        names = backupNames(resolvedFolder(folder));
    } catch (const Failure&) {
        return false;
    }
    return std::any_of(names.cbegin(), names.cend(), [&](const Named& n) { return n.made.date() == day; });
}

QString keepBackup(const QString& folder, const QStringList& entries, const QDateTime& when)
{
    if (entries.isEmpty())
        return QString();
    const QString resolved = resolvedFolder(folder);
    if (!QDir().mkpath(resolved))
        throw Failure(SearchStoreText::tr("The backup folder \"%1\" cannot be made.").arg(folder));
    // Two backups within a second: the later holds the list as it is now.
    const QString name = backupNameFor(when);
    const QString file = QDir(folder).filePath(name);
    // Not the settings file: a backup never stands in for it.
    writeSearchesFile(file, entries, QString());
    prune(resolved, name, when);
    return file;
}

qsizetype countBackup(const QString& file)
{
    qsizetype searches = 0;
    // Counted as read, never held: a backup may be megabytes.
    try {
        forEachSearchInFile(
            file, [&](QString&&) { ++searches; }, [&] { searches = 0; });
    } catch (const std::exception&) {
        return -1; // no longer one of ours, or past what memory holds
    }
    return searches;
}

QList<Backup> listBackups(const QString& folder, bool counted)
{
    QList<Backup> backups;
    const QDir dir(folder);
    for (const Named& named : backupNames(resolvedFolder(folder))) {
        Backup backup { dir.filePath(named.name), named.made, counted ? countBackup(dir.filePath(named.name)) : -1 };
        if (!counted || backup.searches >= 0)
            backups << backup;
    }
    return backups;
}

} // namespace quillmoor
