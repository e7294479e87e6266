#include "FindBar.h"

#include "ListView.h"
#include "NameMatcher.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <limits>
#include <memory>

namespace quillmoor {

FindBar::FindBar(ListView* list)
    : QWidget(list)
    , list_(list)
    , box_(new QLineEdit(this))
    , count_(new QLabel(this))
{
    setObjectName(QStringLiteral("FindBar"));
    setAutoFillBackground(true);
    box_->setObjectName(QStringLiteral("txtFind"));
    box_->setAccessibleName(tr("Find in the saved searches"));
    box_->setPlaceholderText(tr("Find"));
    box_->setMaxLength(std::numeric_limits<int>::max());
    auto* shut = new QToolButton(this);
    shut->setText(QStringLiteral("\u2715"));
    shut->setAccessibleName(tr("Close the find box"));
    shut->setToolTip(tr("Close the find box (Escape)"));
    shut->setAutoRaise(true);
    shut->setFocusPolicy(Qt::NoFocus);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(1, 0, 1, 0);
    row->setSpacing(4);
    row->addWidget(box_, 1);
    row->addWidget(count_);
    row->addWidget(shut);
    connect(box_, &QLineEdit::textChanged, this, &FindBar::narrow);
    connect(shut, &QToolButton::clicked, this, &FindBar::closeFind);
    connect(list_, &ListView::rowsFiltered, this, [this](qsizetype shown, qsizetype total) {
        count_->setText(tr("%1 of %2 searches shown").arg(shown).arg(total));
    });
    box_->installEventFilter(this);
    list_->installEventFilter(this);
    hide();
}

void FindBar::open()
{
    placeOverHeader();
    show();
    raise();
    narrow(box_->text());
    box_->setFocus(Qt::ShortcutFocusReason);
    box_->selectAll();
}

void FindBar::closeFind()
{
    if (!isVisible())
        return;
    hide();
    list_->setRowFilter({});
    list_->setFocus(Qt::OtherFocusReason);
    // The row the keyboard stands on stays in sight among all the rows.
    if (list_->currentIndex().isValid())
        list_->scrollTo(list_->currentIndex());
}

QString FindBar::countText() const { return isVisible() ? count_->text() : QString(); }

void FindBar::narrow(const QString& text)
{
    if (!isVisible())
        return;
    // The matcher lives as long as the filter that asks it.
    auto matcher = std::make_shared<NameMatcher>(text);
    list_->setRowFilter([list = list_, matcher](qsizetype row) { return matcher->in(list->itemText(row)); });
}

void FindBar::placeOverHeader()
{
    const QHeaderView* header = list_->horizontalHeader();
    const int height = qMax(header->height(), box_->sizeHint().height());
    setGeometry(list_->frameWidth(), list_->frameWidth(), list_->width() - 2 * list_->frameWidth(), height);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == list_ && event->type() == QEvent::Resize && isVisible())
        placeOverHeader();
    if (watched != box_ || (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress))
        return QWidget::eventFilter(watched, event);
    // Escape belongs to the box while it is open, before the window's own
    // Escape (which stops pages opening) can take it.
    const auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride && key->key() == Qt::Key_Escape) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        if (key->key() == Qt::Key_Escape) {
            closeFind();
            return true;
        }
        // Down goes on to the rows found, as from a search field.
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            list_->setFocus(Qt::OtherFocusReason);
            // The rows shown are the only rows the keyboard can stand on.
            if (list_->currentRow() < 0 && list_->model()->rowCount() > 0)
                list_->selectRow(list_->shownRows().first());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace quillmoor
