#pragma once

#include "ItemBatch.h"

#include <QTableView>

namespace quillmoor {

class ItemModel;

// A list in report view: rows under one row of column headers, whole-row
// selection, one selected row unless the list is set to take several. Positions count from 0. A table view
// rather than a tree view: after a rebuild a tree view lays out every row,
// a table view only the rows on screen.
class ListView : public QTableView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    void addColumn(const QString& caption);
    void setColumnWidthTwips(int column, int twips);

    qsizetype addItem(const QString& text);
    void setSubItem(qsizetype row, const QString& text);
    void addItems(ItemBatch&& batch);
    // Shows the rows of `batch` instead of the current ones, which come back
    // in `batch`, so their memory can serve the next rebuild.
    void swapItems(ItemBatch& batch);
    void clearItems();
    void removeItem(qsizetype row);

    qsizetype count() const;
    QString itemText(qsizetype row) const;
    QString subItemText(qsizetype row) const;
    // The selected row, or -1 when none is.
    qsizetype selectedRow() const;
    // Every selected row, top to bottom.
    QList<qsizetype> selectedRows() const;
    void selectRow(qsizetype row);

signals:
    void itemDoubleClicked();
    void deletePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    ItemModel* model_;
};

} // namespace quillmoor
