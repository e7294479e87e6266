#include "DefaultBrowser.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace quillmoor::os {

namespace {
    // An answer that takes longer than this is not waited for: the tool
    // tip then keeps its plain words.
    constexpr int kLongestAskMs = 10000;

    // The Name= of the [Desktop Entry] group; an entry is a few kilobytes.
    QString nameIn(QFile& file)
    {
        bool inEntry = false;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
            if (line.startsWith(u'['))
                inEntry = line == u"[Desktop Entry]";
            else if (inEntry && line.startsWith(QLatin1String("Name=")))
                return line.mid(5).trimmed();
        }
        return QString();
    }
} // namespace

QString desktopEntryName(const QString& id, const QStringList& dataFolders)
{
    // An id is a file name, never a way out of the applications folder.
    if (!id.endsWith(QLatin1String(".desktop")) || id.contains(u'/') || id.startsWith(u'.'))
        return QString();
    for (const QString& folder : dataFolders) {
        QFile file(folder + QStringLiteral("/applications/") + id);
        if (file.open(QIODevice::ReadOnly))
            return nameIn(file);
    }
    return QString();
}

QStringList desktopDataFolders()
{
    QString home = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(home))
        home = QDir::homePath() + QStringLiteral("/.local/share");
    QStringList folders { home };
    const QString shared = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& folder : shared.split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(folder))
            folders << folder;
    }
    return folders;
}

void askDefaultBrowserName(QObject* context, std::function<void(const QString& name)> answer)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-settings"));
    if (tool.isEmpty()) {
        answer(QString());
        return;
    }
    auto* process = new QProcess(context);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, context, [process, answer](int status, QProcess::ExitStatus how) {
        const QString id = QString::fromLocal8Bit(process->readAllStandardOutput()).trimmed();
        process->deleteLater();
        answer(how == QProcess::NormalExit && status == 0 ? desktopEntryName(id, desktopDataFolders()) : QString());
    });
    QObject::connect(process, &QProcess::errorOccurred, context, [process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            process->deleteLater();
    });
    process->start(tool, { QStringLiteral("get"), QStringLiteral("default-web-browser") });
    // A desktop tool that hangs holds nothing of the program's.
    QTimer::singleShot(kLongestAskMs, process, [process] { process->kill(); });
}

} // namespace quillmoor::os
