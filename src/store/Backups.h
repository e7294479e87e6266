#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillmoor {

// Copies of the saved list to go back to past this session: made at the
// first save of each day, and before a change of the whole list (Clear All,
// an import, a restore). Each is a plain UTF-8 file of one search a line,
// which Import reads too, named by when it was made; the newest are kept,
// within a few megabytes in all. All throw Failure with a sentence naming
// the file.

struct Backup {
    QString file;
    QDateTime made;
    qsizetype searches = 0;
};

constexpr int kBackupsKept = 15;
// However many, never more than this in all; the newest is always kept.
constexpr qint64 kBackupsBytes = qint64(8) << 20;

// Where the backups are kept: "backups" in the user's folder for the
// program's files.
QString backupFolder(const QString& userDataFolder);

// Whether a backup was made on `day`.
bool hasBackupOf(const QString& folder, const QDate& day);

// Keeps `entries` as a backup made at `when` and lets the oldest go past
// the limits; answers its name. An empty list is not worth a backup: then
// nothing is written and the name is empty.
QString keepBackup(const QString& folder, const QStringList& entries, const QDateTime& when);

// The backups in `folder`, newest first, with how many searches each holds.
QList<Backup> listBackups(const QString& folder);

} // namespace quillmoor
