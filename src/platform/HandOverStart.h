#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace quillmoor::os {

// Starts this very program, even when an upgrade has removed or replaced
// its file since it started, as the process that hands `pages` over after
// the window has gone: with `option`, then the id of the launcher still
// running (0 for none) and the milliseconds it may still take, and the
// pace between pages in milliseconds where there is one, as its arguments; `lines` (each an address and what
// goes with it) on its standard input, never through a shell. Answers why it could not, or nothing, and sets
// `started` to its id.
QString startHandOver(
    const QString& option, qint64 launcherPid, int waitMs, int paceMs, const QList<QByteArray>& lines, qint64* started);

} // namespace quillmoor::os
