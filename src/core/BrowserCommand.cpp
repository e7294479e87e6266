#include "BrowserCommand.h"

#include <QProcess>
#include <QStandardPaths>

namespace quillmoor {

QStringList browserCommand(const QUrl& url)
{
    QStringList candidates;
    for (const char* name : { "DEFAULT_BROWSER", "BROWSER" })
        candidates << qEnvironmentVariable(name).split(u':', Qt::SkipEmptyParts);
    candidates << QStringLiteral("x-www-browser") << QStringLiteral("firefox") << QStringLiteral("chromium")
               << QStringLiteral("google-chrome");
    for (const QString& candidate : std::as_const(candidates)) {
        QStringList command = QProcess::splitCommand(candidate);
        const QString program = command.isEmpty() ? QString() : QStandardPaths::findExecutable(command.first());
        if (program.isEmpty())
            continue;
        command.first() = program;
        bool placed = false;
        for (qsizetype i = 1; i < command.size(); ++i) {
            placed = placed || command[i].contains(u"%s");
            command[i].replace(QStringLiteral("%s"), launcherArgument(url));
        }
        if (!placed)
            command << launcherArgument(url);
        return command;
    }
    return QStringList();
}

} // namespace quillmoor
