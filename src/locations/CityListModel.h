#pragma once

#include "ItemBatch.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace quillmoor {

// The cities the filter gives, as the city list shows them: column 0 the
// address, column 1 the name and region; there are as many columns as
// captions have been added. A filter keystroke swaps a whole new batch of
// rows in.
class CityListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The view lays out every row after a rebuild and asks these for each;
    // the inherited versions cost several virtual calls a row.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;

    void addColumn(const QString& caption);
    void append(ItemBatch&& batch);
    // Shows the rows of `batch` and hands the previous rows back in it.
    void swapAll(ItemBatch& batch);
    const ItemBatch& items() const { return items_; }
    qsizetype count() const { return items_.size(); }
    // The address and the name (with its region) of row `row`; a row
    // outside the list throws std::out_of_range.
    QString address(qsizetype row) const;
    QString name(qsizetype row) const;

private:
    QStringList captions_;
    ItemBatch items_;
};

} // namespace quillmoor
