#pragma once

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

} // namespace quillmoor
