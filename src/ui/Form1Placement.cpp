// The window's place on the screen: centred at the start, put back where the
// user left it, kept wholly on its screen, and fitted into a screen too small
// for it (the controls then scroll).
#include "Form1.h"

#include "ScrollControls.h"

#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>

namespace quillmoor {

namespace {

    // Room left for a desktop panel where its place is not known: a panel
    // of the common desktops is 32 to 48 pixels high.
    constexpr int kPanelRoom = 48;

} // namespace

void Form1::centre()
{
    QScreen* screen = this->screen();
    if (!screen)
        return;
    fitInto(screen->availableGeometry());
    move(windowPlace(frameGeometry().size(), screen->availableGeometry()));
    notePlace();
}

void Form1::notePlace() { placed_ = QRect(pos(), size()); }

bool Form1::placeChanged() const
{
    // A Wayland window knows no place of its own, only the offset of the
    // frame it draws, which turns up once it shows.
    const bool placeKnown = !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    return (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) || size() != placed_.size()
        || (placeKnown && pos() != placed_.topLeft());
}

QRect Form1::keptPlace() const
{
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        return QRect(pos(), size());
    if (restoredNormal_.isValid())
        return restoredNormal_;
    // The place it goes back to, its frame where it is now.
    const QRect normal = normalGeometry();
    return QRect(normal.topLeft() - (geometry().topLeft() - pos()), normal.size());
}

void Form1::restorePlace(const QRect& place, bool maximized)
{
    // A screen too small for the window keeps it scrolling at its size.
    QScreen* screen = QGuiApplication::screenAt(place.center());
    if (!screen)
        screen = this->screen();
    if (scroller_ || !screen || !place.isValid())
        return;
    // On the screen it opens on: a screen since taken away, or made
    // smaller, never leaves the window out of reach.
    const QRect free = screen->availableGeometry();
    const QSize size = place.size().boundedTo(free.size()).expandedTo(kClientArea);
    const auto within
        = [](int at, int from, int space, int length) { return qMax(from, qMin(at, from + space - length)); };
    resize(size);
    move(within(place.x(), free.left(), free.width(), size.width()),
        within(place.y(), free.top(), free.height(), size.height()));
    notePlace();
    if (maximized) {
        restoredNormal_ = placed_;
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void Form1::cascade(int steps)
{
    QScreen* screen = this->screen();
    if (steps <= 0 || !screen || (windowState() & Qt::WindowMaximized) || scroller_)
        return;
    // About a title bar's height a step; where that leaves the screen's
    // free area, the cascade starts again from its edge.
    const QRect free = screen->availableGeometry();
    const QSize frame = frameGeometry().size();
    const int step = 32;
    int x = pos().x() + steps * step;
    int y = pos().y() + steps * step;
    if (x + frame.width() > free.x() + free.width())
        x = free.x() + (x - free.x()) % qMax(1, free.width() - frame.width() + 1);
    if (y + frame.height() > free.y() + free.height())
        y = free.y() + (y - free.y()) % qMax(1, free.height() - frame.height() + 1);
    move(x, y);
    notePlace();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The frame around the window is known only once the window is shown:
    // where the program draws it itself (on Wayland) at once, where the
    // window manager draws it when the window moves into it.
    QTimer::singleShot(0, this, &Form1::refit);
}

void Form1::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    refit();
    emit placeMoved();
}

void Form1::refit()
{
    // A window that fitted the screen only without its frame is fitted
    // again, frame included, and placed anew.
    QScreen* screen = this->screen();
    if (!isVisible() || !screen)
        return;
    const QSize before = size();
    fitInto(screen->availableGeometry());
    if (size() != before) {
        move(windowPlace(frameGeometry().size(), screen->availableGeometry()));
        notePlace();
    }
}

void Form1::fitInto(const QRect& available)
{
    // Where the screen holds the window, the window stays as designed.
    QSize room = available.size() - (frameGeometry().size() - size());
    if (kClientArea.width() <= room.width() && kClientArea.height() <= room.height())
        return;
    // A Wayland compositor does not say where its panels are: the free area
    // it gives is the whole screen, and a panel along an edge would cover
    // the foot of a window that tall, its last row and scroll arrows.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland")) && screen()
        && available == screen()->geometry())
        room.rheight() -= kPanelRoom;
    // The page and the scroll bars stand for the window in the pointer's
    // feedback, as a list's parts stand for the list; on the page the
    // controls stand where they were designed.
    if (!scroller_) {
        layOut(QSize());
        scroller_ = scrollControls(this, kClientArea, this);
    }
    setFixedSize(scrolledSize(kClientArea, room, scroller_));
    scroller_->setGeometry(rect());
}

QPoint windowPlace(const QSize& frame, const QRect& available)
{
    // Along a side where the window is larger than the screen, a centred
    // window would put its title bar (or its left edge) off the screen, out
    // of reach; it starts at the screen's edge instead.
    const auto start = [](int from, int space, int size) { return size <= space ? from + (space - size) / 2 : from; };
    return { start(available.left(), available.width(), frame.width()),
        start(available.top(), available.height(), frame.height()) };
}

} // namespace quillmoor
