#pragma once

#include <QString>
#include <QStringList>

namespace quillmoor {

// When the settings file changed on two computers before a sync tool could
// carry either change across, the tool keeps one side in place and the other
// beside it under a name of its own:
//   Syncthing          Marrowfen.sync-conflict-20261208-101010-ABCDEF7.ini
//   Nextcloud/ownCloud Marrowfen (conflicted copy 2026-12-08 101010).ini
//                      (with the user's name after "copy" in some versions)
//   Dropbox            Marrowfen (laptop's conflicted copy 2026-12-08).ini
// Whatever the losing side added lives only there; the program takes such
// copies in and then puts them away. Tools' temporary files beside the file
// (".syncthing.Marrowfen.ini.tmp" and the like) are never taken for one.

// Whether `name`, a bare file name, is a conflict copy of `settingsFile`.
bool isConflictCopy(const QString& settingsFile, const QString& name);

// The conflict copies beside `settingsFile`, as paths, oldest name first.
QStringList conflictCopiesOf(const QString& settingsFile);

// Where the copies taken in are put away: a folder of their own among the
// backups, kept within the backups' limits.
QString conflictCopiesFolder(const QString& backups);

// Moves a copy that was taken in there, under its own name (numbered when
// an earlier copy has it), and lets the oldest there go past the backups'
// limits. Answers where it went, or nothing when another copy of the
// program put it away first; throws Failure naming the copy when it cannot
// be moved.
QString putAwayConflictCopy(const QString& backups, const QString& copy);

} // namespace quillmoor
