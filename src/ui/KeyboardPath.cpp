#include "KeyboardPath.h"

#include "ListView.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace quillmoor {

KeyboardPath::KeyboardPath(QLineEdit* filter, ListView* cities, QLineEdit* search, QObject* parent)
    : QObject(parent)
    , filter_(filter)
    , cities_(cities)
    , search_(search)
{
    filter_->installEventFilter(this);
    cities_->installEventFilter(this);
}

bool KeyboardPath::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // The keypad's Enter arrives with the keypad modifier.
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (watched == filter_ && key->key() == Qt::Key_Down) {
        if (cities_->count() > 0 && cities_->selectedRows().isEmpty())
            cities_->selectRow(0);
        cities_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (watched == cities_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        search_->setFocus(Qt::OtherFocusReason);
        return true;
    }
    return false;
}

} // namespace quillmoor
