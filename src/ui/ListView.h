#pragma once

#include <QTableView>
#include <functional>

namespace quillmoor {

class ShownRows;

// A list in report view: rows under one row of column headers, whole-row
// selection, one selected row unless the list is set to take several.
// Positions count from 0 and are the model's rows, whichever the find
// shows. A table view
// rather than a tree view: after a rebuild a tree view lays out every row,
// a table view only the rows on screen.
class ListView : public QTableView {
    Q_OBJECT
public:
    explicit ListView(QWidget* parent = nullptr);

    // Lets a filter hide rows (setRowFilter): the list then shows its model
    // through a filtering model of its own. Before setModel().
    void setFilterable();
    void setModel(QAbstractItemModel* model) override;
    // What the list says of a row beyond what its model says, asked first
    // for every role with the model's index (a filterable list only).
    void setRowRoles(std::function<QVariant(const QModelIndex& index, int role)> roles);

    void setColumnWidthTwips(int column, int twips);

    // Runs `remove`, which takes the rows at `rows` (ascending, distinct)
    // out of the model shown, and keeps the keyboard's place in the list.
    void removeRows(const QList<qsizetype>& rows, const std::function<void()>& remove);

    qsizetype count() const;
    QString itemText(qsizetype row) const;
    QString subItemText(qsizetype row) const;
    // Every selected row, top to bottom.
    QList<qsizetype> selectedRows() const;
    // The row the keyboard stands on, or -1; and whether it is selected.
    qsizetype currentRow() const;
    bool currentRowSelected() const;
    void selectRow(qsizetype row);
    // Scrolls row `row` into view, also right after rows were added.
    void showRow(qsizetype row);
    // Selects exactly `rows` (ascending), makes the first the current row and
    // scrolls it to the top, or only as far as it takes to show it when not
    // `toTop`; with no rows nothing is selected.
    void selectRows(const QList<qsizetype>& rows, bool toTop = true);
    // Lets the selected rows be dragged to another place in the list; the
    // list then says where (rowsDropped) and moves nothing itself.
    void setMovableRows(bool on);
    // Shows only the rows `shows` keeps, now and as rows come and change,
    // until set to none (an empty function); a filterable list only. A
    // hidden row is never selected: selectedRows() and selectAll() stand for
    // the rows shown.
    void setRowFilter(std::function<bool(qsizetype row)> shows);
    bool filtering() const;
    // The rows shown, top to bottom.
    QList<qsizetype> shownRows() const;

    // Whether the menu is also asked for away from any row (with row -1).
    void setMenuWithoutRow(bool on) { menuWithoutRow_ = on; }

    // The column that holds the keyboard's place in every row: the one a
    // reader hears and that typing a name searches. Any other column is
    // passed over by the keyboard.
    void setKeyColumn(int column) { keyColumn_ = column; }

signals:
    void itemDoubleClicked();
    // Return or the keypad's Enter on the current row, which it selects.
    void returnPressed();
    void deletePressed();
    // The menu of row `row` is asked for at `globalPos`: by the right mouse
    // button over the row, or for the current row by the menu key or
    // Shift+F10; with row -1 where no row is under the pointer or current
    // and the list is set to offer its menu there.
    void contextMenuRequested(qsizetype row, const QPoint& globalPos);
    // The row filter was applied: `shown` of `total` rows show.
    void rowsFiltered(qsizetype shown, qsizetype total);
    // The selected rows were dropped where row `to` is (the number of rows:
    // after the last).
    void rowsDropped(qsizetype to);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void dropEvent(QDropEvent* event) override;
    // An entry cut off by its column shows its whole text as its tool tip.
    bool viewportEvent(QEvent* event) override;
    // A list made wider gives the room to its last column (the list's own
    // size; resizeEvent() hears of its inside, which a scroll bar narrows).
    bool event(QEvent* event) override;

public:
    void keyboardSearch(const QString& search) override;
    // The model the handlers' rows are rows of: the one given to setModel().
    QAbstractItemModel* rowsModel() const;

private:
    void requestMenuForCurrentRow();
    // The cell of the row shown at `row` that holds the keyboard's place.
    QModelIndex keyIndex(int row) const;
    // The row shown of the model's row `row` (-1 while hidden), and back.
    int shownAt(qsizetype row) const;
    qsizetype rowAt(int shown) const;
    void sayRowsFiltered();
    // The rows shown of `rows` (ascending), in `shown`, and their selection.
    QItemSelection selectionOf(const QList<qsizetype>& rows, QList<int>& shown) const;

    ShownRows* shown_ = nullptr;
    QList<QMetaObject::Connection> modelWatch_;
    bool menuWithoutRow_ = false;
    // The list's width its columns were last fitted to, once set.
    int columnsFitWidth_ = 0;
    int keyColumn_ = 0;
};

} // namespace quillmoor
