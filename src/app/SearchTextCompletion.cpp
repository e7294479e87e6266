#include "SearchTextCompletion.h"

#include "Duplicates.h"
#include "SearchListModel.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
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
    if (event->type() == QEvent::FocusIn)
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
