#pragma once

#include "LaterTime.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

namespace quillmoor {

// When each saved search was last handed to the browser, by its text (the
// seconds since 1970): a search keeps its time wherever it moves, and an
// edit of its text leaves the new text without one. The saved list's model
// gives it with each row; the window says what it means.
class OpenedTimes {
public:
    using Times = QHash<QString, qint64>;

    // `entries` were handed to the browser at `seconds`.
    void record(const QStringList& entries, qint64 seconds);
    // Times kept elsewhere (the settings file): the later one wins. The
    // first record taken is shared, not copied: a million times cost the
    // start nothing more than reading them.
    void take(const Times& times);
    // The times recorded here, which a save adds to the file's: the times
    // taken from the file are there already, and merging them again would
    // make every save cost as much as the whole record.
    const Times& times() const { return recorded_; }
    std::optional<qint64> of(const QString& entry) const;
    // Opened on the day `now` falls on, where the user is.
    bool openedOn(const QString& entry, const QDateTime& now) const;

private:
    Times taken_;
    Times recorded_;
};

} // namespace quillmoor
