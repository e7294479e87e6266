#include "CarefulFile.h"

#include "FileCalls.h"
#include "PathWalk.h"
#include "Process.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSysInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace quillmoor {

namespace {

    QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    // Named as the system names it, which the user may search for.
    QString diskFull(int error)
    {
        return SearchStoreText::tr("%1; the disk did not take the whole list (is it full?)").arg(errnoText(error));
    }

    // Writes everything and syncs it. A short write is the one case of a
    // disk that is full (or a file that may grow no larger).
    void writeAll(int fd, const QByteArray& bytes)
    {
        const int error = os::writeAllSynced(fd, bytes);
        if (error == ENOSPC || error == EFBIG || error == EDQUOT)
            throw FileTrouble { diskFull(error) };
        if (error != 0)
            throw FileTrouble { errnoText(error) };
    }

    bool fromAnotherComputer(const QLockFile& lock)
    {
        qint64 pid = 0;
        QString host;
        QString application;
        return lock.error() == QLockFile::LockFailedError && lock.getLockInfo(&pid, &host, &application)
            && !host.isEmpty() && host != QSysInfo::machineHostName();
    }

} // namespace

QString resolveLinks(const QString& file)
{
    const os::ResolvedPath resolved = os::resolvePath(file);
    if (resolved.error != 0)
        throw FileTrouble { errnoText(resolved.error) };
    // Another user's link in /tmp may lead to any of this user's files.
    if (!resolved.sharedLink.isEmpty()) {
        const QString why = SearchStoreText::tr("%1 is a symbolic link that another user made in a folder everyone "
                                                "may write to, so it is not followed");
        throw FileTrouble { why.arg(resolved.sharedLink) };
    }
    if (resolved.circle)
        throw FileTrouble { SearchStoreText::tr("its links go round in a circle") };
    return resolved.path;
}

QString linkTrouble(const QString& file)
{
    try {
        resolveLinks(file);
        return QString();
    } catch (const FileTrouble& trouble) {
        return trouble.text;
    }
}

FileBytes readOrdinaryFile(const QString& path)
{
    // Nothing stored yet, or a file where the folder should be: the save
    // says so if it cannot make the folder.
    const os::OrdinaryFile read = os::readOrdinaryFile(resolveLinks(path), kLargestSettingsFile);
    if (read.error != 0)
        throw FileTrouble { errnoText(read.error) };
    if (!read.ordinary)
        throw FileTrouble { SearchStoreText::tr("it is not an ordinary file") };
    if (read.tooLarge)
        throw FileTrouble { SearchStoreText::tr(
            "it is %1 MB, more than a settings file can be (%2 MB), so it is not read")
                                .arg((read.size + (1 << 20) - 1) >> 20)
                                .arg(kLargestSettingsFile >> 20) };
    FileBytes file;
    file.exists = read.exists;
    file.mode = read.mode;
    file.bytes = read.bytes;
    return file;
}

std::unique_ptr<QLockFile> lockForWriting(const QString& file, int waitMs)
{
    auto lock = std::make_unique<QLockFile>(QFileInfo(file).absoluteFilePath() + QStringLiteral(".lock"));
    if (lock->tryLock(0) || (!fromAnotherComputer(*lock) && lock->tryLock(std::max(waitMs, 0))))
        return lock;
    // A lock file that a sync tool carried over from another computer was
    // made by a program that never writes this computer's file: it holds
    // nothing here, and would stay until the tool carries its removal over.
    if (fromAnotherComputer(*lock) && lock->removeStaleLockFile() && lock->tryLock(0))
        return lock;
    throw FileTrouble { lock->error() == QLockFile::LockFailedError
            ? SearchStoreText::tr("another program keeps it locked")
            : SearchStoreText::tr("its lock file cannot be made") };
}

QString replaceFile(const QString& target, const FileBytes& old, const QByteArray& bytes)
{
    // The target is passed with its links resolved, so the save never
    // replaces a link with a file.
    QSaveFile staged(target);
    if (!staged.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw FileTrouble { staged.errorString() };
    if (const int error = os::setMode(staged.handle(), old.exists ? old.mode & ~mode_t(S_IWOTH) : 0600))
        throw FileTrouble { errnoText(error) };
    writeAll(staged.handle(), bytes);
    if (!staged.commit())
        throw FileTrouble { staged.errorString() };
    // The rename itself must reach the disk too. Once the new file is in
    // place it is what every reader sees: a folder that cannot be synced is
    // worth a warning, but the save was made, and taking it for one that
    // was not would add this copy's additions again at the next save.
    if (const int error = os::syncFolder(QFileInfo(target).absolutePath()))
        return SearchStoreText::tr("The settings file \"%1\" was saved, but its folder could not be synced: %2.")
            .arg(target, errnoText(error));
    return QString();
}

QStringList asideNames(const QString& file, const QString& suffix)
{
    QStringList names;
    for (int n = 1; n <= 100; ++n)
        names << file + suffix + (n > 1 ? u'.' + QString::number(n) : QString());
    return names;
}

std::pair<QString, bool> keepAside(const QString& file, const QByteArray& bytes, const QString& suffix)
{
    // Nothing is made through a link that is not followed; the copy's own
    // name is made new, never through a link.
    resolveLinks(file);
    for (const QString& name : asideNames(file, suffix)) {
        int fd = -1;
        const int error = os::createNewFile(name, &fd);
        if (error == 0) {
            const auto closeFd = qScopeGuard([&fd] { os::closeDescriptor(fd); });
            try {
                writeAll(fd, bytes);
            } catch (const FileTrouble&) {
                os::removeFile(name);
                throw;
            }
            return { name, true };
        }
        if (error != EEXIST)
            throw FileTrouble { SearchStoreText::tr("it cannot be kept as \"%1\": %2").arg(name, errnoText(error)) };
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
