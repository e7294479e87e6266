#pragma once

#include <QString>
#include <QUndoCommand>

namespace quillmoor {

class SearchListModel;
class SearchLists;

// The edits of the lists themselves as undo steps, on the history the
// searches' edits share. Each finds its list by its model, not by its
// place: another copy's lists taken in meanwhile may have moved it.

// A new, empty list at the end, shown.
class AddList : public QUndoCommand {
public:
    AddList(SearchLists& lists, QString name);
    void redo() override;
    void undo() override;

private:
    SearchLists& lists_;
    QString name_;
    SearchListModel* model_ = nullptr;
    qsizetype at_ = 0;
    qsizetype shownBefore_ = 0;
};

class RenameList : public QUndoCommand {
public:
    RenameList(SearchLists& lists, qsizetype at, QString name);
    void redo() override { swap(); }
    void undo() override { swap(); }

private:
    void swap();
    SearchLists& lists_;
    SearchListModel* model_;
    QString name_;
};

// The list at `at` (never the first) goes, with its searches; undone, it
// comes back where it was, with its model, so earlier steps still find it.
class DeleteList : public QUndoCommand {
public:
    DeleteList(SearchLists& lists, qsizetype at);
    void redo() override;
    void undo() override;

private:
    SearchLists& lists_;
    SearchListModel* model_;
    QString name_;
    qsizetype at_;
};

} // namespace quillmoor
