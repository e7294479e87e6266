#include "SavedListUndo.h"

#include "ListDiff.h"
#include "ListView.h"
#include "SearchListCommands.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace quillmoor {

SavedListUndo::SavedListUndo(ListView& list, QObject* parent)
    : QObject(parent)
    , list_(list)
{
    connect(&stack_, &QUndoStack::indexChanged, this, [this](int index) {
        const int before = std::exchange(index_, index);
        if (index == before - 1)
            showStep(index, true);
        else if (index == before + 1)
            showStep(before, false);
        budget_.indexChanged();
    });
}

void SavedListUndo::push(SearchListCommand* command)
{
    // An edit that fails leaves the history as it was, and goes.
    std::unique_ptr<SearchListCommand> owned(command);
    stack_.push(owned.get());
    // The history owns it now, or has deleted it as a step that changed nothing.
    owned.release();
}

void SavedListUndo::othersChanged(const SearchListModel* model, const SearchListModel::Changes& theirs)
{
    if (theirs.isEmpty())
        return;
    // Every step's rows are found first, and moved only when all are found.
    QList<std::pair<SearchListCommand*, SearchListModel::Changes>> moved;
    const QList<RowsChanged> others = rowsChanged(theirs);
    for (const bool forward : { false, true }) {
        QList<RowsChanged> carried = others;
        const int first = forward ? stack_.index() : stack_.index() - 1;
        for (int i = first; i >= 0 && i < stack_.count(); i += forward ? 1 : -1) {
            const QUndoCommand* const step = stack_.command(i);
            QList<SearchListCommand*> edits = editsOf(step);
            // Spent steps lie below all others and are never made again.
            if (step->isObsolete())
                break;
            if (!forward)
                std::reverse(edits.begin(), edits.end());
            for (SearchListCommand* edit : std::as_const(edits)) {
                if (&edit->model() != model)
                    continue;
                SearchListModel::Changes changes = edit->changes();
                if (!carryAcross(changes, carried, forward)) {
                    clearForOthers();
                    return;
                }
                moved.append({ edit, changes });
            }
        }
    }
    for (const auto& [edit, changes] : std::as_const(moved))
        edit->moveTo(changes);
}

void SavedListUndo::clearForOthers()
{
    stack_.clear();
    index_ = 0;
    othersChanged_ = true;
}

void SavedListUndo::showStep(int index, bool undone)
{
    // A macro's edits (a restore's) as one; only those of the list shown
    // can be shown.
    QList<SearchListCommand*> edits = editsOf(stack_.command(index));
    edits.removeIf([this](const SearchListCommand* edit) { return &edit->model() != list_.rowsModel(); });
    SearchListModel::Changes changes;
    for (const SearchListCommand* edit : edits)
        changes += edit->changes();
    if (changes.isEmpty())
        return;
    if (edits.last()->firstTime()) {
        const SearchListModel::Change& last = changes.back();
        if (!last.after.isEmpty() && last.before.isEmpty())
            list_.showRow(last.first + last.after.size() - 1);
        return;
    }
    // A single search that comes back is where the eye expects it: shown
    // and selected, as before it went.
    for (const SearchListModel::Change& change : changes) {
        const QStringList& gone = undone ? change.after : change.before;
        const QStringList& back = undone ? change.before : change.after;
        if (back.size() == 1 && gone.isEmpty()) {
            list_.selectRow(change.first);
            list_.showRow(change.first);
        }
    }
    // Undoing an edit that only took rows away selects all that come back.
    const bool removalsOnly = std::all_of(
        changes.begin(), changes.end(), [](const SearchListModel::Change& change) { return change.after.isEmpty(); });
    if (!undone || !removalsOnly)
        return;
    QList<qsizetype> restored;
    for (const SearchListModel::Change& change : changes) {
        for (qsizetype row = 0; row < change.before.size(); ++row)
            restored.append(change.first + row);
    }
    std::sort(restored.begin(), restored.end());
    if (restored.size() > 1)
        list_.selectRows(restored, false);
}

} // namespace quillmoor
