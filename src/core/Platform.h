#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

class QObject;

namespace quillmoor {

// Everything that leaves the process goes through this one value, so tests can
// swap in recorders: no test may block on a dialog, start a browser or touch
// the user's own settings.
struct Platform {
    // Shows a modal warning box with one OK button and returns when it closes.
    // The window's side of the program sets it; nothing below it shows one.
    std::function<void(const QString& title, const QString& text)> showMessage;
    // Shows a modal information box with one OK button: news that is no
    // fault, such as searches a close had to keep aside coming back.
    std::function<void(const QString& title, const QString& text)> showInformation;
    // Queues an address for the browser, for the action of `procedure` at
    // `line`; what fails is reported later, once per action. A local file
    // opens at once, apart from the pages and their progress.
    std::function<void(const QUrl& url, const QString& procedure, int line)> openUrl;
    // The handler that queued addresses has ended: what it asked for is
    // one action, and another press of its button another.
    std::function<void()> endLaunchAction;
    // Where the failures of what openUrl queued are reported, once per
    // action, after the handler that asked has ended.
    using LaunchReport = std::function<void(const QString& procedure, int line, const QString& description)>;
    std::function<void(LaunchReport)> reportLaunchesTo;
    // Addresses wait to be handed to the browser.
    std::function<bool()> launchesWaiting;
    // Drops the addresses still waiting; the one being handed over goes on.
    std::function<void()> stopLaunches;
    // The program is ending: what still waits is handed over in order by a
    // process of the program's own that outlives the window. Where none
    // can be started, this process goes on handing the pages over, and
    // the answer says why. `option` starts the program in that role;
    // `notes` go with the pages (see LauncherQueue::handOver).
    std::function<QString(const QString& option, const QHash<QUrl, QByteArray>& notes)> handOverLaunches;
    // The watchers below hear for as long as `receiver` lives: the object
    // whose members they reach, which may go before the queue does.
    // `shown` hears how far the pages asked for are handed over: `handed`
    // of `total`, a total of 0 once none waits.
    std::function<void(QObject* receiver, std::function<void(int handed, int total)> shown)> watchLaunches;
    // `heard` hears of each page as it is handed to the browser. Where
    // nothing is set, a page counts as handed over once openUrl returns.
    std::function<void(QObject* receiver, std::function<void(const QUrl& url)> heard)> watchHanded;
    // The least time between two pages handed to the browser, 0 for none.
    std::function<void(int ms)> setLaunchPace;
    // `shown` hears when pages start and stop waiting for the browser, so
    // the window can show that it is busy; how is the window's own affair.
    std::function<void(QObject* receiver, std::function<void(bool busy)> shown)> watchBusy;
    // Asks whether `pages` pages should open at once, with a way to say
    // not to be asked again (which clears `askAgain`); answers whether to
    // open them. The window's side of the program sets it, as it sets
    // showMessage.
    std::function<bool(int pages, bool& askAgain)> askToOpen;
    // Whether a flood of pages is asked about first; the user can turn it
    // off, and the settings file keeps that.
    bool askBeforeManyPages = true;
    // Asks for the desktop's default web browser by its own name; `answer`
    // hears it later, or an empty name when none can be told, while
    // `receiver` lives.
    std::function<void(QObject* receiver, std::function<void(const QString& name)> answer)> askBrowserName;
    // A run of pages seen from outside the window, where the browser has
    // the front: a notification saying `text`, offering `actions` (key,
    // label, key, label...) and `percent` done, updated in place; an empty
    // text withdraws it. `chosen` hears, within `receiver`'s life, the key
    // of an action the user chose in it.
    std::function<void(const QString& text, const QStringList& actions, int percent)> showRunNotice;
    std::function<void(QObject* receiver, std::function<void(const QString& key)> chosen)> watchRunNotice;
    // The run's progress on the program's launcher in the dock or task
    // bar: `done` of 0..1, or hidden below 0.
    std::function<void(double done)> showLauncherProgress;
    // While `stop` is set, another copy (`quillmoor --stop-opening`) stops
    // the run through it; it answers how many pages it kept back.
    std::function<void(std::function<int()> stop)> offerStop;
    // How many of the program's other windows opened before this one's and
    // are open still; this one counts among them from now on, until the
    // program ends.
    std::function<int()> takeWindowSlot;
    // The home-page lottery: a whole number from 1 to 100.
    std::function<int()> drawLottery;
    // The folder that holds the executable, without a trailing separator.
    QString applicationFolder;
    // The user's own folder for the program's files, without a trailing
    // separator: a list.txt there goes before the one beside the program.
    QString userDataFolder;
    // The INI file of the per-user settings store.
    QString settingsFile;
    // Set once the window has been unloaded: from then on no handler runs
    // another statement.
    bool unloaded = false;

    // The real desktop: the launcher queue, a generator seeded with the
    // seconds since midnight, the executable's folder, the user's data and
    // config.
    // The report box is the window's to give.
    static Platform desktop();
    // The desktop's services on the session bus alone: the run's
    // notification, the launcher's progress and the stop other copies ask.
    static void addDesktopServices(Platform& platform);
};

// The INI file of the user's settings store, where QSettings keeps it. Needs
// no application object.
QString userSettingsFile();

// The user's own folder for the program's files: quillmoor in
// $XDG_DATA_HOME, by default ~/.local/share/quillmoor.
QString userDataFolder();

// 1..100 from a generator seeded with `seed`, the way the lottery draws.
int drawOneToHundred(unsigned seed);

} // namespace quillmoor
