#pragma once

#include <QString>

namespace quillmoor {

// A list's entry in the desktop's applications menu: a desktop entry file
// in the user's applications folder ($XDG_DATA_HOME/applications), named
// after a digest of the list's name. Nothing is written elsewhere, nor
// through a link another user made (see PathWalk.h). All throw Failure
// with a sentence naming the file.

// The applications folder beside the program's own data folder.
QString applicationsFolder(const QString& userDataFolder);
QString menuEntryFile(const QString& folder, const QString& list);
bool hasMenuEntry(const QString& folder, const QString& list);
// Writes (or writes again) the entry of `list`, started by `program`.
void addMenuEntry(const QString& folder, const QString& list, const QString& program);
// Takes the entry of `list` away; none there is nothing to do.
void removeMenuEntry(const QString& folder, const QString& list);

} // namespace quillmoor
