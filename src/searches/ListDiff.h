#pragma once

#include "SearchListModel.h"

#include <QList>

namespace quillmoor {

// How one list became another, as `diff` tells it, and how the rows this
// window's undo steps name move when another copy's change comes in.

// The changes that make `from` into `to`: the rows both hold in the same
// order stay (a longest common subsequence, found by Myers' diff between the
// common head and tail), and each run of rows between them is one change,
// in `from`'s rows, ascending. Past `maxEdits` rows added or removed (or
// some 20 ms of comparing) the rows between the common head and tail become
// one change, and past 64 changes the rows from the first to the last: a
// list replaced whole, or changed all over, costs no more to tell and to
// show than that.
SearchListModel::Changes listDiff(const QStringList& from, const QStringList& to, qsizetype maxEdits = 1000);

// A change by its size alone: from row `first` on, `removed` rows went and
// `added` came.
struct RowsChanged {
    qsizetype first = 0;
    qsizetype removed = 0;
    qsizetype added = 0;
};
QList<RowsChanged> rowsChanged(const SearchListModel::Changes& changes);

// Carries `others` (ascending, in the rows as they stand after the undo
// step whose changes `step` holds) back across that step, to the rows as
// they stood before it; the step's changes move by what others added or
// removed above them. With `forward` it goes the other way, across a step
// taken back, to be made again. False where others changed a row the step
// made (or, forward, a row it would change), or took rows on both sides of
// the place the step took rows from: the step can no longer be taken back
// (or made again) exactly, and what both hold then is of no use.
bool carryAcross(SearchListModel::Changes& step, QList<RowsChanged>& others, bool forward);

} // namespace quillmoor
