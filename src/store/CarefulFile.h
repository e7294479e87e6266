#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <memory>
#include <sys/types.h>
#include <utility>

class QLockFile;

namespace quillmoor {

// The store's texts for the user, under one translation context.
class SearchStoreText {
    Q_DECLARE_TR_FUNCTIONS(SearchStore)
};

// Careful work on the settings file, apart from what it holds. Each step
// throws FileTrouble with the reason it failed; the store turns that into a
// sentence naming the file.
struct FileTrouble {
    QString text;
};

// People keep their dotfiles elsewhere and link them in: the file to read
// and replace is the path with every link in it resolved, in its folders'
// places as in the file's, and the file need not exist yet. A link on the
// way that another user made in a shared folder such as /tmp is not
// followed (as the system's own rule for such folders has it): it may lead
// to any of this user's files.
QString resolveLinks(const QString& file);

// Why the links from `file` cannot be followed (as resolveLinks() finds), or
// empty: for a file written where QSaveFile follows the links itself.
QString linkTrouble(const QString& file);

struct FileBytes {
    bool exists = false;
    mode_t mode = 0;
    QByteArray bytes;
};

// A settings file holds one list at most as large as an imported file may be,
// written as text, beside a few settings: a larger one is no settings file,
// and reading it whole could take any amount of memory.
constexpr qint64 kLargestSettingsFile = qint64(512) << 20;

// Reads an ordinary file whole; a missing file reads as nothing. Anything
// else (a pipe, a device, a folder) is refused without waiting on it, and so
// is a file larger than kLargestSettingsFile, unread.
FileBytes readOrdinaryFile(const QString& path);

// How long a save waits for another program that is writing the file.
constexpr int kLockWaitMs = 10000;

// Takes the lock that every program saving through QSettings takes, waiting
// up to `waitMs` for another holder.
std::unique_ptr<QLockFile> lockForWriting(const QString& file, int waitMs = kLockWaitMs);

// Replaces `target` with `bytes` in one rename of a file staged beside it and
// synced, then syncs the folder, so a full disk or a crash leaves the old
// file whole and nothing staged behind. The new file keeps the old one's
// mode, except that not everyone may write it. Throws FileTrouble when the
// new file is not in place; answers a warning when it is, but the folder
// could not be synced.
QString replaceFile(const QString& target, const FileBytes& old, const QByteArray& bytes);

// A file that cannot be taken as it stands is kept whole beside itself, named
// with `suffix`. An earlier copy with other contents is never overwritten.
// Answers the copy's name, and whether it was made just now.
std::pair<QString, bool> keepAside(
    const QString& file, const QByteArray& bytes, const QString& suffix = QStringLiteral(".unreadable"));

// The names keepAside gives with `suffix`, in order.
QStringList asideNames(const QString& file, const QString& suffix);

} // namespace quillmoor
