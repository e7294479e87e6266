#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace quillmoor::os {

// The system calls of careful file writing. Each answers 0 or the error
// number; what an error means to the user is for the caller to say.

// Writes all of `bytes`. A write that takes nothing answers ENOSPC.
int writeAll(int fd, const QByteArray& bytes);

// Writes all of `bytes` and syncs them. A write that takes nothing answers
// ENOSPC: the one case of a disk that is full.
int writeAllSynced(int fd, const QByteArray& bytes);

// Syncs a folder, so that a rename in it reaches the disk.
int syncFolder(const QString& folder);

// The target of symbolic link `path` as it stands in the link; an empty
// `target` when `path` is no link (or is not there). `shared` tells whether
// it is a link the system's rule for shared folders would not follow: one
// in a folder that everyone may write to and only owners may delete from
// (as /tmp), which neither this user nor the folder's owner made.
int readLink(const QString& path, QString* target, bool* shared);

// An ordinary file read whole, opened without blocking so that the check is
// made on what was really opened: a pipe would wait for a writer, and a device
// could answer without end. The path is one with its links resolved
// (PathWalk.h): a link at its last name now is one put there since, and is
// refused with ELOOP rather than followed. So are the paths of the calls
// below that open a file.
struct OrdinaryFile {
    int error = 0;
    bool exists = false; // false when nothing is there (or a file stands where a folder should)
    bool ordinary = true; // false for a pipe, device or folder: then nothing is read
    bool tooLarge = false; // more than `largest` bytes: then nothing is kept
    mode_t mode = 0;
    qint64 size = 0;
    QByteArray bytes;
};
// A file larger than `largest` bytes (when it is not negative) is not read.
OrdinaryFile readOrdinaryFile(const QString& path, qint64 largest = -1);

// What stands at `path`, its links followed. `exists` is false when nothing
// is there.
struct PathKind {
    int error = 0;
    bool exists = false;
    bool ordinary = false;
    bool folder = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 changed = 0; // nanoseconds
    // Whether this is the same file, unchanged, as `other` was.
    bool sameAs(const PathKind& other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode && size == other.size
            && changed == other.changed;
    }
};
PathKind pathKind(const QString& path);

// Writes all of `bytes` into what stands at `path` (a pipe, a terminal, a
// device), neither creating nor truncating it.
int writeInto(const QString& path, const QByteArray& bytes);

// An ordinary file opened to be read piece by piece, checked as
// readOrdinaryFile() checks it; `fd` is -1 unless it is one. Its size and
// last change tell whether it changed while it was read.
struct OpenedFile {
    int fd = -1;
    int error = 0;
    bool exists = false;
    bool ordinary = true;
    qint64 size = 0;
    qint64 changed = 0; // nanoseconds
};
OpenedFile openOrdinaryFile(const QString& path);
// The size and last change of an open file, to compare with the above.
int fileState(int fd, qint64* size, qint64* changed);
// Reads up to `size` bytes: the count, 0 at the end, -1 with `error` set.
qint64 readSome(int fd, char* to, qint64 size, int* error);
int rewind(int fd);

// Makes file `name`, which must not exist yet, readable and writable by its
// owner only; answers its descriptor in `fd`. EEXIST when the name is taken.
int createNewFile(const QString& name, int* fd);

// Gives the file `staged` the name `name` unless that name is taken: the
// name is never replaced, not even by a file made there meanwhile. EEXIST
// when it is taken; `staged` then stays where it was.
int placeNewFile(const QString& staged, const QString& name);

int setMode(int fd, mode_t mode);
void removeFile(const QString& name);

// A file as it stands at one moment, to learn later whether it is still the
// same file with the same content: a rewrite changes the change time even
// where it keeps the size and the modification time. A missing file has the
// stamp of no file.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0; // of the inode, nanoseconds
    bool operator==(const FileStamp& other) const;
};
FileStamp fileStamp(const QString& path);

} // namespace quillmoor::os
