#include "LauncherQueue.h"

#include "BrowserCommand.h"
#include "ChildEndings.h"
#include "Failure.h"
#include "HandOverStart.h"
#include "LaunchFailure.h"
#include "LauncherProcess.h"

#include <QStandardPaths>
#include <climits>

namespace quillmoor {

struct LauncherQueue::Action {
    QString procedure;
    int line = 0;
    int total = 0;
    int failed = 0;
    int unsettled = 0;
    bool sealed = false;
    QString firstFailed;
    QString firstMessage;
};

LauncherQueue::LauncherQueue(Report report, QObject* parent)
    : QObject(parent)
    , report_(std::move(report))
{
}

LauncherQueue::~LauncherQueue()
{
    // Whatever still runs goes on: a launcher may have become the browser.
    delete holding_;
    LauncherProcess::reap(unreaped_);
}

QString LauncherQueue::located() const { return QStandardPaths::findExecutable(launcher_); }

void LauncherQueue::open(const QUrl& url, const QString& procedure, int line)
{
    const auto earlier = pending_.constFind(url);
    if (dropRepeats_ && !ended() && earlier != pending_.cend() && (!gathering_ || earlier->action != gathering_.get()))
        return;
    if (!gathering_ || gathering_->procedure != procedure || gathering_->line != line) {
        gathering_ = std::make_shared<Action>();
        gathering_->procedure = procedure;
        gathering_->line = line;
        // The handler that asks runs to its end before the event loop does,
        // so all it asked for is in the action by then.
        QMetaObject::invokeMethod(
            this,
            [this, action = gathering_] {
                action->sealed = true;
                if (gathering_ == action)
                    gathering_.reset();
                finishIfDone(action);
            },
            Qt::QueuedConnection);
    }
    ++gathering_->total;
    ++gathering_->unsettled;
    waiting_.push_back(Entry { url, gathering_ });
    Pending& pending = pending_[url];
    pending = { gathering_.get(), pending.copies + 1 };
    ++runTotal_;
    if (phase_ == Phase::Stopped)
        phase_ = Phase::Running;
    if (ended()) {
        // Asked for while the program ends: it goes the way the rest went.
        handOver(handOverOption_);
        return;
    }
    schedulePump();
    updateBusy();
    updateProgress();
}

void LauncherQueue::endAction()
{
    if (!gathering_)
        return;
    const std::shared_ptr<Action> action = std::move(gathering_);
    action->sealed = true;
    finishIfDone(action);
}

void LauncherQueue::forget(const QUrl& url)
{
    const auto pending = pending_.find(url);
    if (pending != pending_.end() && --pending->copies <= 0)
        pending_.erase(pending);
}

void LauncherQueue::schedulePump()
{
    if (pumpPosted_)
        return;
    pumpPosted_ = true;
    QMetaObject::invokeMethod(this, &LauncherQueue::pump, Qt::QueuedConnection);
}

void LauncherQueue::pump()
{
    pumpPosted_ = false;
    while (!holding_ && !waiting_.empty() && phase_ != Phase::HandedOver && roomToStart() && !paced()) {
        Entry entry = std::move(waiting_.front());
        waiting_.pop_front();
        ++runHanded_;
        start(std::move(entry));
    }
    updateBusy();
    updateProgress();
}

bool LauncherQueue::roomToStart()
{
    LauncherProcess::reap(unreaped_);
    running_.removeIf(
        [this](const Running& running) { return running.until.hasExpired() || !unreaped_.contains(running.pid); });
    // Those left to themselves wait only for an ending, which wakes the
    // queue; see letGoOf().
    if (unreaped_.size() >= mostAlive_)
        return false;
    if (running_.size() < kMostRunning)
        return true;
    if (!runLimit_) {
        runLimit_ = new QTimer(this);
        runLimit_->setSingleShot(true);
        connect(runLimit_, &QTimer::timeout, this, &LauncherQueue::schedulePump);
    }
    runLimit_->start(int(qMin<qint64>(running_.front().until.remainingTime(), INT_MAX)));
    return false;
}

bool LauncherQueue::paced()
{
    if (paceMs_ <= 0 || !lastStart_.isValid())
        return false;
    const qint64 left = paceMs_ - lastStart_.elapsed();
    if (left <= 0)
        return false;
    if (!pacing_) {
        pacing_ = new QTimer(this);
        pacing_->setSingleShot(true);
        // Never early: a coarse timer may fire 5 % before its time.
        pacing_->setTimerType(Qt::PreciseTimer);
        connect(pacing_, &QTimer::timeout, this, &LauncherQueue::pump);
    }
    if (!pacing_->isActive())
        pacing_->start(int(left));
    return true;
}

void LauncherQueue::start(Entry entry)
{
    LauncherProcess::reap(unreaped_);
    if (paceMs_ > 0)
        lastStart_.start();
    emit handed(entry.url);
    const QString program = located();
    // Without the launcher, a browser found another way goes at the same
    // pace and as quietly.
    QStringList command = !program.isEmpty() ? QStringList { program, launcherArgument(entry.url) }
        : fallback_                          ? fallback_(entry.url)
                                             : QStringList();
    if (command.isEmpty()) {
        settle(entry.action, entry.url, false,
            tr("%1 was not found, and no other way to a browser worked").arg(launcher_));
        return;
    }
    const QString started = command.takeFirst();
    auto* process = new LauncherProcess(started, command, this);
    if (!process->startError().isEmpty()) {
        settle(entry.action, entry.url, false, process->startError());
        delete process;
        return;
    }
    hold(process, entry, graceMs_);
}

void LauncherQueue::waitFor(qint64 pid, int ms)
{
    if (paceMs_ > 0)
        lastStart_.start();
    if (holding_ || ms <= 0)
        return;
    hold(pid > 0 ? new LauncherProcess(pid, this) : nullptr, Entry {}, ms);
    updateBusy();
}

// The queue waits for `process` to end, or for `ms`; a launcher that runs on
// past that counts as having handed the address over.
void LauncherQueue::hold(LauncherProcess* process, const Entry& entry, int ms)
{
    auto* grace = new QTimer(this);
    grace->setSingleShot(true);
    // Never early: a coarse timer may fire 5 % before its time.
    grace->setTimerType(Qt::PreciseTimer);
    holding_ = grace;
    if (process) {
        process->setParent(grace);
        connect(process, &LauncherProcess::ended, this, [this, process, entry](bool cleanly, const QString& message) {
            conclude(process, entry, cleanly, message);
        });
    }
    connect(grace, &QTimer::timeout, this, [this, process, entry] { conclude(process, entry, true, QString()); });
    grace->start(ms);
}

void LauncherQueue::conclude(LauncherProcess* process, const Entry& entry, bool taken, const QString& message)
{
    QTimer* hold = holding_;
    hold->stop();
    holding_ = nullptr;
    if (process) {
        // Nothing of a launcher past its time is kept but its id, to reap it.
        if (const qint64 pid = process->letGo()) {
            running_ << Running { pid, QDeadlineTimer(longestRunMs_) };
            letGoOf(pid);
        }
    }
    hold->deleteLater();
    if (entry.action)
        settle(entry.action, entry.url, taken, message);
    schedulePump();
    updateBusy();
}

void LauncherQueue::letGoOf(qint64 pid)
{
    // Launchers past their grace time are let go, and each is reaped as
    // soon as it ends, so no finished process lingers.
    if (!watchingEndings_) {
        watchingEndings_ = true;
        connect(ChildEndings::instance(), &ChildEndings::ended, this, [this] {
            LauncherProcess::reap(unreaped_);
            // One of those running on may have left room for the next.
            if (!holding_ && !waiting_.empty())
                schedulePump();
        });
    }
    unreaped_ << pid;
    // It may have ended before anything watched.
    LauncherProcess::reap(unreaped_);
}

void LauncherQueue::settle(const std::shared_ptr<Action>& action, const QUrl& url, bool taken, const QString& message)
{
    forget(url);
    --action->unsettled;
    if (!taken && action->failed++ == 0) {
        action->firstFailed = launcherArgument(url);
        action->firstMessage = message;
    }
    finishIfDone(action);
}

void LauncherQueue::finishIfDone(const std::shared_ptr<Action>& action)
{
    if (!action->sealed || action->unsettled > 0 || action->failed == 0 || ended())
        return;
    const QString description
        = launchFailureText(action->failed, action->total, action->firstFailed, action->firstMessage);
    action->failed = 0; // reported once
    try {
        if (!report_)
            throw Failure(description);
        report_(action->procedure, action->line, description);
    } catch (...) {
        // Called from the event loop, which no exception may cross.
        qWarning("Quillmoor: %s", qPrintable(description));
    }
}

void LauncherQueue::stop()
{
    std::deque<Entry> dropped;
    dropped.swap(waiting_);
    for (const Entry& entry : dropped) {
        forget(entry.url);
        // Never asked of the browser: neither taken nor failed.
        --entry.action->total;
        --entry.action->unsettled;
        finishIfDone(entry.action);
    }
    if (!ended())
        phase_ = Phase::Stopped;
    updateBusy();
    updateProgress();
}

QString LauncherQueue::handOver(const QString& option, const Notes& notes)
{
    handOverOption_ = option;
    gathering_.reset();
    if (phase_ == Phase::KeptHere) {
        schedulePump();
        updateBusy();
        return QString();
    }
    phase_ = Phase::HandedOver;
    if (waiting_.empty()) {
        updateBusy();
        return QString();
    }
    QList<QByteArray> pages;
    for (const Entry& entry : waiting_) {
        pages << entry.url.toEncoded();
        if (const QByteArray note = notes.value(entry.url); !note.isEmpty())
            pages.last() += ' ' + note;
    }
    // The launcher running now is waited for first, for what is left of
    // its time.
    auto* process = holding_ ? holding_->findChild<LauncherProcess*>() : nullptr;
    const int left = holding_ ? qMax(holding_->remainingTime(), 0) : 0;
    qint64 pid = 0;
    const QString why = os::startHandOver(option, process ? process->pid() : 0, left, paceMs_, pages, &pid);
    if (why.isEmpty()) {
        waiting_.clear();
        if (pid > 0)
            letGoOf(pid);
        updateBusy();
        updateProgress();
        return QString();
    }
    // Nothing else takes the pages: they go from here at the same pace.
    phase_ = Phase::KeptHere;
    schedulePump();
    updateBusy();
    return why;
}

void LauncherQueue::updateProgress()
{
    if (waiting_.empty())
        runHanded_ = runTotal_ = 0;
    emit progress(runHanded_, runTotal_);
}

void LauncherQueue::updateBusy()
{
    const bool now = busy();
    if (now == saidBusy_)
        return;
    saidBusy_ = now;
    emit busyChanged(now);
}

} // namespace quillmoor
