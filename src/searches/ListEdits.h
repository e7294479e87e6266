#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace quillmoor {

// Edits of the saved list that need no window: where moved entries end up,
// the new text of a search that keeps its city, and the entries a pasted or
// imported text holds.

// The entries of a text, one a line: lines end where list.txt's do (LF,
// CR LF or CR), each line becomes an entry by the one rule for an entry's
// text (EntryText.h), and a line left empty or blank holds none. Blanks
// around a line and any "|" inside stay in its entry.
QStringList entryLines(QStringView text);

// A reordering of the list: from row `first` on, the rows become `rows`
// (as many as they replace); the moved entries are now at `selected`,
// ascending. Nothing moved when `rows` is empty.
struct Rearranged {
    qsizetype first = 0;
    QStringList rows;
    QList<qsizetype> selected;
};

// Moves the entries at `rows` (ascending, distinct) one place up (`by` -1)
// or down (`by` 1). An entry at the end it moves towards stays, and so do
// its selected neighbours behind it; each other one swaps with the entry it
// passes, so a block keeps its order and gaps between entries stay.
Rearranged moveRows(const QStringList& entries, const QList<qsizetype>& rows, int by);

// Takes the entries at `rows` (ascending, distinct) out and puts them, in
// their order, where row `to` (0 to the number of entries) stood: a drag
// that drops them there.
Rearranged moveRowsTo(const QStringList& entries, const QList<qsizetype>& rows, qsizetype to);

// The search text of an entry: what comes before its " site:host", or all
// of it when it has none.
QString searchTextOf(const QString& entry);

// The search text all of `entries` share; empty when they differ.
QString sharedSearchText(const QStringList& entries);

// `entry` with `text` as its search text and its own " site:host" kept;
// just `text` for an entry without one.
QString withSearchText(const QString& entry, const QString& text);

} // namespace quillmoor
