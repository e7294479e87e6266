#include "Platform.h"

#include "DefaultBrowser.h"
#include "DesktopBus.h"
#include "LauncherQueue.h"
#include "WindowSlots.h"

#include <QCoreApplication>
#include <QDir>
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
    // The address goes to the launcher as one argument: no shell, no command
    // line built from text the user typed.
    const auto queue = std::make_shared<LauncherQueue>(LauncherQueue::Report());
    // A file of the user's to edit is no page: it opens at once, beside
    // pages still waiting, neither counted among them nor stopped with them.
    const auto files = std::make_shared<LauncherQueue>(LauncherQueue::Report());
    p.reportLaunchesTo = [queue, files](const LaunchReport& report) {
        queue->setReport(report);
        files->setReport(report);
    };
    p.openUrl = [queue, files](const QUrl& url, const QString& procedure, int line) {
        (url.isLocalFile() ? files : queue)->open(url, procedure, line);
    };
    p.endLaunchAction = [queue, files] {
        queue->endAction();
        files->endAction();
    };
    p.launchesWaiting = [queue] { return queue->waiting(); };
    p.stopLaunches = [queue] { queue->stop(); };
    p.handOverLaunches = [queue](const QString& option, const QHash<QUrl, QByteArray>& notes) {
        return queue->handOver(option, notes);
    };
    p.watchLaunches = [queue](QObject* receiver, std::function<void(int, int)> shown) {
        QObject::connect(queue.get(), &LauncherQueue::progress, receiver, std::move(shown));
    };
    p.watchHanded = [queue](QObject* receiver, std::function<void(const QUrl&)> heard) {
        QObject::connect(queue.get(), &LauncherQueue::handed, receiver, std::move(heard));
    };
    p.setLaunchPace = [queue](int ms) { queue->setPaceMs(ms); };
    p.watchBusy = [queue](QObject* receiver, std::function<void(bool)> shown) {
        QObject::connect(queue.get(), &LauncherQueue::busyChanged, receiver, std::move(shown));
    };
    p.askBrowserName = [](QObject* receiver, std::function<void(const QString&)> answer) {
        os::askDefaultBrowserName(receiver, std::move(answer));
    };
    p.takeWindowSlot = [held = std::make_shared<std::unique_ptr<os::WindowSlot>>()] {
        *held = std::make_unique<os::WindowSlot>(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
        return (*held)->number();
    };
    addDesktopServices(p);
    p.drawLottery
        = [] { return drawOneToHundred(static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000)); };
    p.applicationFolder = QCoreApplication::applicationDirPath();
    p.userDataFolder = quillmoor::userDataFolder();
    p.settingsFile = userSettingsFile();
    return p;
}

void Platform::addDesktopServices(Platform& p)
{
    const auto notice = std::make_shared<os::DesktopNotification>();
    p.showRunNotice = [notice](const QString& text, const QStringList& actions, int percent) {
        if (text.isEmpty())
            notice->withdraw();
        else
            notice->show(text, actions, percent);
    };
    p.watchRunNotice = [notice](QObject* receiver, std::function<void(const QString&)> chosen) {
        QObject::connect(notice.get(), &os::DesktopNotification::actionChosen, receiver, std::move(chosen));
    };
    p.showLauncherProgress = [](double done) { os::showLauncherProgress(QStringLiteral("quillmoor.desktop"), done); };
    const auto stop = std::make_shared<std::function<int()>>();
    const auto service = std::make_shared<os::StopService>([stop] { return *stop ? (*stop)() : 0; });
    p.offerStop = [stop, service](std::function<int()> asked) {
        *stop = std::move(asked);
        service->offer(bool(*stop));
    };
}

QString userDataFolder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .absoluteFilePath(QStringLiteral("quillmoor"));
}

QString userSettingsFile()
{
    // Asked without a QSettings object: that would read the file at once,
    // and a pipe there would hang.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .absoluteFilePath(QStringLiteral("Marrowfen.ini"));
}

} // namespace quillmoor
