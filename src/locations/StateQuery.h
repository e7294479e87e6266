#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace quillmoor {

// A city of list.txt and its state (or country): the addition, the third
// field, that the display name shows after ", ".
struct CityState {
    qsizetype line = 0; // among all lines of the file, from 0
    QString address;
    QString state;
};

// The state of the city that row `row` of the location list shows under
// `filter`; nothing when the line names none. Throws Failure when that row
// of the file no longer holds `address`, or the file cannot be read.
std::optional<CityState> stateAtRow(const QString& path, const QString& filter, qsizetype row, const QString& address);

// The rows of the whole of list.txt (every line, in file order) whose state
// is exactly `city`'s: a whole state, never one whose name merely holds it
// (Arkansas for Kansas). Throws Failure when the file cannot be opened, or
// holds `city` no more on its line; a short line ends the search there.
QList<qsizetype> rowsInState(const QString& path, const CityState& city);

} // namespace quillmoor
