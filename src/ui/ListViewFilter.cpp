#include "ListView.h"

#include "ShownRows.h"

namespace quillmoor {

// The rows a find hides: a filterable list shows its model through a
// filtering model of its own, and every row the handlers give or are given
// is the model's, mapped to the row shown and back here.

void ListView::setFilterable()
{
    if (shown_)
        return;
    shown_ = new ShownRows(this);
}

void ListView::setModel(QAbstractItemModel* model)
{
    if (!shown_) {
        QTableView::setModel(model);
        return;
    }
    for (const QMetaObject::Connection& watch : std::as_const(modelWatch_))
        disconnect(watch);
    modelWatch_.clear();
    shown_->setSourceModel(model);
    QTableView::setModel(model ? shown_ : nullptr);
    if (!model)
        return;
    // The count of rows shown follows the model's changes once the filter
    // has taken them in (it hears of them first).
    const auto again = [this] { sayRowsFiltered(); };
    modelWatch_ << connect(model, &QAbstractItemModel::rowsInserted, this, again)
                << connect(model, &QAbstractItemModel::rowsRemoved, this, again)
                << connect(model, &QAbstractItemModel::dataChanged, this, again)
                << connect(model, &QAbstractItemModel::modelReset, this, again);
}

void ListView::setRowRoles(std::function<QVariant(const QModelIndex& index, int role)> roles)
{
    if (shown_)
        shown_->setRoles(std::move(roles));
}

QAbstractItemModel* ListView::rowsModel() const { return shown_ ? shown_->sourceModel() : model(); }

int ListView::shownAt(qsizetype row) const
{
    if (!filtering())
        return int(row);
    return shown_->mapFromSource(rowsModel()->index(int(row), 0)).row();
}

qsizetype ListView::rowAt(int shown) const
{
    if (!filtering())
        return shown;
    return shown_->mapToSource(shown_->index(shown, 0)).row();
}

bool ListView::filtering() const { return shown_ && shown_->filtering(); }

void ListView::sayRowsFiltered()
{
    if (filtering())
        emit rowsFiltered(model()->rowCount(), count());
}

void ListView::setRowFilter(std::function<bool(qsizetype row)> shows)
{
    if (!shown_)
        return;
    // The selection and the keyboard's place are kept by the model's rows,
    // and put back on those still shown: through the new layout Qt keeps a
    // selection index by index (seconds for a long one) or, all rows
    // selected, not at all.
    const QList<qsizetype> selected = selectedRows();
    const qsizetype current = currentRow();
    selectionModel()->clear();
    shown_->setFilter(shows ? std::function<bool(int)>([shows = std::move(shows)](int row) { return shows(row); })
                            : std::function<bool(int)>());
    QList<int> rows;
    selectionModel()->select(selectionOf(selected, rows), QItemSelectionModel::ClearAndSelect);
    if (const int shown = current >= 0 ? shownAt(current) : -1; shown >= 0)
        selectionModel()->setCurrentIndex(keyIndex(shown), QItemSelectionModel::NoUpdate);
    sayRowsFiltered();
}

QList<qsizetype> ListView::shownRows() const
{
    QList<qsizetype> rows;
    const int shown = model()->rowCount();
    rows.reserve(shown);
    for (int row = 0; row < shown; ++row)
        rows.append(rowAt(row));
    return rows;
}

} // namespace quillmoor
