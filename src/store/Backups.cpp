#include "Backups.h"

#include "CarefulFile.h"
#include "Failure.h"
#include "SearchesFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillmoor {

namespace {

    const QString kPrefix = QStringLiteral("searches-");
    const QString kSuffix = QStringLiteral(".txt");
    // Sorts as it reads: the names' order is the backups' order.
    const QString kStamp = QStringLiteral("yyyy-MM-dd'T'HHmmss");

    QDateTime madeAt(const QString& name)
    {
        if (!name.startsWith(kPrefix) || !name.endsWith(kSuffix))
            return {};
        return QDateTime::fromString(name.mid(kPrefix.size(), name.size() - kPrefix.size() - kSuffix.size()), kStamp);
    }

    // Every backup's file name, newest first.
    QStringList backupNames(const QString& folder)
    {
        QStringList names;
        const QStringList all = QDir(folder).entryList(
            { kPrefix + u'*' + kSuffix }, QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::Reversed);
        for (const QString& name : all) {
            if (madeAt(name).isValid())
                names << name;
        }
        return names;
    }

    void prune(const QString& folder)
    {
        const QDir dir(folder);
        qint64 bytes = 0;
        int kept = 0;
        for (const QString& name : backupNames(folder)) {
            bytes += QFileInfo(dir.filePath(name)).size();
            if (kept > 0 && (kept >= kBackupsKept || bytes > kBackupsBytes))
                QFile::remove(dir.filePath(name));
            else
                ++kept;
        }
    }

} // namespace

QString backupFolder(const QString& userDataFolder) { return userDataFolder + QStringLiteral("/backups"); }

bool hasBackupOf(const QString& folder, const QDate& day)
{
    for (const QString& name : backupNames(folder)) {
        if (madeAt(name).date() == day)
            return true;
    }
    return false;
}

QString keepBackup(const QString& folder, const QStringList& entries, const QDateTime& when)
{
    if (entries.isEmpty())
        return QString();
    if (!QDir().mkpath(folder))
        throw Failure(SearchStoreText::tr("The backup folder \"%1\" cannot be made.").arg(folder));
    // Two backups within a second: the later holds the list as it is now.
    const QString file = QDir(folder).filePath(kPrefix + when.toString(kStamp) + kSuffix);
    // Not the settings file: a backup never stands in for it.
    writeSearchesFile(file, entries, QString());
    prune(folder);
    return file;
}

QList<Backup> listBackups(const QString& folder)
{
    QList<Backup> backups;
    const QDir dir(folder);
    for (const QString& name : backupNames(folder)) {
        Backup backup { dir.filePath(name), madeAt(name), 0 };
        try {
            backup.searches = readSearchEntries(backup.file).size();
        } catch (const Failure&) {
            continue; // not one of ours any more
        }
        backups << backup;
    }
    return backups;
}

} // namespace quillmoor
