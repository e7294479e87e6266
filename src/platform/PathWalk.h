#pragma once

#include "FileCalls.h"

#include <QString>

namespace quillmoor::os {

// A path with every link in it resolved, walked a name at a time as the
// system walks it: a link in a folder's place leads elsewhere as surely as
// one in the file's. The file need not exist yet: past a name that is no
// folder (or not yet there) the rest is kept as named. A link that another
// user made in a folder everyone may write to and only owners may delete
// from (as /tmp) is not followed, as the system's own rule for such folders
// has it: it may lead to any of this user's files.
struct ResolvedPath {
    int error = 0; // of reading a link on the way
    QString sharedLink; // the link not followed, when one stopped the walk
    bool circle = false; // the links lead round without end
    QString path; // when none of the above
    bool ok() const { return error == 0 && sharedLink.isEmpty() && !circle; }
};
ResolvedPath resolvePath(const QString& file);

// Whether a link at `path` is one of the kernel's own, in /proc: those are
// left for the system to follow.
bool isKernelLink(const QString& path);

// An ordinary file opened as openOrdinaryFile() opens it, at the place its
// links lead to. Through a link that is not followed nothing is opened, and
// `sharedLink` names that link.
OpenedFile openResolved(const QString& path, QString* sharedLink);

} // namespace quillmoor::os
