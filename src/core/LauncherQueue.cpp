#include "LauncherQueue.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <unistd.h>
#include <vector>

namespace quillmoor {

namespace {

    QString argument(const QUrl& url) { return QString::fromLatin1(url.toEncoded()); }

    // Launchers still running when the queue goes. Destroying a QProcess
    // kills its process, and a launcher that has become the browser must
    // outlive the program; kept here, they stay reachable and alive.
    std::vector<QProcess*>& leftRunning()
    {
        static auto* processes = new std::vector<QProcess*>;
        return *processes;
    }

    QString firstLine(QTemporaryFile* file)
    {
        if (!file || !file->seek(0))
            return QString();
        return QString::fromLocal8Bit(file->readLine(2000)).trimmed();
    }

} // namespace

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
    for (QProcess* process : findChildren<QProcess*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (process->state() == QProcess::NotRunning)
            continue;
        process->disconnect(this);
        process->setParent(nullptr);
        leftRunning().push_back(process);
    }
    if (shownBusy_ && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}

QString LauncherQueue::located() const { return QStandardPaths::findExecutable(launcher_); }

void LauncherQueue::open(const QUrl& url, const QString& procedure, int line)
{
    if (ended_) {
        // Asked for while the program ends: no one is left to wait.
        const QString program = located();
        if (program.isEmpty() ? !(fallback_ && fallback_(url)) : !QProcess::startDetached(program, { argument(url) }))
            qWarning("Quillmoor: no browser took %s", url.toEncoded().constData());
        return;
    }
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
    if (!pumpPosted_) {
        pumpPosted_ = true;
        QMetaObject::invokeMethod(this, &LauncherQueue::pump, Qt::QueuedConnection);
    }
    updateBusy();
}

void LauncherQueue::pump()
{
    pumpPosted_ = false;
    while (!holding_ && !waiting_.empty() && !ended_) {
        Entry entry = std::move(waiting_.front());
        waiting_.pop_front();
        start(std::move(entry));
    }
    updateBusy();
}

void LauncherQueue::start(Entry entry)
{
    const QString program = located();
    if (program.isEmpty()) {
        // Qt's own desktop services know other ways to a browser.
        const bool taken = fallback_ && fallback_(entry.url);
        settle(entry.action, entry.url, taken,
            taken ? QString() : tr("%1 was not found, and no other way to a browser worked").arg(launcher_));
        return;
    }

    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments({ argument(entry.url) });
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    // Error output goes to a file, not a pipe: a launcher that has become the
    // browser may write for hours, and a pipe nobody reads would stall it.
    auto* errors = new QTemporaryFile(process);
    if (errors->open())
        process->setStandardErrorFile(errors->fileName());
    else
        process->setStandardErrorFile(QProcess::nullDevice());

    const auto done = std::make_shared<bool>(false);
    const auto conclude = [this, process, errors, entry, done](bool taken, const QString& message) {
        release(process);
        if (*done)
            return;
        *done = true;
        settle(entry.action, entry.url, taken, message.isEmpty() ? firstLine(errors) : message);
    };
    connect(process, &QProcess::finished, this, [process, conclude](int code, QProcess::ExitStatus status) {
        const bool taken = status == QProcess::NormalExit && code == 0;
        conclude(taken, status == QProcess::CrashExit ? process->errorString() : QString());
        process->deleteLater();
    });
    connect(process, &QProcess::errorOccurred, this, [process, conclude](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        conclude(false, process->errorString());
        process->deleteLater();
    });
    // One that runs on is taken as having handed the address over.
    auto* grace = new QTimer(process);
    grace->setSingleShot(true);
    connect(grace, &QTimer::timeout, this, [conclude] { conclude(true, QString()); });
    grace->start(graceMs_);

    holding_ = process;
    process->start();
    // The launcher holds its own handle now; the name can go at once, so
    // nothing is left behind however long it runs.
    if (errors->isOpen())
        ::unlink(QFile::encodeName(errors->fileName()).constData());
}

void LauncherQueue::release(QProcess* process)
{
    if (holding_ != process)
        return;
    holding_ = nullptr;
    if (!pumpPosted_) {
        pumpPosted_ = true;
        QMetaObject::invokeMethod(this, &LauncherQueue::pump, Qt::QueuedConnection);
    }
    updateBusy();
}

void LauncherQueue::settle(const std::shared_ptr<Action>& action, const QUrl& url, bool taken, const QString& message)
{
    --action->unsettled;
    if (!taken && action->failed++ == 0) {
        action->firstFailed = argument(url);
        action->firstMessage = message;
    }
    finishIfDone(action);
}

void LauncherQueue::finishIfDone(const std::shared_ptr<Action>& action)
{
    if (!action->sealed || action->unsettled > 0 || action->failed == 0 || ended_)
        return;
    QString description = action->total == 1
        ? tr("The web browser did not take 1 of 1 address: %1.").arg(action->firstFailed)
        : tr("The web browser did not take %1 of %2 addresses; the first was %3.")
              .arg(action->failed)
              .arg(action->total)
              .arg(action->firstFailed);
    if (!action->firstMessage.isEmpty())
        description += u' ' + tr("The launcher said: %1").arg(action->firstMessage);
    action->failed = 0; // reported once
    try {
        report_(action->procedure, action->line, description);
    } catch (...) {
        // Called from the event loop, which no exception may cross.
        qWarning("Quillmoor: %s", qPrintable(description));
    }
}

void LauncherQueue::flush()
{
    ended_ = true;
    gathering_.reset();
    std::deque<Entry> waiting;
    waiting.swap(waiting_);
    for (const Entry& entry : waiting)
        open(entry.url, entry.action->procedure, entry.action->line);
    updateBusy();
}

void LauncherQueue::updateBusy()
{
    const bool now = busy();
    if (now == shownBusy_)
        return;
    shownBusy_ = now;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (now)
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
        else
            QGuiApplication::restoreOverrideCursor();
    }
    emit busyChanged(now);
}

} // namespace quillmoor
