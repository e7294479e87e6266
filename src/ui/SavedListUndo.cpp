#include "SavedListUndo.h"

#include "ListView.h"

#include <QScopedValueRollback>
#include <algorithm>
#include <utility>

namespace quillmoor {

namespace {

    // One change of rows, made once by the action and then undone or done
    // again by the list's own operations.
    class RowsStep : public QUndoCommand {
    public:
        RowsStep(ListView& list, bool& replaying, SavedListUndo::Change change, QUndoCommand* parent)
            : QUndoCommand(parent)
            , list_(list)
            , replaying_(replaying)
            , change_(std::move(change))
        {
        }

        void undo() override { apply(change_.after, change_.before); }
        void redo() override
        {
            // The action itself made the change the first time.
            if (!std::exchange(done_, false))
                apply(change_.before, change_.after);
        }

    private:
        void apply(const QStringList& gone, const QStringList& back)
        {
            const QScopedValueRollback<bool> replaying(replaying_, true);
            list_.removeItems(change_.first, gone.size());
            list_.insertItems(change_.first, back);
            // A single search that comes back is where the eye expects it:
            // shown and selected, as before it was deleted.
            if (back.size() == 1 && gone.isEmpty()) {
                list_.selectRow(change_.first);
                list_.showRow(change_.first);
            }
        }

        ListView& list_;
        bool& replaying_;
        SavedListUndo::Change change_;
        bool done_ = true;
    };

    // One edit, made of its changes. Undoing an edit that only took rows
    // away selects all that come back, as a single one is.
    class EditStep : public QUndoCommand {
    public:
        EditStep(const QString& name, ListView& list)
            : QUndoCommand(name)
            , list_(list)
        {
        }
        void undo() override
        {
            QUndoCommand::undo();
            if (restored.size() > 1)
                list_.selectRows(restored, false);
        }
        QList<qsizetype> restored;

    private:
        ListView& list_;
    };

} // namespace

SavedListUndo::SavedListUndo(ListView& list, QObject* parent)
    : QObject(parent)
    , list_(list)
{
    QAbstractItemModel* model = list.model();
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        if (recordsChange())
            recording_->push_back({ first, {}, list_.itemTexts(first, last - first + 1) });
    });
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
        if (recordsChange())
            recording_->push_back({ first, list_.itemTexts(first, last - first + 1), {} });
    });
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        if (recordsChange())
            beforeReset_ = list_.itemTexts();
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        if (recordsChange())
            recording_->push_back({ 0, std::exchange(beforeReset_, {}), list_.itemTexts() });
    });
}

bool SavedListUndo::recordsChange()
{
    if (replaying_)
        return false;
    if (!recording_) {
        if (stack_.count() > 0)
            stack_.clear();
        return false;
    }
    return true;
}

void SavedListUndo::record(const QString& name, const std::function<void()>& action)
{
    std::vector<Change> changes;
    {
        const QScopedValueRollback<std::vector<Change>*> recording(recording_, &changes);
        action();
    }
    // A reset to the same rows, or an insertion of none, changes nothing.
    changes.erase(std::remove_if(changes.begin(), changes.end(),
                      [](const Change& change) { return change.before == change.after; }),
        changes.end());
    if (changes.empty())
        return;
    const Change& last = changes.back();
    if (!last.after.isEmpty() && last.before.isEmpty())
        list_.showRow(last.first + last.after.size() - 1);
    auto* step = new EditStep(name, list_);
    // Undone in reverse order, each removal puts its rows back where they
    // were, so together they end up at the places they were taken from.
    const bool removalsOnly
        = std::all_of(changes.begin(), changes.end(), [](const Change& change) { return change.after.isEmpty(); });
    for (Change& change : changes) {
        for (qsizetype row = 0; removalsOnly && row < change.before.size(); ++row)
            step->restored.append(change.first + row);
        new RowsStep(list_, replaying_, std::move(change), step);
    }
    std::sort(step->restored.begin(), step->restored.end());
    stack_.push(step);
}

} // namespace quillmoor
