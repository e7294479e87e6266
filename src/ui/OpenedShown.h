#pragma once

#include <QDateTime>
#include <QVariant>
#include <optional>

class QModelIndex;

namespace quillmoor {

// "Opened today at 14:32", "Opened yesterday at 9:05", "Opened 3 days ago",
// "Not opened yet".
QString openedText(std::optional<qint64> seconds, const QDateTime& now);

// What the saved list says of when each search was opened, made from the
// time its row gives (SearchListModel::kOpenedTimeRole): the tool tip and
// the description screen readers give say when, and a search opened today
// carries a check mark. For ListView::setRowRoles().
class OpenedShown {
public:
    QVariant operator()(const QModelIndex& index, int role) const;

private:
    // Today where the user is, in seconds since 1970, from its first second
    // up to the next day's: found again only once it is over.
    mutable qint64 todayFrom_ = 0;
    mutable qint64 todayTo_ = 0;
};

} // namespace quillmoor
