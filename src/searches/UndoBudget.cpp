#include "UndoBudget.h"

#include "SearchListCommands.h"

namespace quillmoor {

UndoBudget::UndoBudget(QUndoStack& stack, qint64 bytes)
    : stack_(stack)
    , bytes_(bytes)
{
}

void UndoBudget::indexChanged()
{
    // Newest first, macros (a restore) with the rest: past the budget every
    // older step is spent. Spent steps lie below all others, so the first
    // one met ends the count.
    qint64 total = 0;
    for (int i = stack_.count() - 1; i >= 0; --i) {
        const QUndoCommand* const step = stack_.command(i);
        if (step->isObsolete())
            break;
        const QList<SearchListCommand*> edits = editsOf(step);
        for (const SearchListCommand* edit : edits)
            total += edit->bytes();
        // Only steps that are done; the newest stays whatever it holds.
        if (total > bytes_ && i < stack_.index() && i < stack_.count() - 1 && !edits.isEmpty()) {
            for (SearchListCommand* edit : edits)
                edit->spend();
            const_cast<QUndoCommand*>(step)->setObsolete(true);
        }
    }
    // Undoing a spent step only takes it off the history; this comes back
    // here for the next one, until none is left below.
    const QUndoCommand* const below = stack_.index() > 0 ? stack_.command(stack_.index() - 1) : nullptr;
    if (below && below->isObsolete())
        stack_.undo();
}

} // namespace quillmoor
