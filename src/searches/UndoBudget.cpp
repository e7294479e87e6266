#include "UndoBudget.h"

#include "SearchListCommands.h"

namespace quillmoor {

namespace {
    // The stack lends its steps out only as const; the budget's steps are
    // the saved list's own, which may give up what they keep.
    SearchListCommand* step(const QUndoStack& stack, int index)
    {
        return const_cast<SearchListCommand*>(dynamic_cast<const SearchListCommand*>(stack.command(index)));
    }
} // namespace

UndoBudget::UndoBudget(QUndoStack& stack, qint64 bytes)
    : stack_(stack)
    , bytes_(bytes)
{
}

void UndoBudget::indexChanged()
{
    // Newest first: past the budget every older step is spent. Spent steps
    // lie below all others, so the first one met ends the count.
    qint64 total = 0;
    for (int i = stack_.count() - 1; i >= 0; --i) {
        SearchListCommand* const command = step(stack_, i);
        if (!command || command->isObsolete())
            break;
        total += command->bytes();
        // Only steps that are done; the newest stays whatever it holds.
        if (total > bytes_ && i < stack_.index() && i < stack_.count() - 1)
            command->spend();
    }
    // Undoing a spent step only takes it off the history; this comes back
    // here for the next one, until none is left below.
    const SearchListCommand* const below = stack_.index() > 0 ? step(stack_, stack_.index() - 1) : nullptr;
    if (below && below->isObsolete())
        stack_.undo();
}

} // namespace quillmoor
