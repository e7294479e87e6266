#include "PathWalk.h"

#include "FileCalls.h"

#include <QDir>
#include <QStringList>

namespace quillmoor::os {

namespace {

    // The names a path is walked by; "." and empty ones lead nowhere.
    QStringList namesOf(const QString& path)
    {
        QStringList names = path.split(u'/', Qt::SkipEmptyParts);
        names.removeAll(QStringLiteral("."));
        return names;
    }

    QString inFolder(const QString& folder, const QString& name)
    {
        return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
    }

    // The folder above a path whose links are all resolved: there ".." is
    // no more than a name taken off.
    QString folderAbove(const QString& path)
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        return slash > 0 ? path.left(slash) : QStringLiteral("/");
    }

} // namespace

bool isKernelLink(const QString& path) { return path.startsWith(QLatin1String("/proc/")); }

ResolvedPath resolvePath(const QString& file)
{
    ResolvedPath resolved;
    QStringList rest = namesOf(QDir::isAbsolutePath(file) ? file : inFolder(QDir::currentPath(), file));
    QString path = QStringLiteral("/");
    int links = 0;
    while (!rest.isEmpty()) {
        const QString name = rest.takeFirst();
        if (name == QStringLiteral("..")) {
            path = folderAbove(path);
            continue;
        }
        const QString next = inFolder(path, name);
        QString target;
        bool shared = false;
        if ((resolved.error = readLink(next, &target, &shared)) != 0)
            return resolved;
        if (shared) {
            resolved.sharedLink = next;
            return resolved;
        }
        // The kernel's own links in /proc (as /dev/stdout leads to) stand
        // for an open file, often no path at all ("pipe:[1234]"), and no
        // user can plant one: the rest is kept as named, for the system to
        // follow.
        if (!target.isEmpty() && isKernelLink(next)) {
            resolved.path = rest.isEmpty() ? next : inFolder(next, rest.join(u'/'));
            return resolved;
        }
        if (!target.isEmpty()) {
            if (++links > 40) {
                resolved.circle = true;
                return resolved;
            }
            // A relative target goes on from the link's folder.
            rest = namesOf(target) + rest;
            if (target.startsWith(u'/'))
                path = QStringLiteral("/");
            continue;
        }
        path = next;
        if (!rest.isEmpty() && !pathKind(path).folder) {
            resolved.path = inFolder(path, rest.join(u'/'));
            return resolved;
        }
    }
    resolved.path = path;
    return resolved;
}

OpenedFile openResolved(const QString& path, QString* sharedLink)
{
    const ResolvedPath resolved = resolvePath(path);
    *sharedLink = resolved.sharedLink;
    if (!sharedLink->isEmpty())
        return {};
    // A path whose links could not be walked is opened as named, for the
    // system to say why it fails.
    return openOrdinaryFile(resolved.ok() ? resolved.path : path);
}

} // namespace quillmoor::os
