#include "Platform.h"

#include "ErrorReport.h"
#include "LauncherQueue.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTime>
#include <random>

namespace quillmoor {

int drawOneToHundred(unsigned seed)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    return static_cast<int>(fraction(generator) * 100) + 1;
}

Platform Platform::desktop()
{
    Platform p;
    p.showMessage = [](const QString& title, const QString& text) {
        QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
        // Plain text: the report holds CR LF and lone CRs, each shown as a
        // line break, and must never be taken for markup.
        box.setTextFormat(Qt::PlainText);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
    };
    // The address goes to the launcher as one argument: no shell, no command
    // line built from text the user typed.
    const auto queue = std::make_shared<LauncherQueue>(
        [show = p.showMessage](const QString& procedure, int line, const QString& description) {
            show(kErrorReportTitle, errorReportText(procedure, line, description));
        });
    p.openUrl = [queue](const QUrl& url, const QString& procedure, int line) { queue->open(url, procedure, line); };
    p.launchesWaiting = [queue] { return queue->waiting(); };
    p.stopLaunches = [queue] { queue->stop(); };
    p.handOverLaunches = [queue] { queue->handOver(); };
    p.drawLottery
        = [] { return drawOneToHundred(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000)); };
    p.applicationFolder = QCoreApplication::applicationDirPath();
    p.settingsFile = userSettingsFile();
    return p;
}

QString userSettingsFile()
{
    // Asked without a QSettings object: that would read the file at once,
    // and a pipe there would hang.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .absoluteFilePath(QStringLiteral("Marrowfen.ini"));
}

} // namespace quillmoor
