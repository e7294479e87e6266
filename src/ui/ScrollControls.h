#pragma once

#include <QSize>

class QObject;
class QScrollArea;
class QWidget;

namespace quillmoor {

// Moves the window's controls, as they are, onto a page of size `page` in a
// scroll area that covers the window, for a screen too small for the window.
// Each control keeps its place relative to its container, and the one the
// keyboard focus moves to is scrolled into view. The page, the area and its
// scroll bars track the mouse and pass their events through `watcher`.
QScrollArea* scrollControls(QWidget* window, const QSize& page, QObject* watcher);

// The size of a window that shows `page` in `area` within `room`: the page
// and the scroll bars it needs, no larger than the room.
QSize scrolledSize(const QSize& page, const QSize& room, const QScrollArea* area);

} // namespace quillmoor
