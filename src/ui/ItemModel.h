#pragma once

#include "ItemBatch.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace quillmoor {

// The rows of one list view. Column 0 shows the item text, column 1 the
// sub-item; there are as many columns as captions have been added.
class ItemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // The most characters of a text that a row shows: several screens wide
    // in any font. The rest stays in the item, but laying out and painting
    // megabytes for one row would stall the window for many seconds.
    static constexpr qsizetype kShownLength = 4096;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The view lays out every row after a rebuild and asks these for each;
    // the inherited versions cost several virtual calls a row.
    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    Qt::DropActions supportedDropActions() const override;

    // Rows may be dragged, and dropped between rows.
    void setMovable(bool on) { movable_ = on; }

    void addColumn(const QString& caption);
    qsizetype append(const QString& text);
    void append(ItemBatch&& batch);
    // Shows the rows of `batch` and hands the previous rows back in it.
    void swapAll(ItemBatch& batch);
    void remove(qsizetype row);
    void insert(qsizetype at, const QStringList& texts);
    void remove(qsizetype first, qsizetype count);
    void clear();
    const ItemBatch& items() const { return items_; }

private:
    QStringList captions_;
    ItemBatch items_;
    bool movable_ = false;
};

} // namespace quillmoor
