#pragma once

#include <QStringList>

namespace quillmoor {

// Another copy of the program saved its list since this one read `atStart`:
// `storedNow` with this copy's changes applied. Entries in `mine` beyond
// those of `atStart` (counted with repeats) are appended in their order;
// entries of `atStart` missing from `mine` are removed once each.
QStringList mergeSearches(const QStringList& atStart, const QStringList& mine, const QStringList& storedNow);

} // namespace quillmoor
