#pragma once

#include <QObject>
#include <QUndoStack>
#include <functional>
#include <vector>

namespace quillmoor {

class ListView;

// The undo history of the saved-search list for the whole session. An edit
// that an action makes to the list is recorded as one step, named after the
// action; undo takes back the last step, redo does it again (the window
// offers both in the list's menu and on its keys). A change made any other
// way clears the history, as
// the rows its steps refer to may no longer be where they were.
class SavedListUndo : public QObject {
    Q_OBJECT
public:
    explicit SavedListUndo(ListView& list, QObject* parent = nullptr);

    // Runs `action` and records what it did to the list as one step. The
    // last row an action adds is scrolled into view.
    void record(const QString& name, const std::function<void()>& action);

    // The one way in for undo and redo, their enabled state
    // (canUndoChanged) and their captions.
    QUndoStack& stack() { return stack_; }

    // One change of the list: from row `first` on, the rows `before` became
    // the rows `after`.
    struct Change {
        qsizetype first = 0;
        QStringList before;
        QStringList after;
    };

private:
    // Whether a change now is an action's to record; one made outside any
    // action clears the history.
    bool recordsChange();

    ListView& list_;
    QUndoStack stack_;
    // While an action runs: the changes it has made so far.
    std::vector<Change>* recording_ = nullptr;
    // While a step is being undone or done again: its changes are its own.
    bool replaying_ = false;
    QStringList beforeReset_;
};

} // namespace quillmoor
