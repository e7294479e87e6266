#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QObject;

namespace quillmoor::os {

// The desktop's default web browser by its own name, as its desktop entry
// gives it ("Chromium"), for what the program tells the user; pages go to
// it through the desktop's opener either way.

// The Name= of the desktop entry `id` ("chromium.desktop") in the
// applications folder of the first of `dataFolders` that holds it, the
// folders in the order the desktop searches them; empty when none does.
QString desktopEntryName(const QString& id, const QStringList& dataFolders);

// The data folders the desktop searches: $XDG_DATA_HOME (~/.local/share),
// then $XDG_DATA_DIRS (/usr/local/share:/usr/share).
QStringList desktopDataFolders();

// Asks the desktop which browser is the default (xdg-settings) without
// waiting for it; `answer` hears the name later, on the calling thread, or
// an empty name when none can be told. Nothing is heard once `context` is
// gone.
void askDefaultBrowserName(QObject* context, std::function<void(const QString& name)> answer);

} // namespace quillmoor::os
