#pragma once

#include <QString>

namespace quillmoor {

// The list.txt the program reads: the user's own, in `userFolder`, when
// there is one, else the one beside the program, which an ordinary user
// cannot change and an upgrade would overwrite. Chosen again at every read,
// so a list made while the window is open shows at the next keystroke.
QString chosenListPath(const QString& userFolder, const QString& applicationFolder);

// The user's own list.txt, made the first time as a copy of the one beside
// the program (empty when there is none). A file already there, or made by
// someone else meanwhile, is never replaced. Throws Failure when it cannot
// be made; a copy that fails half-way leaves nothing behind.
QString makeOwnList(const QString& userFolder, const QString& applicationFolder);

} // namespace quillmoor
