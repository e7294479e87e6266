#include "OwnList.h"

#include "Failure.h"
#include "FileCalls.h"
#include "LocationFile.h"
#include "PathWalk.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>

namespace quillmoor {

namespace {

    // Free functions have no class to lend their texts a translation context.
    class OwnListText {
        Q_DECLARE_TR_FUNCTIONS(OwnList)
    };

    QString errnoText(int error)
    {
        if (error == ENOSPC || error == EDQUOT)
            return OwnListText::tr("the disk did not take the whole list (is it full?)");
        return QString::fromLocal8Bit(std::strerror(error));
    }

} // namespace

QString chosenListPath(const QString& userFolder, const QString& applicationFolder)
{
    if (!userFolder.isEmpty()) {
        const QString own = LocationFile::pathIn(userFolder);
        // A link whose target is gone is still the user's list: its fault is
        // reported rather than the shipped cities shown as if they were theirs.
        const QFileInfo info(own);
        if (info.exists() || info.isSymLink())
            return own;
    }
    return LocationFile::pathIn(applicationFolder);
}

QString makeOwnList(const QString& userFolder, const QString& applicationFolder)
{
    if (userFolder.isEmpty())
        throw Failure(OwnListText::tr("There is no folder of your own to keep a city list in."));
    const QString own = LocationFile::pathIn(userFolder);
    if (chosenListPath(userFolder, applicationFolder) == own)
        return own;
    const QString shipped = LocationFile::pathIn(applicationFolder);
    const auto fail = [&](const QString& why) {
        throw Failure(
            OwnListText::tr("Your own city list \"%1\" could not be made from \"%2\": %3.").arg(own, shipped, why));
    };
    // Neither read nor made through another user's link in a shared folder
    // (as /tmp): it may lead to any of this user's files.
    const os::ResolvedPath from = os::resolvePath(shipped);
    const os::ResolvedPath to = os::resolvePath(userFolder);
    for (const os::ResolvedPath* path : { &from, &to }) {
        if (!path->sharedLink.isEmpty())
            fail(OwnListText::tr("%1 is a symbolic link that another user made in a folder everyone may write to, so "
                                 "it is not followed")
                     .arg(path->sharedLink));
    }
    const os::OrdinaryFile source = os::readOrdinaryFile(from.ok() ? from.path : shipped, LocationFile::kLargestFile);
    if (source.error != 0)
        fail(errnoText(source.error));
    if (!source.ordinary)
        fail(OwnListText::tr("it is not an ordinary file"));
    // Read whole to be copied: one far too large to be read as a list stays.
    if (source.tooLarge)
        fail(OwnListText::tr("it is larger than the %1 MB a city list may be").arg(LocationFile::kLargestFile >> 20));
    const QString folder = to.ok() ? to.path : userFolder;
    if (!QDir().mkpath(folder))
        fail(OwnListText::tr("its folder cannot be created"));
    // Written whole and synced under a name of its own first: the list's
    // name only ever stands for a whole copy. Whatever is left staged goes
    // with `staged`.
    QTemporaryFile staged(folder + QStringLiteral("/.list.txt.XXXXXX"));
    if (!staged.open())
        fail(staged.errorString());
    if (const int error = os::writeAllSynced(int(staged.handle()), source.bytes))
        fail(errnoText(error));
    const int placed = os::placeNewFile(staged.fileName(), LocationFile::pathIn(folder));
    if (placed != 0 && placed != EEXIST)
        fail(errnoText(placed));
    if (const int error = os::syncFolder(folder))
        fail(errnoText(error));
    return own;
}

} // namespace quillmoor
