#include "CarefulFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmoor {

namespace {

    QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    QString diskFull() { return SearchStoreText::tr("the disk did not take the whole list (is it full?)"); }

    // How long a save waits for another program that is writing the file.
    constexpr int kLockWaitMs = 10000;

    // Writes everything and syncs it. A short write is the one case of a
    // disk that is full (or a file that may grow no larger).
    void writeAll(int fd, const QByteArray& bytes)
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t put = ::write(fd, bytes.constData() + done, bytes.size() - done);
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                if (put == 0 || errno == ENOSPC || errno == EFBIG || errno == EDQUOT)
                    throw FileTrouble { diskFull() };
                throw FileTrouble { errnoText(errno) };
            }
            done += put;
        }
        if (::fsync(fd) != 0)
            throw FileTrouble { errno == ENOSPC || errno == EDQUOT ? diskFull() : errnoText(errno) };
    }

} // namespace

QString resolveLinks(const QString& file)
{
    QString path = QFileInfo(file).absoluteFilePath();
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        QByteArray target(PATH_MAX, '\0');
        const ssize_t length = ::readlink(QFile::encodeName(path).constData(), target.data(), target.size());
        if (length < 0)
            throw FileTrouble { errnoText(errno) };
        target.truncate(length);
        path = QDir::cleanPath(QFileInfo(path).absoluteDir().absoluteFilePath(QFile::decodeName(target)));
    }
    throw FileTrouble { SearchStoreText::tr("its links go round in a circle") };
}

// Opening without blocking lets the check be made on what was really opened:
// a pipe would wait for a writer and a device could answer without end.
FileBytes readOrdinaryFile(const QString& path)
{
    FileBytes file;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // Nothing stored yet, or a file where the folder should be: the save
        // says so if it cannot make the folder.
        if (errno == ENOENT || errno == ENOTDIR)
            return file;
        throw FileTrouble { errnoText(errno) };
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0)
        throw FileTrouble { errnoText(errno) };
    if (!S_ISREG(st.st_mode))
        throw FileTrouble { SearchStoreText::tr("it is not an ordinary file") };
    file.exists = true;
    file.mode = st.st_mode & 07777;
    file.bytes.reserve(st.st_size);
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw FileTrouble { errnoText(errno) };
        if (got == 0)
            break;
        file.bytes.append(block, got);
    }
    return file;
}

std::unique_ptr<QLockFile> lockForWriting(const QString& file)
{
    auto lock = std::make_unique<QLockFile>(QFileInfo(file).absoluteFilePath() + QStringLiteral(".lock"));
    if (!lock->tryLock(kLockWaitMs))
        throw FileTrouble { lock->error() == QLockFile::LockFailedError
                ? SearchStoreText::tr("another program keeps it locked")
                : SearchStoreText::tr("its lock file cannot be made") };
    return lock;
}

void replaceFile(const QString& target, const FileBytes& old, const QByteArray& bytes)
{
    // The target is passed with its links resolved, so the save never
    // replaces a link with a file.
    QSaveFile staged(target);
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileTrouble { staged.errorString() };
    if (::fchmod(staged.handle(), old.exists ? old.mode & ~mode_t(S_IWOTH) : 0600) != 0)
        throw FileTrouble { errnoText(errno) };
    writeAll(staged.handle(), bytes);
    if (!staged.commit())
        throw FileTrouble { staged.errorString() };
    // The rename itself must reach the disk too.
    const int folder
        = ::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || ::fsync(folder) != 0) {
        const int error = errno;
        if (folder >= 0)
            ::close(folder);
        throw FileTrouble { SearchStoreText::tr("its folder could not be synced: %1").arg(errnoText(error)) };
    }
    ::close(folder);
}

std::pair<QString, bool> keepAside(const QString& file, const QByteArray& bytes)
{
    for (int n = 1; n <= 100; ++n) {
        const QString name = file + QStringLiteral(".unreadable") + (n > 1 ? u'.' + QString::number(n) : QString());
        const int fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            const auto closeFd = qScopeGuard([fd] { ::close(fd); });
            try {
                writeAll(fd, bytes);
            } catch (const FileTrouble&) {
                ::unlink(QFile::encodeName(name).constData());
                throw;
            }
            return { name, true };
        }
        if (errno != EEXIST)
            throw FileTrouble { SearchStoreText::tr("it cannot be kept as \"%1\": %2").arg(name, errnoText(errno)) };
        try {
            if (readOrdinaryFile(name).bytes == bytes)
                return { name, false };
        } catch (const FileTrouble&) {
            // Something else holds that name; try the next one.
        }
    }
    throw FileTrouble { SearchStoreText::tr("no free name is left to keep it aside") };
}

} // namespace quillmoor
