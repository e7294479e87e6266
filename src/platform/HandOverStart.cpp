#include "HandOverStart.h"

#include "Process.h"

namespace quillmoor::os {

QString startHandOver(const QString& option, qint64 launcherPid, int waitMs, const QList<QUrl>& pages, qint64* started)
{
    QByteArray lines;
    for (const QUrl& page : pages)
        lines += page.toEncoded() + '\n';
    return startReading(runningExecutable(), "quillmoor",
        { option, QString::number(launcherPid), QString::number(waitMs) }, lines, started);
}

} // namespace quillmoor::os
