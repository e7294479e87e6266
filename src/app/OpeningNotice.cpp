#include "OpeningNotice.h"

#include "Platform.h"

#include <QTimer>

namespace quillmoor {

namespace {
    const QString kStop = QStringLiteral("stop");
    const QString kOpenRest = QStringLiteral("rest");

    int percent(int handed, int total) { return total > 0 ? int(qint64(handed) * 100 / total) : 0; }
} // namespace

OpeningNotice::OpeningNotice(Platform& platform, QObject* parent)
    : QObject(parent)
    , platform_(platform)
{
    if (platform_.watchRunNotice)
        platform_.watchRunNotice(this, [this](const QString& key) { chosen(key); });
}

OpeningNotice::~OpeningNotice()
{
    if (running_ && platform_.offerStop)
        platform_.offerStop(nullptr);
}

void OpeningNotice::progress(int handed, int total)
{
    // One handler queues its pages one by one: what it asked for in all is
    // shown once it has ended, not each count on the way.
    latest_ = { handed, total };
    if (posted_)
        return;
    posted_ = true;
    QTimer::singleShot(0, this, [this] {
        posted_ = false;
        show(latest_.first, latest_.second);
    });
}

void OpeningNotice::show(int handed, int total)
{
    if (total == 0) {
        endRun();
        return;
    }
    if (total <= kAbovePages && !running_)
        return;
    if (!running_ && platform_.offerStop)
        platform_.offerStop([this] { return stop ? stop() : 0; });
    running_ = true;
    restShown_ = false;
    if (platform_.showRunNotice)
        platform_.showRunNotice(tr("Opening pages: %1 of %2").arg(handed).arg(total), { kStop, tr("Stop Opening") },
            percent(handed, total));
    if (platform_.showLauncherProgress)
        platform_.showLauncherProgress(double(handed) / total);
}

void OpeningNotice::stopped(int handed, int total, int rest)
{
    if (rest > 0 && openRest && (running_ || total > kAbovePages)) {
        endRun();
        restShown_ = true;
        if (platform_.showRunNotice)
            platform_.showRunNotice(tr("Stopped at %1 of %2 pages").arg(handed).arg(total),
                { kOpenRest, tr("Open the Rest") }, percent(handed, total));
    } else if (rest == 0 && restShown_) {
        restShown_ = false;
        withdrawSoon();
    }
}

void OpeningNotice::endRun()
{
    if (!running_)
        return;
    running_ = false;
    if (platform_.offerStop)
        platform_.offerStop(nullptr);
    if (platform_.showLauncherProgress)
        platform_.showLauncherProgress(-1);
    withdrawSoon();
}

void OpeningNotice::withdrawSoon()
{
    // A stop says what it kept right after the run ends, and Open the Rest
    // starts a run right after the rest goes: the notice then changes in
    // place rather than going and coming back.
    QTimer::singleShot(0, this, [this] {
        if (!running_ && !restShown_ && platform_.showRunNotice)
            platform_.showRunNotice({}, {}, -1);
    });
}

void OpeningNotice::chosen(const QString& key)
{
    if (key == kStop && running_ && stop)
        stop();
    else if (key == kOpenRest && restShown_ && openRest)
        openRest();
}

} // namespace quillmoor
