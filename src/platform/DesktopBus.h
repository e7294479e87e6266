#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class QDBusPendingCallWatcher;

namespace quillmoor::os {

// The desktop's services on the session bus, for a run of pages that goes
// on while the browser has the front: a notification with its actions,
// the progress on the program's launcher, and the way other copies stop
// the run (`quillmoor --stop-opening`). Where no bus or no service
// answers, each does nothing; no call waits for an answer on the window's
// thread.

// One notification of org.freedesktop.Notifications, shown, updated in
// place (its id as replaces_id) and withdrawn.
class DesktopNotification : public QObject {
    Q_OBJECT
public:
    explicit DesktopNotification(QObject* parent = nullptr);
    // Withdraws what is shown, waiting at most a moment for the bus.
    ~DesktopNotification() override;

    // Shows `summary` with `actions` (key, label, key, label...) and a
    // progress of `percent` (below 0 for none), replacing what is shown.
    void show(const QString& summary, const QStringList& actions, int percent);
    void withdraw();

signals:
    // The user chose the action `key` in it.
    void actionChosen(const QString& key);

private slots:
    void onActionInvoked(uint id, const QString& key);
    void onClosed(uint id, uint reason);

private:
    struct Wanted {
        QString summary;
        QStringList actions;
        int percent = -1;
    };
    bool reachable();
    void send();
    void sent(QDBusPendingCallWatcher* call);

    bool tried_ = false;
    bool connected_ = false;
    uint id_ = 0;
    bool pending_ = false; // a Notify has gone, its id not yet come back
    bool shown_ = false;
    bool dirty_ = false; // what is wanted differs from what was sent
    bool closedByUser_ = false;
    bool acted_ = false; // an action was chosen since it was last shown
    Wanted wanted_;
};

// The run's progress on the launcher of `desktopEntry` (as a dock or task
// bar shows downloads): `done` of 0..1, or hidden below 0.
void showLauncherProgress(const QString& desktopEntry, double done);

// Lets other copies stop this one's run: while offered, the bus name
// kStopServicePrefix + "p<pid>" answers Stop() with what `stop` answers,
// the pages it kept from the browser.
inline constexpr const char* kStopServicePrefix = "example.marrowfen.quillmoor.Opening.";
class StopService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "example.marrowfen.quillmoor.Opening")
public:
    explicit StopService(std::function<int()> stop, QObject* parent = nullptr);
    ~StopService() override;
    void offer(bool offered);

public slots:
    int Stop();

private:
    std::function<int()> stop_;
    bool offered_ = false;
    bool registered_ = false;
};

// Asks every copy that offers it to stop its run. The copies that
// answered and the pages they kept from the browser; `error` says why none
// could be asked (no session bus).
struct StoppedElsewhere {
    int copies = 0;
    int pages = 0;
    QString error;
};
StoppedElsewhere stopOpeningElsewhere();

} // namespace quillmoor::os
