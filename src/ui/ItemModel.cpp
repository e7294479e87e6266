#include "ItemModel.h"

#include <limits>

namespace quillmoor {

int ItemModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // Views count rows in int; a list beyond that shows its first rows only.
    return int(qMin<qsizetype>(items_.size(), std::numeric_limits<int>::max()));
}

int ItemModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(captions_.size()); }

namespace {
    // Cut to kShownLength, never between the two halves of a surrogate pair.
    QString shown(QString text)
    {
        if (text.size() > ItemModel::kShownLength) {
            qsizetype end = ItemModel::kShownLength;
            if (text.at(end - 1).isHighSurrogate())
                --end;
            text.truncate(end);
        }
        return text;
    }
} // namespace

QVariant ItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    // One character more than is shown tells shown() whether a pair is cut.
    switch (index.column()) {
    case 0:
        return shown(items_.text(index.row()).left(kShownLength + 1).toString());
    case 1:
        return shown(items_.subText(index.row(), kShownLength + 1));
    default:
        return {};
    }
}

QVariant ItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < captions_.size())
        return captions_.at(section);
    return {};
}

QModelIndex ItemModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= items_.size() || column >= captions_.size())
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags ItemModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return movable_ ? Qt::ItemIsDropEnabled : Qt::NoItemFlags;
    const Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return movable_ ? flags | Qt::ItemIsDragEnabled : flags;
}

Qt::DropActions ItemModel::supportedDropActions() const { return movable_ ? Qt::MoveAction : Qt::IgnoreAction; }

bool ItemModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && items_.size() > 0 && !captions_.isEmpty();
}

void ItemModel::addColumn(const QString& caption)
{
    const int at = int(captions_.size());
    beginInsertColumns({}, at, at);
    captions_.append(caption);
    endInsertColumns();
}

qsizetype ItemModel::append(const QString& text)
{
    const int at = rowCount();
    beginInsertRows({}, at, at);
    items_.add(text);
    endInsertRows();
    return items_.size() - 1;
}

void ItemModel::append(ItemBatch&& batch)
{
    if (batch.size() == 0)
        return;
    const int first = rowCount();
    beginInsertRows({}, first, int(first + batch.size() - 1));
    if (items_.size() == 0)
        items_ = std::move(batch);
    else
        items_.append(batch);
    endInsertRows();
}

void ItemModel::swapAll(ItemBatch& batch)
{
    beginResetModel();
    std::swap(items_, batch);
    endResetModel();
}

void ItemModel::remove(qsizetype row)
{
    beginRemoveRows({}, int(row), int(row));
    items_.remove(row);
    endRemoveRows();
}

void ItemModel::insert(qsizetype at, const QStringList& texts)
{
    if (texts.isEmpty())
        return;
    beginInsertRows({}, int(at), int(at + texts.size() - 1));
    items_.insert(at, texts);
    endInsertRows();
}

void ItemModel::remove(qsizetype first, qsizetype count)
{
    if (count <= 0)
        return;
    beginRemoveRows({}, int(first), int(first + count - 1));
    items_.remove(first, count);
    endRemoveRows();
}

void ItemModel::clear()
{
    beginResetModel();
    items_.clear();
    endResetModel();
}

} // namespace quillmoor
