#pragma once

#include <QUndoStack>

namespace quillmoor {

// Bounds the saved list's undo history by the memory its steps keep rather
// than by their number: select all, cut and paste in a long list keep the
// list twice a step. Past the budget the oldest steps give up their texts,
// and once undo comes down to them they leave the history, so that Undo is
// simply unavailable there. The newest step always stays, however large.
class UndoBudget {
public:
    static constexpr qint64 kBytes = qint64(64) << 20;

    explicit UndoBudget(QUndoStack& stack, qint64 bytes = kBytes);

    // To be called on every change of the stack's index (after whatever
    // else answers it): a step pushed, undone or done again.
    void indexChanged();

private:
    QUndoStack& stack_;
    qint64 bytes_;
};

} // namespace quillmoor
