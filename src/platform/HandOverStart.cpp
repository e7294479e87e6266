#include "HandOverStart.h"

#include "Process.h"

namespace quillmoor::os {

QString startHandOver(
    const QString& option, qint64 launcherPid, int waitMs, int paceMs, const QList<QByteArray>& lines, qint64* started)
{
    QByteArray input;
    for (const QByteArray& line : lines)
        input += line + '\n';
    QStringList arguments { option, QString::number(launcherPid), QString::number(waitMs) };
    if (paceMs > 0)
        arguments << QString::number(paceMs);
    return startReading(runningExecutable(), "quillmoor", arguments, input, started);
}

} // namespace quillmoor::os
