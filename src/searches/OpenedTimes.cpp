#include "OpenedTimes.h"

namespace quillmoor {

void OpenedTimes::record(const QStringList& entries, qint64 seconds)
{
    for (const QString& entry : entries)
        times_.insert(entry, seconds);
}

std::optional<qint64> OpenedTimes::of(const QString& entry) const
{
    const auto time = times_.constFind(entry);
    return time == times_.cend() ? std::nullopt : std::optional<qint64>(time.value());
}

bool OpenedTimes::openedOn(const QString& entry, const QDateTime& now) const
{
    const std::optional<qint64> seconds = of(entry);
    return seconds && QDateTime::fromSecsSinceEpoch(*seconds).toLocalTime().date() == now.toLocalTime().date();
}

} // namespace quillmoor
