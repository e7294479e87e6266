// The window's pointer: the feedback of the pointer moving over its controls
// (a hand over the push buttons), the custom pointer image, and the busy
// pointer while pages wait for the browser.
#include "Form1.h"

#include "ListView.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScrollArea>

namespace quillmoor {

void Form1::setUpPointer()
{
    // Pointer feedback: a hand over the push buttons, the ordinary pointer
    // over the window, the frames and the lists. The label and the text
    // boxes track no movement, and Qt passes none of theirs on to the frame
    // behind them, so over them the pointer stays as it was.
    watchPointer(this, kDefaultPointer);
    watchPointer(locationsFrame, kDefaultPointer);
    watchPointer(searchFrame, kDefaultPointer);
    for (ListView* list : { cityList, savedList }) {
        watchPointer(list, kDefaultPointer);
        // A list is made of parts (rows, header, scroll bars, the corner
        // between them), and a part that tracked no movement would swallow
        // it; each one counts as the list.
        for (QWidget* part : list->findChildren<QWidget*>()) {
            part->setMouseTracking(true);
            part->installEventFilter(this);
        }
    }
    for (QPushButton* button :
        { addSearchButton, openSelectedButton, openAllButton, deleteButton, clearAllButton, exampleButton })
        watchPointer(button, kCustomPointer);
}

void Form1::watchPointer(QWidget* widget, int value)
{
    widget->setMouseTracking(true);
    pointerSetters_.insert(widget, value);
    widget->installEventFilter(this);
    // A button ignores a move without a pressed mouse button, which would
    // pass it on to the frame behind and set the pointer back at once.
    if (value == kCustomPointer)
        widget->setAttribute(Qt::WA_NoMousePropagation);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // A button passes no mouse event on to what lies behind it (see
    // watchPointer); a wheel turned over one still scrolls the window.
    if (event->type() == QEvent::Wheel && scroller_ && qobject_cast<QPushButton*>(watched)) {
        QCoreApplication::sendEvent(scroller_->viewport(), event);
        return true;
    }
    if (event->type() == QEvent::MouseMove) {
        // A part of a list stands for the list: the nearest watched control
        // among it and its parents decides.
        for (QObject* control = watched; control; control = control->parent()) {
            const auto setter = pointerSetters_.constFind(control);
            if (setter != pointerSetters_.cend()) {
                setMousePointer(*setter);
                break;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::setMousePointer(int value)
{
    mousePointer_ = value;
    // Only a change reaches the window system; repeated moves over the same
    // control cost one integer write.
    if (value != shownPointer_)
        applyPointer();
}

void Form1::setMouseIcon(const QCursor& cursor)
{
    mouseIcon_ = cursor;
    if (mousePointer_ == kCustomPointer)
        applyPointer();
}

void Form1::applyPointer()
{
    shownPointer_ = mousePointer_;
    if (mousePointer_ == kCustomPointer)
        setCursor(mouseIcon_ ? *mouseIcon_ : QCursor(Qt::PointingHandCursor));
    else
        unsetCursor();
}

void Form1::showBusy(bool busy)
{
    // Once the window has closed there is nothing left to point at.
    busy = busy && !unloaded_;
    if (busy == busyShown_)
        return;
    busyShown_ = busy;
    // Over the window's own pointer, which stays set beneath it and shows
    // again as soon as this one goes.
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace quillmoor
