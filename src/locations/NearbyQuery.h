#pragma once

#include "GeoPosition.h"

#include <QList>
#include <QString>
#include <optional>

namespace quillmoor {

// A city of list.txt with a position.
struct City {
    qsizetype line = 0; // among all lines of the file, from 0
    QString address;
    GeoPosition at;
};

// The city that row `row` of the location list shows under `filter`, when
// list.txt gives it a position. Throws Failure when that row of the file no
// longer holds `address` (the file changed since the list was shown), or the
// file cannot be read.
std::optional<City> cityAtRow(const QString& path, const QString& filter, qsizetype row, const QString& address);

// The rows of the whole of list.txt (every line, in file order) whose position
// lies within `km` of `city`. Throws Failure when the file cannot be opened,
// or holds `city` no more on its line; a short line ends the search there.
QList<qsizetype> rowsNear(const QString& path, const City& city, double km);

} // namespace quillmoor
