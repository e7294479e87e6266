#pragma once

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

} // namespace quillmoor::os
