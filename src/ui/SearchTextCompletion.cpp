#include "SearchTextCompletion.h"

#include "Duplicates.h"
#include "SearchListModel.h"

#include <QApplication>
#include <QCompleter>
#include <QEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QStringListModel>
#include <algorithm>

namespace quillmoor {

SearchTextCompletion::SearchTextCompletion(QLineEdit* box, const SearchListModel& searches, QObject* parent)
    : QObject(parent)
    , box_(box)
    , searches_(searches)
    , completer_(new QCompleter(this))
    , offer_(new QStringListModel(this))
{
    // The offer is made here, for each keystroke, from the index: the
    // completer shows it as it is. Its own search goes through every text
    // on every keystroke.
    completer_->setModel(offer_);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setMaxVisibleItems(8);
    box->setCompleter(completer_);
    // Thousands of texts offered are laid out as fast as a few.
    QAbstractItemView* const popup = completer_->popup();
    if (auto* rows = qobject_cast<QListView*>(popup))
        rows->setUniformItemSizes(true);
    // The completer marks the first text offered as picked; only the user
    // picks one (Down, or the pointer over it), else a Return would take
    // the text instead of adding the search.
    connect(popup->selectionModel(), &QItemSelectionModel::currentChanged, this, [this, popup](const QModelIndex& now) {
        if (now.isValid() && !picking_)
            popup->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::Clear);
    });
    popup->viewport()->installEventFilter(this);
    // Before the box asks the completer to show what is offered.
    connect(box, &QLineEdit::textEdited, this, &SearchTextCompletion::offer);
    // The offer's list takes the mouse while it shows; a click beside it
    // (on Add Search, say) closes it and still reaches what it was meant
    // for. Watched after the completer, which would swallow that click.
    popup->installEventFilter(this);
    // Gathered when the box takes the keyboard, and again when the list
    // changes under it (Add Search leaves the keyboard there).
    connect(&searches, &SearchListModel::listChanged, this, [this, box] {
        stale_ = true;
        if (box->hasFocus())
            offer();
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
    QAbstractItemView* offer = completer_->popup();
    if ((watched == offer && event->type() == QEvent::KeyPress)
        || (watched == offer->viewport() && event->type() == QEvent::MouseMove))
        picking_ = true;
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
    if (watched == box_ && event->type() == QEvent::FocusIn)
        this->offer();
    return QObject::eventFilter(watched, event);
}

void SearchTextCompletion::gather()
{
    stale_ = false;
    texts_ = recentSearchTexts(searches_.entries());
    index_.clear();
    index_.reserve(size_t(texts_.size()));
    for (qsizetype i = 0; i < texts_.size(); ++i)
        index_.emplace_back(texts_.at(i).toCaseFolded(), i);
    std::sort(index_.begin(), index_.end());
}

QStringList SearchTextCompletion::offered(const QString& typed)
{
    if (stale_)
        gather();
    if (typed.isEmpty())
        return {};
    // Every folded text that starts with the folded prefix lies in one run
    // of the index, from where the prefix itself would stand.
    const QString prefix = typed.toCaseFolded();
    auto match = std::lower_bound(index_.cbegin(), index_.cend(), prefix,
        [](const std::pair<QString, qsizetype>& text, const QString& prefix) { return text.first < prefix; });
    QList<qsizetype> places;
    for (; match != index_.cend() && match->first.startsWith(prefix); ++match)
        places.append(match->second);
    std::sort(places.begin(), places.end());
    QStringList texts;
    texts.reserve(places.size());
    for (const qsizetype place : std::as_const(places))
        texts.append(texts_.at(place));
    return texts;
}

void SearchTextCompletion::offer()
{
    picking_ = false;
    offer_->setStringList(offered(box_->text()));
}

} // namespace quillmoor
