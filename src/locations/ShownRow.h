#pragma once

#include <QList>
#include <QString>
#include <functional>

namespace quillmoor {

struct LocationLine;

// What the location list says when list.txt changed under it.
QString changedFileText();

// Reads list.txt for the location that row `row` of the list shows under
// `filter`, and hands it to `take` with its line among all lines of the file
// (from 0); `restart` hears that the file is read again in another code
// page. Throws Failure when that row no longer holds `address`: the list
// shows the file as it was at the last change of the filter. Throws Failure
// too when the file cannot be read.
void readShownRow(const QString& path, const QString& filter, qsizetype row, const QString& address,
    const std::function<void(qsizetype line, const LocationLine& location)>& take,
    const std::function<void()>& restart);

// The rows of the whole of list.txt (every line, in file order) that `picks`
// takes, read while line `line` still holds what `same` expects of it:
// throws Failure when it no longer does, or the file cannot be read.
QList<qsizetype> rowsWhere(const QString& path, qsizetype line,
    const std::function<bool(const LocationLine& location)>& same,
    const std::function<bool(const LocationLine& location)>& picks);

} // namespace quillmoor
