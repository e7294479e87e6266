#include "UndoNotice.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace quillmoor {

UndoNotice::UndoNotice(QWidget* over)
    : QFrame(over)
    , text_(new QLabel(this))
    , undo_(new QPushButton(tr("&Undo"), this))
    , timer_(new QTimer(this))
{
    setObjectName(QStringLiteral("noticeUndo"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    text_->setForegroundRole(QPalette::ToolTipText);
    // A click on it must not take the keyboard from the list or a box.
    undo_->setFocusPolicy(Qt::NoFocus);
    undo_->setToolTip(tr("Take back this edit (Ctrl+Z)"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 2, 2, 2);
    row->addWidget(text_, 1);
    row->addWidget(undo_);
    timer_->setSingleShot(true);
    timer_->setInterval(kShownMs);
    connect(timer_, &QTimer::timeout, this, &UndoNotice::dismiss);
    connect(undo_, &QPushButton::clicked, this, [this] {
        dismiss();
        emit undoClicked();
    });
    over->installEventFilter(this);
    hide();
}

void UndoNotice::showNotice(const QString& text, bool canUndo)
{
    text_->setText(text);
    undo_->setVisible(canUndo);
    setAccessibleName(text);
    placeOverFoot();
    show();
    raise();
    timer_->start();
}

void UndoNotice::dismiss()
{
    timer_->stop();
    hide();
}

QString UndoNotice::text() const { return text_->text(); }

bool UndoNotice::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && isShown())
        placeOverFoot();
    return QFrame::eventFilter(watched, event);
}

void UndoNotice::placeOverFoot()
{
    // Inside the list's frame, clear of its vertical scroll bar's arrows at
    // either side, as a toast sits over the content it speaks of.
    const QWidget* over = parentWidget();
    const int margin = 6;
    const int height = sizeHint().height();
    const int width = qMin(over->width() - 2 * margin - 16, qMax(sizeHint().width(), over->width() * 3 / 4));
    setGeometry((over->width() - width) / 2, over->height() - height - margin - 16, width, height);
}

} // namespace quillmoor
