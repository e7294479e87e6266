#include "SearchTextCompletion.h"

#include "Duplicates.h"
#include "SearchListModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QStringListModel>

namespace quillmoor {

SearchTextCompletion::SearchTextCompletion(QLineEdit* box, const SearchListModel& searches, QObject* parent)
    : QObject(parent)
    , searches_(searches)
    , completer_(new QCompleter(this))
    , texts_(new QStringListModel(this))
{
    completer_->setModel(texts_);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    // The order is the list's, newest first, not the alphabet's.
    completer_->setModelSorting(QCompleter::UnsortedModel);
    completer_->setMaxVisibleItems(8);
    box->setCompleter(completer_);
    // The offer's list takes the mouse while it shows; a click beside it
    // (on Add Search, say) closes it and still reaches what it was meant
    // for. Watched after the completer, which would swallow that click.
    completer_->popup()->installEventFilter(this);
    // Gathered when the box takes the keyboard, and again when the list
    // changes under it (Add Search leaves the keyboard there).
    connect(&searches, &SearchListModel::listChanged, this, [this, box] {
        stale_ = true;
        if (box->hasFocus())
            offered();
    });
    box->installEventFilter(this);
}

bool SearchTextCompletion::takesReturn() const
{
    const QAbstractItemView* offer = completer_->popup();
    return offer->isVisible() && offer->currentIndex().isValid();
}

bool SearchTextCompletion::eventFilter(QObject* watched, QEvent* event)
{
    QWidget* offer = completer_->popup();
    if (watched == offer && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = press->globalPosition().toPoint();
        if (!offer->rect().contains(offer->mapFromGlobal(at))) {
            offer->hide();
            // The list had the pointer grabbed, so the release may never
            // reach what is under it: the click is made there whole.
            if (QPointer<QWidget> under = QApplication::widgetAt(at)) {
                const QPointF local = under->mapFromGlobal(press->globalPosition());
                QMouseEvent down(QEvent::MouseButtonPress, local, press->globalPosition(), press->button(),
                    press->buttons(), press->modifiers());
                QApplication::sendEvent(under, &down);
                QMouseEvent up(QEvent::MouseButtonRelease, local, press->globalPosition(), press->button(),
                    press->buttons() & ~press->button(), press->modifiers());
                if (under)
                    QApplication::sendEvent(under, &up);
            }
            return true;
        }
    }
    if (watched == offer && event->type() == QEvent::MouseButtonRelease && !offer->isVisible())
        return true; // the click's own release, already made
    if (watched != offer && event->type() == QEvent::FocusIn)
        offered();
    return QObject::eventFilter(watched, event);
}

QStringList SearchTextCompletion::offered()
{
    if (stale_) {
        stale_ = false;
        texts_->setStringList(recentSearchTexts(searches_.entries()));
    }
    return texts_->stringList();
}

} // namespace quillmoor
