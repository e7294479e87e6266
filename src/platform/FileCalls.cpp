#include "FileCalls.h"

#include "PathWalk.h"

#include <QFile>
#include <QScopeGuard>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillmoor::os {

namespace {
    // A resolved path ends in a link only where one was put there since, or
    // where it is the kernel's own (see PathWalk.h), which stands for an
    // open file and is followed.
    int noFollow(const QString& path) { return isKernelLink(path) ? 0 : O_NOFOLLOW; }
} // namespace

int writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put == 0)
            return ENOSPC;
        if (put < 0)
            return errno;
        done += put;
    }
    return 0;
}

int writeAllSynced(int fd, const QByteArray& bytes)
{
    if (const int error = writeAll(fd, bytes))
        return error;
    return ::fsync(fd) == 0 ? 0 : errno;
}

int syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int result = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return result;
}

int readLink(const QString& path, QString* target, bool* shared)
{
    target->clear();
    *shared = false;
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::lstat(name.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return 0;
    struct stat folder;
    const int lastSlash = name.lastIndexOf('/');
    const QByteArray folderName = lastSlash > 0 ? name.left(lastSlash) : QByteArray(lastSlash == 0 ? "/" : ".");
    if (::stat(folderName.constData(), &folder) != 0)
        return errno;
    *shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid()
        && st.st_uid != folder.st_uid;
    QByteArray bytes(PATH_MAX, '\0');
    const ssize_t length = ::readlink(name.constData(), bytes.data(), bytes.size());
    if (length < 0)
        return errno;
    bytes.truncate(length);
    *target = QFile::decodeName(bytes);
    return 0;
}

OrdinaryFile readOrdinaryFile(const QString& path, qint64 largest)
{
    OrdinaryFile file;
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | noFollow(path));
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            file.error = errno;
        return file;
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        return file;
    }
    file.exists = true;
    file.ordinary = S_ISREG(st.st_mode);
    if (!file.ordinary)
        return file;
    file.mode = st.st_mode & 07777;
    file.size = st.st_size;
    // Checked before reading and as it is read: the file may grow meanwhile.
    const auto tooLarge = [&](qint64 size) {
        file.tooLarge = largest >= 0 && size > largest;
        if (file.tooLarge)
            file.bytes = QByteArray();
        return file.tooLarge;
    };
    if (tooLarge(file.size))
        return file;
    file.bytes.reserve(st.st_size);
    char block[65536];
    for (;;) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            file.error = errno;
            return file;
        }
        if (got == 0)
            return file;
        file.bytes.append(block, got);
        if (tooLarge(file.bytes.size()))
            return file;
    }
}

PathKind pathKind(const QString& path)
{
    PathKind kind;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            kind.error = errno;
        return kind;
    }
    kind.exists = true;
    kind.ordinary = S_ISREG(st.st_mode);
    kind.folder = S_ISDIR(st.st_mode);
    kind.device = st.st_dev;
    kind.inode = st.st_ino;
    kind.size = st.st_size;
    kind.changed = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return kind;
}

int writeInto(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC | noFollow(path));
    if (fd < 0)
        return errno;
    const int error = writeAll(fd, bytes);
    return ::close(fd) != 0 && error == 0 && errno != EINTR ? errno : error;
}

namespace {

    void takeState(const struct stat& st, qint64* size, qint64* changed)
    {
        *size = st.st_size;
        *changed = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    }

} // namespace

OpenedFile openOrdinaryFile(const QString& path)
{
    OpenedFile file;
    const int fd
        = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY | noFollow(path));
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR)
            file.error = errno;
        return file;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        file.error = errno;
        ::close(fd);
        return file;
    }
    file.exists = true;
    file.ordinary = S_ISREG(st.st_mode);
    if (!file.ordinary) {
        ::close(fd);
        return file;
    }
    takeState(st, &file.size, &file.changed);
    file.fd = fd;
    return file;
}

int fileState(int fd, qint64* size, qint64* changed)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return errno;
    takeState(st, size, changed);
    return 0;
}

qint64 readSome(int fd, char* to, qint64 size, int* error)
{
    for (;;) {
        const ssize_t got = ::read(fd, to, size_t(size));
        if (got >= 0)
            return got;
        if (errno != EINTR) {
            *error = errno;
            return -1;
        }
    }
}

int rewind(int fd) { return ::lseek(fd, 0, SEEK_SET) == 0 ? 0 : errno; }

int createNewFile(const QString& name, int* fd)
{
    *fd = ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    return *fd >= 0 ? 0 : errno;
}

int placeNewFile(const QString& staged, const QString& name)
{
    const QByteArray from = QFile::encodeName(staged);
    const QByteArray to = QFile::encodeName(name);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that cannot rename so (NFS, say) refuses a taken name
    // for a hard link just as surely.
    if (::link(from.constData(), to.constData()) != 0)
        return errno;
    ::unlink(from.constData());
    return 0;
}

int setMode(int fd, mode_t mode) { return ::fchmod(fd, mode) == 0 ? 0 : errno; }

void removeFile(const QString& name) { ::unlink(QFile::encodeName(name).constData()); }

bool FileStamp::operator==(const FileStamp& other) const
{
    return device == other.device && inode == other.inode && size == other.size && modified == other.modified
        && changed == other.changed;
}

FileStamp fileStamp(const QString& path)
{
    FileStamp stamp;
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return stamp;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    stamp.size = st.st_size;
    stamp.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    return stamp;
}

} // namespace quillmoor::os
