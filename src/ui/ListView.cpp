#include "ListView.h"

#include "ShownText.h"
#include "Twips.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelection>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QToolTip>
#include <algorithm>
#include <functional>
#include <stdexcept>

namespace quillmoor {

namespace {
    void checkRow(qsizetype row, qsizetype count)
    {
        if (row < 0 || row >= count)
            throw std::out_of_range("The list has no item at position " + std::to_string(row + 1) + ".");
    }
} // namespace

ListView::ListView(QWidget* parent)
    : QTableView(parent)
{
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    // Rows look like lines of a list: no row headers, every row as high as
    // a line of text.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 2);
    QHeaderView* columns = horizontalHeader();
    columns->setHighlightSections(false);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A column may be 1 twip wide, that is no pixel at all.
    columns->setMinimumSectionSize(0);
    columns->setStretchLastSection(false);
    columns->setSectionsMovable(false);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid())
            return;
        // The row under the pointer is the one meant, whatever the first
        // click of the pair did to the selection.
        selectionModel()->setCurrentIndex(
            keyIndex(index.row()), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        emit itemDoubleClicked();
    });
}

QModelIndex ListView::keyIndex(int row) const
{
    return model()->index(row, qBound(0, keyColumn_, qMax(0, model()->columnCount() - 1)));
}

void ListView::setColumnWidthTwips(int column, int twips)
{
    horizontalHeader()->resizeSection(column, quillmoor::twips(twips));
    columnsFitWidth_ = width();
}

void ListView::removeRows(const QList<qsizetype>& rows, const std::function<void()>& remove)
{
    // The keyboard's place, when it goes, moves on to the row that came
    // after it, or to the last row; it stays there but unselected, so a
    // second Delete never silently takes a neighbour too.
    // In the rows shown: a hidden row that goes moves nothing on screen.
    QList<int> shownRows;
    for (const qsizetype row : rows)
        if (const int shown = shownAt(row); shown >= 0)
            shownRows.append(shown);
    const int current = currentIndex().row();
    const bool currentGoes = std::binary_search(shownRows.begin(), shownRows.end(), current);
    const int above = int(std::lower_bound(shownRows.begin(), shownRows.end(), current) - shownRows.begin());
    remove();
    const int left = model()->rowCount();
    if (currentGoes && left > 0)
        selectionModel()->setCurrentIndex(keyIndex(qMin(current - above, left - 1)), QItemSelectionModel::NoUpdate);
    selectionModel()->clearSelection();
}

qsizetype ListView::count() const { return rowsModel()->rowCount(); }

QString ListView::itemText(qsizetype row) const
{
    checkRow(row, count());
    return rowsModel()->index(int(row), 0).data(kFullTextRole).toString();
}

QString ListView::subItemText(qsizetype row) const
{
    checkRow(row, count());
    return rowsModel()->index(int(row), 1).data(kFullTextRole).toString();
}

QList<qsizetype> ListView::selectedRows() const
{
    // From the ranges, not from selectedRows(): that checks every row against
    // every range, which takes long for thousands of picked rows.
    QList<qsizetype> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(rowAt(row));
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

qsizetype ListView::currentRow() const { return currentIndex().isValid() ? rowAt(currentIndex().row()) : -1; }

bool ListView::currentRowSelected() const
{
    return currentIndex().isValid() && selectionModel()->isRowSelected(currentIndex().row());
}

void ListView::selectRow(qsizetype row)
{
    const int shown = shownAt(row);
    if (shown < 0)
        return;
    selectionModel()->setCurrentIndex(keyIndex(shown), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ListView::showRow(qsizetype row)
{
    checkRow(row, count());
    // The scroll range follows new rows only at the next layout, and would
    // stop the scrolling short of them.
    updateGeometries();
    if (const int shown = shownAt(row); shown >= 0)
        scrollTo(keyIndex(shown));
}

QItemSelection ListView::selectionOf(const QList<qsizetype>& given, QList<int>& rows) const
{
    // The rows shown of those given, ascending as they are.
    rows.reserve(given.size());
    for (const qsizetype row : given) {
        checkRow(row, count());
        if (const int shown = shownAt(row); shown >= 0)
            rows.append(shown);
    }
    // One range per run of neighbouring rows: a selection of thousands of
    // single rows is slow to build and to paint.
    QItemSelection selection;
    const int lastColumn = qMax(0, model()->columnCount() - 1);
    for (qsizetype i = 0; i < rows.size();) {
        qsizetype end = i + 1;
        while (end < rows.size() && rows[end] == rows[end - 1] + 1)
            ++end;
        selection.append(
            QItemSelectionRange(model()->index(int(rows[i]), 0), model()->index(int(rows[end - 1]), lastColumn)));
        i = end;
    }
    return selection;
}

void ListView::selectRows(const QList<qsizetype>& given, bool toTop)
{
    QList<int> rows;
    selectionModel()->select(selectionOf(given, rows), QItemSelectionModel::ClearAndSelect);
    if (rows.isEmpty())
        return;
    const QModelIndex first = keyIndex(rows.first());
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    scrollTo(first, toTop ? QAbstractItemView::PositionAtTop : QAbstractItemView::EnsureVisible);
}

void ListView::setMovableRows(bool on)
{
    setDragEnabled(on);
    setAcceptDrops(on);
    setDropIndicatorShown(on);
    setDragDropMode(on ? QAbstractItemView::InternalMove : QAbstractItemView::NoDragDrop);
    setDefaultDropAction(Qt::MoveAction);
}

void ListView::dropEvent(QDropEvent* event)
{
    if (event->source() != this || dragDropMode() != QAbstractItemView::InternalMove) {
        event->ignore();
        return;
    }
    // Between rows: above the middle of the row under the pointer, or below.
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    int shown = model()->rowCount();
    if (index.isValid())
        shown = index.row() + (at.y() < visualRect(index).center().y() ? 0 : 1);
    // Below the last row shown is right after it, however many are hidden.
    const qsizetype to = shown < model()->rowCount() ? rowAt(shown) : shown > 0 ? rowAt(shown - 1) + 1 : count();
    // Ignored as a move, so that the view removes no rows of its own
    // accord: whoever hears of the drop moves them.
    event->setDropAction(Qt::IgnoreAction);
    event->accept();
    stopAutoScroll();
    setState(NoState);
    viewport()->update();
    emit rowsDropped(to);
}

void ListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (event->reason() != QContextMenuEvent::Mouse) {
        requestMenuForCurrentRow();
        return;
    }
    const QModelIndex index = indexAt(event->pos());
    if (index.isValid() || menuWithoutRow_)
        emit contextMenuRequested(index.isValid() ? rowAt(index.row()) : -1, event->globalPos());
}

void ListView::requestMenuForCurrentRow()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        if (menuWithoutRow_)
            emit contextMenuRequested(-1, viewport()->mapToGlobal(QPoint(8, 8)));
        return;
    }
    scrollTo(current);
    // Below the left end of the row's text, where the eye already is.
    const int column = qMin(1, model()->columnCount() - 1);
    const QRect row = visualRect(model()->index(current.row(), column)).intersected(viewport()->rect());
    emit contextMenuRequested(rowAt(current.row()), viewport()->mapToGlobal(QPoint(row.left() + 8, row.bottom())));
}

bool ListView::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        // What the row needs, margins included, against what its cell shows
        // of it; a list's own tool tip stays for the rows that fit.
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        const QRect cell = visualRect(index);
        const bool cut = index.isValid()
            && itemDelegateForIndex(index)->sizeHint(option, index).width()
                > cell.intersected(viewport()->rect()).width();
        // What the model says of the row (when it was opened) goes first,
        // then what the list says of every row.
        const QString said = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
        if (cut || !said.isEmpty()) {
            QStringList lines;
            if (cut)
                lines << index.data().toString();
            if (!said.isEmpty())
                lines << said;
            if (!cut && !toolTip().isEmpty())
                lines << toolTip();
            QToolTip::showText(help->globalPos(), lines.join(u'\n'), viewport(), cell);
            return true;
        }
    }
    return QTableView::viewportEvent(event);
}

bool ListView::event(QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        // Against the width the columns were last fitted to: a window
        // resized before it shows tells its lists no former size.
        const int width = static_cast<QResizeEvent*>(event)->size().width();
        const int last = model() ? model()->columnCount() - 1 : -1;
        if (last >= 0 && columnsFitWidth_ > 0 && width != columnsFitWidth_)
            horizontalHeader()->resizeSection(
                last, qMax(0, horizontalHeader()->sectionSize(last) + width - columnsFitWidth_));
        columnsFitWidth_ = width;
    }
    return QTableView::event(event);
}

void ListView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 2);
    QTableView::changeEvent(event);
}

QModelIndex ListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // A list, not a table: Home and End go to the first and last row, Left
    // and Right have no other cell to go to.
    switch (action) {
    case MoveHome:
        return keyIndex(0);
    case MoveEnd:
        return keyIndex(model()->rowCount() - 1);
    case MoveLeft:
    case MoveRight:
        return currentIndex().isValid() ? currentIndex() : keyIndex(0);
    default: {
        const QModelIndex to = QTableView::moveCursor(action, modifiers);
        return to.isValid() ? keyIndex(to.row()) : to;
    }
    }
}

void ListView::keyboardSearch(const QString& search)
{
    // The search runs down the current cell's column, which without a
    // current row would be the first column whatever it holds.
    const QModelIndex current = currentIndex();
    const QModelIndex start = keyIndex(current.isValid() ? current.row() : 0);
    if (start.isValid() && start != current)
        selectionModel()->setCurrentIndex(start, QItemSelectionModel::NoUpdate);
    QTableView::keyboardSearch(search);
}

void ListView::keyPressEvent(QKeyEvent* event)
{
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        const QModelIndex current = currentIndex();
        if (current.isValid()) {
            // Several selected around the keyboard's place are all meant.
            if (!selectionModel()->isRowSelected(current.row()))
                selectionModel()->setCurrentIndex(
                    current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            emit returnPressed();
        }
        return;
    }
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deletePressed();
        return;
    }
    // Shift+F10 is the other key that opens a context menu.
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        requestMenuForCurrentRow();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace quillmoor
