#pragma once

#include "SearchListModel.h"
#include "UndoBudget.h"

#include <QObject>
#include <QUndoStack>

namespace quillmoor {

class ListView;
class SearchListCommand;

// The undo history of the saved-search list for the whole session: the
// edits' own undo steps, one a user's action, and nothing else (only the
// start's restore clears it). Undo takes back the last step, redo does it
// again; the list view shows what came back.
class SavedListUndo : public QObject {
    Q_OBJECT
public:
    explicit SavedListUndo(ListView& list, QObject* parent = nullptr);

    // Makes the edit of `command` and keeps it as one step, unless it
    // changed nothing. The last row an edit adds is scrolled into view.
    void push(SearchListCommand* command);

    // The one way in for undo and redo, their enabled state
    // (canUndoChanged) and their captions.
    QUndoStack& stack() { return stack_; }

    // The list took in others' changes (`theirs`, in the rows as they were):
    // this window's steps follow the rows they name, which others' added or
    // removed rows moved. Where others changed a row a step names, that
    // step can no longer be undone exactly, so none is: the history is
    // cleared.
    // Only the steps that edit `model` are concerned.
    void othersChanged(const SearchListModel* model, const SearchListModel::Changes& theirs);
    // Whether that is why nothing can be undone now.
    bool othersChangedLast() const { return othersChanged_ && stack_.index() == 0; }

private:
    void clearForOthers();
    // The step at `index` was undone (or done again): shows and selects
    // what it put back.
    void showStep(int index, bool undone);

    ListView& list_;
    QUndoStack stack_;
    UndoBudget budget_ { stack_ };
    int index_ = 0;
    bool othersChanged_ = false;
};

} // namespace quillmoor
