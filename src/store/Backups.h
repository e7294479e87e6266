#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillmoor {

// Copies of the saved list to go back to past this session: made at the
// first save of each day, and before a change of the whole list (Clear All,
// an import, a restore). Each is a plain UTF-8 file of one search a line,
// which Import reads too, named by the universal time it was made; the
// newest are kept, within a few megabytes in all. All throw Failure with a
// sentence naming the file.

struct Backup {
    QString file;
    QDateTime made; // in local time
    qsizetype searches = 0;
};

constexpr int kBackupsKept = 15;
// However many, never more than this in all; the newest is always kept.
constexpr qint64 kBackupsBytes = qint64(8) << 20;

// A backup's name for the moment `when`, and the moment (in local time) a
// name stands for; invalid for a name that is no backup's. Names of the form
// "searches-2026-12-09T041500.txt", written by earlier versions in local
// time, are read too.
QString backupNameFor(const QDateTime& when);
QDateTime backupTimeOf(const QString& name);

// Where the backups are kept: "backups" in the user's folder for the
// program's files.
QString backupFolder(const QString& userDataFolder);

// Whether a backup was made on `day` (local). Never throws.
bool hasBackupOf(const QString& folder, const QDate& day);

// Keeps `entries` as a backup made at `when` and lets the oldest go past
// the limits (never this one; one dated after `when` counts as the oldest);
// answers its name. An empty list is not worth a backup: then
// nothing is written and the name is empty.
QString keepBackup(const QString& folder, const QStringList& entries, const QDateTime& when);

// The backups in `folder`, newest first by the time each names, with how
// many searches each holds (counted as read, not held); where not
// `counted`, -1 for each, and one no longer ours is listed too.
QList<Backup> listBackups(const QString& folder, bool counted = true);
// How many searches the backup `file` holds, counted as read; -1 where it is
// no longer one of ours. Never throws.
qsizetype countBackup(const QString& file);

} // namespace quillmoor
