#include "LauncherProcess.h"

#include "LaunchFailure.h"
#include "Process.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cstring>

namespace quillmoor {

LauncherProcess::LauncherProcess(const QString& program, const QStringList& arguments, QObject* parent)
    : QObject(parent)
{
    errorFd_ = os::unnamedFile();
    qint64 pid = 0;
    const int result = os::spawn(&pid, program, arguments, errorFd_);
    if (result != 0) {
        startError_ = tr("%1 could not be started: %2").arg(program, QString::fromLocal8Bit(std::strerror(result)));
        letGo();
        return;
    }
    pid_ = pid;
    watch();
}

LauncherProcess::LauncherProcess(qint64 pid, QObject* parent)
    : QObject(parent)
    , pid_(pid)
    , child_(false)
{
    watch();
}

LauncherProcess::~LauncherProcess() { letGo(); }

void LauncherProcess::watch()
{
    // A process descriptor tells at once when the process ends; without
    // one (an old kernel, no descriptor left) a short poll does.
    pidFd_ = os::processDescriptor(pid_);
    if (pidFd_ >= 0) {
        notifier_ = new QSocketNotifier(pidFd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &LauncherProcess::check);
    } else {
        poll_ = new QTimer(this);
        connect(poll_, &QTimer::timeout, this, &LauncherProcess::check);
        poll_->start(50);
    }
}

void LauncherProcess::check()
{
    bool cleanly = true;
    QString message;
    if (child_) {
        const std::optional<os::ChildEnd> end = os::reapChild(pid_);
        if (!end)
            return;
        if (end->signal != 0) {
            cleanly = false;
            message = tr("the launcher ended on signal %1").arg(end->signal);
        } else if (end->reaped) {
            cleanly = end->status == 0;
            message = launcherWords(os::lastLines(errorFd_, 4));
        }
        pid_ = 0; // reaped
    } else if (!os::processGone(pid_)) {
        return;
    }
    letGo();
    emit ended(cleanly, message);
}

qint64 LauncherProcess::letGo()
{
    delete notifier_;
    notifier_ = nullptr;
    delete poll_;
    poll_ = nullptr;
    os::closeDescriptor(pidFd_);
    os::closeDescriptor(errorFd_);
    const qint64 unreaped = child_ ? pid_ : 0;
    pid_ = 0;
    return unreaped;
}

void LauncherProcess::reap(QList<qint64>& pids) { os::reapEnded(pids); }

} // namespace quillmoor
