#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace quillmoor {

// When each saved search was last handed to the browser, by its text (the
// seconds since 1970): a search keeps its time wherever it moves, and an
// edit of its text leaves the new text without one. The list shows it:
// the tool tip and the description screen readers give say when, and a
// search opened today carries a check mark.
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

    // What the list shows of `entry` under `role` (tool tip, description,
    // decoration), or nothing.
    QVariant data(const QString& entry, int role, const QDateTime& now) const;

private:
    Times taken_;
    Times recorded_;
};

// "Opened today at 14:32", "Opened yesterday at 9:05", "Opened 3 days ago",
// "Not opened yet"; "Opened at an unknown time" for one no date can show.
QString openedText(std::optional<qint64> seconds, const QDateTime& now);

} // namespace quillmoor
