#pragma once

#include <QHash>
#include <QString>

namespace quillmoor {

// When saved searches were opened, by their text (seconds since 1970), as
// the window, the settings file and other copies each keep them. One rule
// for all: of two times for one text the later one wins, whoever recorded
// it, so that taking in another's record never makes a search look older.
// The texts may be kept as strings or as views into a stored value.
template <class Text> void keepLaterTime(QHash<Text, qint64>& times, const Text& entry, qint64 seconds)
{
    const auto kept = times.find(entry);
    if (kept == times.end())
        times.insert(entry, seconds);
    else if (*kept < seconds)
        *kept = seconds;
}

inline void keepLaterTimes(QHash<QString, qint64>& times, const QHash<QString, qint64>& others)
{
    for (auto time = others.cbegin(); time != others.cend(); ++time)
        keepLaterTime(times, time.key(), time.value());
}

} // namespace quillmoor
