#pragma once

#include "BrowserCommand.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <functional>
#include <memory>

namespace quillmoor {

class LauncherProcess;

// The one way from the program to the browser. Addresses are handed to the
// launcher (xdg-open, looked up on PATH at each launch) one at a time, in
// the order they were asked for: the next starts when the previous launcher
// has exited, or once it has run for the grace time, since a launcher that
// turns into the browser itself never exits soon; and while fewer than a
// handful run on. The window stays usable
// meanwhile; the queue works from the event loop.
//
// What one handler asks for in one go is one action. When all of an
// action's launchers are done, whatever failed in it is reported once.
class LauncherQueue : public QObject {
    Q_OBJECT
public:
    using Report = std::function<void(const QString& procedure, int line, const QString& description)>;
    // Used when the launcher is not on PATH: the command (program, then its
    // arguments) that opens `url` in a browser, or nothing. It is started
    // and waited for as the launcher is. Unless told otherwise, the browser
    // browserCommand() finds.
    using Fallback = std::function<QStringList(const QUrl& url)>;

    explicit LauncherQueue(Report report, QObject* parent = nullptr);
    ~LauncherQueue() override;

    void setReport(Report report) { report_ = std::move(report); }
    void setLauncher(const QString& name) { launcher_ = name; }
    void setGraceMs(int ms) { graceMs_ = ms; }
    // How long past its grace time a launcher that runs on holds one of the
    // few places for launchers running at once; then it is left to itself.
    void setLongestRunMs(int ms) { longestRunMs_ = ms; }
    // How many launchers may run at all, those left to themselves counted:
    // a browser that never answers would otherwise gather one more every
    // minute for as long as pages wait.
    void setMostAlive(int launchers) { mostAlive_ = qMax(launchers, 1); }
    // Whether a page still waiting from an earlier action is dropped when
    // asked for again (a second press finds the first one's pages
    // waiting). Where the pages come already chosen, each must open.
    void setDropRepeats(bool drop) { dropRepeats_ = drop; }
    void setFallback(Fallback fallback) { fallback_ = std::move(fallback); }
    // The least time from one launcher's start to the next, for engines
    // that take a burst of searches for a robot; 0 for none. The wait is a
    // timer: the event loop runs on meanwhile.
    void setPaceMs(int ms) { paceMs_ = qMax(ms, 0); }
    int paceMs() const { return paceMs_; }

    // Queues `url` for the action of `procedure` at `line`. Addresses queued
    // by one handler before the event loop next runs belong to one action.
    // An address that an earlier action left waiting, or being handed
    // over, is not queued again: a second press of Open All while the
    // first one's pages wait opens each page once. Within one action an
    // address may come twice, as a list may hold a search twice.
    void open(const QUrl& url, const QString& procedure, int line);

    // The handler that asked has ended: what it asked for is one action,
    // and what comes next another, even before the event loop runs.
    void endAction();

    // The first address waits for process `pid`, a launcher started by
    // another program, to end, or for `ms` at most.
    // With a pace, the first address also waits that long from now, as the
    // one before it was handed over just now.
    void waitFor(qint64 pid, int ms);

    // Drops the addresses not yet handed over; the launcher running now
    // goes on and is still reported if it fails.
    void stop();

    // The program is ending: what still waits goes to a process of the
    // program's own, started with `option`, then the pid and remaining grace
    // time of the launcher still running; the addresses go on its standard
    // input, one a line. It hands them over by the same rule after the
    // window has gone. Nothing more is reported. Where that process cannot be
    // started, the pages go on being handed over from here, and the answer
    // says why; `progress` tells when the last has gone. `notes` gives
    // what goes with an address on its line, after a blank (no blank or
    // line end in it): what the page stands for, for the process to keep.
    using Notes = QHash<QUrl, QByteArray>;
    QString handOver(const QString& option, const Notes& notes = {});

    // Addresses wait to be handed over.
    bool waiting() const { return !waiting_.empty(); }
    int waitingCount() const { return int(waiting_.size()); }
    // Addresses wait, or the queue waits for a launcher it was not told to
    // stop for.
    bool busy() const { return waiting() || (holding_ != nullptr && phase_ == Phase::Running); }

signals:
    // `url` is being handed to the browser now.
    void handed(const QUrl& url);
    // busy() has changed. The queue shows nothing itself: the window, if
    // there is one, shows the busy pointer.
    void busyChanged(bool busy);
    // Of the `total` pages asked for since the queue was last idle,
    // `handed` have been handed over; a total of 0 once none waits.
    void progress(int handed, int total);

private:
    struct Action;
    struct Entry {
        QUrl url;
        std::shared_ptr<Action> action;
    };

    void schedulePump();
    void pump();
    bool roomToStart();
    void start(Entry entry);
    void hold(LauncherProcess* process, const Entry& entry, int ms);
    void conclude(LauncherProcess* process, const Entry& entry, bool taken, const QString& message);
    void letGoOf(qint64 pid);
    void settle(const std::shared_ptr<Action>& action, const QUrl& url, bool taken, const QString& message);
    void finishIfDone(const std::shared_ptr<Action>& action);
    void updateBusy();
    void updateProgress();
    QString located() const;

    Report report_;
    Fallback fallback_ = browserCommand;
    QString launcher_ = QStringLiteral("xdg-open");
    int graceMs_ = 2000;
    std::deque<Entry> waiting_;
    // The addresses waiting, and the one whose launcher the queue holds:
    // the action that last asked for each, and how many times it waits.
    struct Pending {
        const Action* action;
        int copies;
    };
    QHash<QUrl, Pending> pending_;
    void forget(const QUrl& url);
    std::shared_ptr<Action> gathering_; // the action still taking addresses
    QTimer* holding_ = nullptr; // the grace time of what the queue waits for
    int paceMs_ = 0;
    QElapsedTimer lastStart_; // since the last launcher started, with a pace
    QTimer* pacing_ = nullptr; // until the pace lets the next start
    // Whether the pace holds the next address back now; if so, a timer
    // pumps again when it no longer does.
    bool paced();
    QList<qint64> unreaped_; // launchers let go that have not ended yet
    // A launcher that runs on holds the browser's machine busy: only so many
    // run at once, each until it ends or its time is up.
    static constexpr int kMostRunning = 8;
    struct Running {
        qint64 pid;
        QDeadlineTimer until;
    };
    QList<Running> running_;
    QTimer* runLimit_ = nullptr; // wakes the queue when the first time is up
    int longestRunMs_ = 60000;
    int mostAlive_ = 32;
    bool watchingEndings_ = false;
    bool pumpPosted_ = false;
    bool saidBusy_ = false;
    // Where the queue stands: taking pages; stopped by the user, so the
    // launcher still running keeps it busy no longer; ended, what waited
    // handed over to a process of the program's own; or ended with nothing
    // to take the pages over, so they go from here.
    enum class Phase { Running, Stopped, HandedOver, KeptHere };
    Phase phase_ = Phase::Running;
    bool ended() const { return phase_ == Phase::HandedOver || phase_ == Phase::KeptHere; }
    bool dropRepeats_ = true;
    // What started the hand-over, for pages asked for after it.
    QString handOverOption_;
    int runHanded_ = 0;
    int runTotal_ = 0;
};

} // namespace quillmoor
