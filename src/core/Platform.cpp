#include "Platform.h"

#include "Failure.h"

#include <QCoreApplication>
#include <QDesktopServices>
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
    p.openUrl = [](const QUrl& url) {
        // The address goes to the desktop as one argument: no shell, no
        // command line built from text the user typed.
        if (!QDesktopServices::openUrl(url))
            throw Failure(QCoreApplication::translate("Platform", "The web browser could not be started for %1.")
                              .arg(url.toString(QUrl::FullyEncoded)));
    };
    p.drawLottery
        = [] { return drawOneToHundred(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000)); };
    p.applicationFolder = QCoreApplication::applicationDirPath();
    // Where QSettings keeps the user's INI file. Asked without a QSettings
    // object: that would read the file at once, and a pipe there would hang.
    p.settingsFile = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                         .absoluteFilePath(QStringLiteral("Marrowfen.ini"));
    return p;
}

} // namespace quillmoor
