#pragma once

#include <QStringList>

namespace quillmoor {

// How this copy's list meets what another copy of the program, an import or
// another program put in the file since this copy's previous save. Entries
// are counted with repeats: two equal entries are two entries.

// The file descends from the one this copy saved last, when its list was
// `base`: the others' additions and deletions since then are applied to
// `mine`, and a change both made alike (the same search added, one of two
// repeats deleted) counts once, as in a three-way merge of text. This copy's
// entries keep its order, less those the others deleted; what the others
// added follows them, in the file's order.
QStringList mergeSearches(const QStringList& base, const QStringList& mine, const QStringList& storedNow);

// The file is not the one this copy saved last (it was made anew, or
// replaced by an older or another file): nothing says what became of this
// copy's entries, so none is removed, and the entries of `other` that are not
// in `mine` follow them.
QStringList addSearches(const QStringList& mine, const QStringList& other);

// How many entries `after` holds that `before` does not, repeats counted.
qsizetype addedCount(const QStringList& before, const QStringList& after);

} // namespace quillmoor
