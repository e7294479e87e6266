#include "CityListModel.h"

#include "ShownText.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace quillmoor {

int CityListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    // Views count rows in int; a list beyond that shows its first rows only.
    return int(qMin<qsizetype>(items_.size(), std::numeric_limits<int>::max()));
}

int CityListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(captions_.size()); }

QVariant CityListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == kFullTextRole) {
        if (index.column() == 0)
            return items_.text(index.row()).toString();
        return index.column() == 1 ? items_.subText(index.row()) : QVariant();
    }
    if (role != Qt::DisplayRole)
        return {};
    // One character more than is shown tells shown() whether a pair is cut.
    switch (index.column()) {
    case 0:
        return shownText(items_.text(index.row()).left(kShownLength + 1).toString());
    case 1:
        return shownText(items_.subText(index.row(), kShownLength + 1));
    default:
        return {};
    }
}

QVariant CityListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < captions_.size())
        return captions_.at(section);
    return {};
}

QModelIndex CityListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || row < 0 || column < 0 || row >= items_.size() || column >= captions_.size())
        return {};
    return createIndex(row, column);
}

Qt::ItemFlags CityListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
}

bool CityListModel::hasChildren(const QModelIndex& parent) const
{
    return !parent.isValid() && items_.size() > 0 && !captions_.isEmpty();
}

namespace {
    void checkRow(qsizetype row, qsizetype count)
    {
        if (row < 0 || row >= count)
            throw std::out_of_range("The list has no item at position " + std::to_string(row + 1) + ".");
    }
} // namespace

QString CityListModel::address(qsizetype row) const
{
    checkRow(row, items_.size());
    return items_.text(row).toString();
}

QString CityListModel::name(qsizetype row) const
{
    checkRow(row, items_.size());
    return items_.subText(row);
}

void CityListModel::addColumn(const QString& caption)
{
    const int at = int(captions_.size());
    beginInsertColumns({}, at, at);
    captions_.append(caption);
    endInsertColumns();
}

void CityListModel::append(ItemBatch&& batch)
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

void CityListModel::swapAll(ItemBatch& batch)
{
    beginResetModel();
    std::swap(items_, batch);
    endResetModel();
}

} // namespace quillmoor
