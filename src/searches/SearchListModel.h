#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QStringList>

namespace quillmoor {

class OpenedTimes;

// The saved searches: the one place the list is kept and changed. Views
// show it (one column, one search a row), the handlers edit it, the close
// and the export read it. Each edit answers what it changed, so that an
// undo step can take it back and do it again.
class SearchListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // The role under which a row gives when its search was last opened
    // (seconds since 1970, qint64), or nothing; what that means to the
    // user the window says.
    static constexpr int kOpenedTimeRole = Qt::UserRole + 1;

    // One change of the list: from row `first` on, the rows `before` became
    // the rows `after`.
    struct Change {
        qsizetype first = 0;
        QStringList before;
        QStringList after;
    };
    using Changes = QList<Change>;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }

    // The column's caption.
    void setCaption(const QString& caption);

    qsizetype count() const { return entries_.size(); }
    const QString& at(qsizetype row) const { return entries_.at(row); }
    // The whole list, or `count` rows from `first` on; a copy that costs
    // nothing until either side changes.
    const QStringList& entries() const { return entries_; }
    QStringList entries(qsizetype first, qsizetype count) const { return entries_.mid(first, count); }

    // The edits. Rows are positions from 0; lists of rows are ascending and
    // distinct. A row outside the list throws std::out_of_range.
    Changes insert(qsizetype at, const QStringList& texts);
    Changes append(const QStringList& texts) { return insert(count(), texts); }
    // Each run of neighbouring rows goes at once, from the last run up.
    Changes remove(const QList<qsizetype>& rows);
    // The rows from `first` on become `texts`, as many as there are.
    Changes replace(qsizetype first, const QStringList& texts);
    Changes clear();

    // Adds the entries start-up finds stored at the end: no edit, nothing
    // to undo.
    void restore(const QStringList& entries);

    // Makes the list `next`, as others changed it: no edit of this window's,
    // nothing to undo. Rows both lists hold in order stay the same rows
    // (their selection, the current row and the scroll stay); the others
    // go and come as removed and inserted rows. Answers what changed, in
    // the rows as they were, ascending.
    Changes takeIn(const QStringList& next);
    // When the searches were opened, which the rows show from then on.
    void setOpenedTimes(const OpenedTimes* opened) { opened_ = opened; }
    // The times changed: every row may show another (all were read).
    void openedTimesChanged();
    // The times of `entries` changed (their pages were opened): those rows
    // alone show another.
    void openedTimesChanged(const QStringList& entries);

    // Takes `changes` back (last first), or makes them again.
    void undo(const Changes& changes);
    void redo(const Changes& changes);

signals:
    // The list changed, by an edit, an undo or redo, or the restore.
    void listChanged();

private:
    // From row `first` on, `count` rows become `after`.
    Change splice(qsizetype first, qsizetype count, const QStringList& after);

    QStringList entries_;
    QString caption_;
    const OpenedTimes* opened_ = nullptr;
};

} // namespace quillmoor
