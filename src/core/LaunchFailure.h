#pragma once

#include <QString>
#include <QStringList>

namespace quillmoor {

// What the report says of one action whose launchers did not all hand
// their addresses over: how many of `total` failed, the address of the
// first that did, and what its launcher said, if anything.
// What a launcher's last lines of error output (`lines`, in order) say
// of its failure: the last line, which gives the cause, and the lines
// before it as far as a report quotes, joined by " / ".
QString launcherWords(const QStringList& lines);

QString launchFailureText(int failed, int total, const QString& firstFailed, const QString& firstMessage);

} // namespace quillmoor
