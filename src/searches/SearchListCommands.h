#pragma once

#include "SearchListModel.h"

#include <QUndoCommand>

namespace quillmoor {

// The edits of the saved list as undo steps. Each makes its edit on the
// model when first pushed and keeps what it changed: undo() takes exactly
// that back, redo() makes it again. A step that changed nothing marks
// itself obsolete, so the history never holds an empty one.
class SearchListCommand : public QUndoCommand {
public:
    void undo() override;
    void redo() override;

    const SearchListModel::Changes& changes() const { return changes_; }
    // The list it edits.
    const SearchListModel& model() const { return model_; }
    // Whether the last redo() made the edit for the first time.
    bool firstTime() const { return firstTime_; }
    // About how much memory the texts it keeps take.
    qint64 bytes() const { return bytes_; }
    // Gives up what it keeps, for a history over its budget: it marks itself
    // obsolete, and undo() and redo() then do nothing.
    void spend();
    // Others' changes came in and moved the rows it names: the same
    // changes, where those rows now stand.
    void moveTo(const SearchListModel::Changes& changes) { changes_ = changes; }

protected:
    SearchListCommand(SearchListModel& model, const QString& name);
    // Makes the edit on the model, once.
    virtual SearchListModel::Changes edit(SearchListModel& model) = 0;
    // The texts edit() took are no longer needed once it is made.
    virtual void edited() { }

private:
    SearchListModel& model_;
    SearchListModel::Changes changes_;
    qint64 bytes_ = 0;
    bool done_ = false;
    bool firstTime_ = false;
};

// New searches put in before row `at` (the number of rows: at the end).
class InsertSearches : public SearchListCommand {
public:
    InsertSearches(SearchListModel& model, const QString& name, qsizetype at, QStringList texts);

protected:
    SearchListModel::Changes edit(SearchListModel& model) override;
    void edited() override { texts_.clear(); }

private:
    qsizetype at_;
    QStringList texts_;
};

// The searches at `rows` (ascending, distinct) taken out.
class RemoveSearches : public SearchListCommand {
public:
    RemoveSearches(SearchListModel& model, const QString& name, QList<qsizetype> rows);

protected:
    SearchListModel::Changes edit(SearchListModel& model) override;

private:
    QList<qsizetype> rows_;
};

// The rows from `first` on get `texts`: moved entries, a new search text.
class ReplaceSearches : public SearchListCommand {
public:
    ReplaceSearches(SearchListModel& model, const QString& name, qsizetype first, QStringList texts);

protected:
    SearchListModel::Changes edit(SearchListModel& model) override;
    void edited() override { texts_.clear(); }

private:
    qsizetype first_;
    QStringList texts_;
};

// Every search taken out.
class ClearSearches : public SearchListCommand {
public:
    ClearSearches(SearchListModel& model, const QString& name);

protected:
    SearchListModel::Changes edit(SearchListModel& model) override { return model.clear(); }
};

// The saved list's edits that a step of the history holds, in the order
// they were made: the step itself, or those of a macro (a restore is one).
// Empty for a step of another kind.
QList<SearchListCommand*> editsOf(const QUndoCommand* step);

} // namespace quillmoor
