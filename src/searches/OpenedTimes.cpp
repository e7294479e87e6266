#include "OpenedTimes.h"

namespace quillmoor {

void OpenedTimes::record(const QStringList& entries, qint64 seconds)
{
    for (const QString& entry : entries)
        recorded_.insert(entry, seconds);
}

void OpenedTimes::take(const Times& times)
{
    if (taken_.isEmpty()) {
        taken_ = times;
        return;
    }
    keepLaterTimes(taken_, times);
}

std::optional<qint64> OpenedTimes::of(const QString& entry) const
{
    const auto taken = taken_.constFind(entry);
    const auto recorded = recorded_.constFind(entry);
    if (taken == taken_.cend())
        return recorded == recorded_.cend() ? std::nullopt : std::optional<qint64>(recorded.value());
    return recorded == recorded_.cend() ? taken.value() : qMax(taken.value(), recorded.value());
}

bool OpenedTimes::openedOn(const QString& entry, const QDateTime& now) const
{
    const std::optional<qint64> seconds = of(entry);
    return seconds && QDateTime::fromSecsSinceEpoch(*seconds).toLocalTime().date() == now.toLocalTime().date();
}

} // namespace quillmoor
