#include "HandOverStart.h"

#include "Process.h"

namespace quillmoor::os {

QString startHandOver(
    const QString& option, qint64 launcherPid, int waitMs, int paceMs, const QList<QUrl>& pages, qint64* started)
{
    QByteArray lines;
    for (const QUrl& page : pages)
        lines += page.toEncoded() + '\n';
    QStringList arguments { option, QString::number(launcherPid), QString::number(waitMs) };
    if (paceMs > 0)
        arguments << QString::number(paceMs);
    return startReading(runningExecutable(), "quillmoor", arguments, lines, started);
}

} // namespace quillmoor::os
