#include "SearchListModel.h"

#include "ListDiff.h"
#include "OpenedTimes.h"
#include "ShownText.h"

#include <QSet>

#include <limits>
#include <stdexcept>
#include <string>

namespace quillmoor {

namespace {
    void checkRange(qsizetype first, qsizetype count, qsizetype size)
    {
        if (first < 0 || count < 0 || first > size || count > size - first) {
            const qsizetype bad = first < 0 || first > size ? first : first + count - 1;
            throw std::out_of_range("The list has no item at position " + std::to_string(bad + 1) + ".");
        }
    }
} // namespace

int SearchListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // Views count rows in int; a list beyond that shows its first rows only.
    return int(qMin<qsizetype>(entries_.size(), std::numeric_limits<int>::max()));
}

QVariant SearchListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole)
        return shownText(entries_.at(index.row()).left(kShownLength + 1));
    if (role == kFullTextRole)
        return entries_.at(index.row());
    if (role == kOpenedTimeRole && opened_) {
        const std::optional<qint64> seconds = opened_->of(entries_.at(index.row()));
        return seconds ? QVariant(*seconds) : QVariant();
    }
    return {};
}

void SearchListModel::openedTimesChanged()
{
    if (!entries_.isEmpty())
        emit dataChanged(index(0), index(rowCount() - 1), { kOpenedTimeRole });
}

void SearchListModel::openedTimesChanged(const QStringList& entries)
{
    if (entries.isEmpty())
        return;
    // One signal per run of rows: a page covers a few searches, wherever
    // they stand (a text saved twice changes both rows).
    const QSet<QString> opened(entries.cbegin(), entries.cend());
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row) {
        if (!opened.contains(entries_.at(row)))
            continue;
        int last = row;
        while (last + 1 < rows && opened.contains(entries_.at(last + 1)))
            ++last;
        emit dataChanged(index(row), index(last), { kOpenedTimeRole });
        row = last;
    }
}

QVariant SearchListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return caption_;
    return {};
}

Qt::ItemFlags SearchListModel::flags(const QModelIndex& index) const
{
    // Rows may be dragged, and dropped between rows.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
}

void SearchListModel::setCaption(const QString& caption)
{
    caption_ = caption;
    emit headerDataChanged(Qt::Horizontal, 0, 0);
}

SearchListModel::Change SearchListModel::splice(qsizetype first, qsizetype count, const QStringList& after)
{
    checkRange(first, count, entries_.size());
    Change change { first, entries_.mid(first, count), after };
    if (count == after.size()) {
        // The same rows with new texts: the view keeps its selection.
        if (count == 0)
            return change;
        std::copy(after.begin(), after.end(), entries_.begin() + first);
        emit dataChanged(index(int(first)), index(int(first + count - 1)));
        return change;
    }
    if (count > 0) {
        beginRemoveRows({}, int(first), int(first + count - 1));
        entries_.remove(first, count);
        endRemoveRows();
    }
    if (!after.isEmpty()) {
        beginInsertRows({}, int(first), int(first + after.size() - 1));
        if (entries_.isEmpty()) {
            entries_ = after;
        } else {
            entries_.insert(first, after.size(), QString());
            std::copy(after.begin(), after.end(), entries_.begin() + first);
        }
        endInsertRows();
    }
    return change;
}

SearchListModel::Changes SearchListModel::insert(qsizetype at, const QStringList& texts)
{
    checkRange(at, 0, entries_.size());
    if (texts.isEmpty())
        return {};
    const Changes changes { splice(at, 0, texts) };
    emit listChanged();
    return changes;
}

SearchListModel::Changes SearchListModel::remove(const QList<qsizetype>& rows)
{
    for (const qsizetype row : rows)
        checkRange(row, 1, entries_.size());
    Changes changes;
    for (qsizetype end = rows.size(); end > 0;) {
        qsizetype start = end - 1;
        while (start > 0 && rows[start - 1] == rows[start] - 1)
            --start;
        changes.append(splice(rows[start], end - start, {}));
        end = start;
    }
    if (!changes.isEmpty())
        emit listChanged();
    return changes;
}

SearchListModel::Changes SearchListModel::replace(qsizetype first, const QStringList& texts)
{
    checkRange(first, texts.size(), entries_.size());
    if (entries_.mid(first, texts.size()) == texts)
        return {};
    const Changes changes { splice(first, texts.size(), texts) };
    emit listChanged();
    return changes;
}

SearchListModel::Changes SearchListModel::clear()
{
    if (entries_.isEmpty())
        return {};
    const Changes changes { splice(0, entries_.size(), {}) };
    emit listChanged();
    return changes;
}

void SearchListModel::restore(const QStringList& entries)
{
    if (entries.isEmpty())
        return;
    splice(count(), 0, entries);
    emit listChanged();
}

SearchListModel::Changes SearchListModel::takeIn(const QStringList& next)
{
    const Changes changes = listDiff(entries_, next);
    // From the last up, so that each change finds its rows where it says.
    for (auto change = changes.crbegin(); change != changes.crend(); ++change)
        splice(change->first, change->before.size(), change->after);
    if (!changes.isEmpty())
        emit listChanged();
    return changes;
}

void SearchListModel::undo(const Changes& changes)
{
    for (auto change = changes.rbegin(); change != changes.rend(); ++change)
        splice(change->first, change->after.size(), change->before);
    if (!changes.isEmpty())
        emit listChanged();
}

void SearchListModel::redo(const Changes& changes)
{
    for (const Change& change : changes)
        splice(change.first, change.before.size(), change.after);
    if (!changes.isEmpty())
        emit listChanged();
}

} // namespace quillmoor
