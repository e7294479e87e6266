#include "ShownRows.h"

namespace quillmoor {

void ShownRows::setFilter(std::function<bool(int row)> keeps)
{
    keeps_ = std::move(keeps);
    // As one new layout: taken in as runs of rows removed, a find that keeps
    // every tenth row sent the view thousands of removals, each a pass over
    // every row of the header.
    invalidate();
}

QVariant ShownRows::data(const QModelIndex& index, int role) const
{
    if (roles_ && index.isValid()) {
        QVariant said = roles_(mapToSource(index), role);
        if (said.isValid())
            return said;
    }
    return QSortFilterProxyModel::data(index, role);
}

bool ShownRows::filterAcceptsRow(int row, const QModelIndex& parent) const
{
    return !keeps_ || parent.isValid() || keeps_(row);
}

} // namespace quillmoor
