#include "ListTabs.h"

#include "MenuText.h"

#include <QDropEvent>
#include <QMenu>
#include <QShortcut>

namespace quillmoor {

namespace {
    // About this many characters of a name show on its tab.
    constexpr int kTabCharacters = 24;
} // namespace

ListTabs::ListTabs(QWidget* window, QWidget* rows, QWidget* parent)
    : QTabBar(parent)
    , rows_(rows)
{
    setAcceptDrops(true);
    setObjectName(QStringLiteral("tabLists"));
    setAccessibleName(tr("Lists"));
    setElideMode(Qt::ElideRight);
    setUsesScrollButtons(true);
    setExpanding(false);
    setDocumentMode(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (!setting_ && index >= 0)
            emit listChosen(index);
    });
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const int index = tabAt(at);
        if (index < 0)
            return;
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        connect(menu->addAction(tr("&Rename List\u2026")), &QAction::triggered, this,
            [this, index] { emit renameAsked(index); });
        QAction* remove = menu->addAction(tr("&Delete List"));
        remove->setEnabled(index > 0); // the first list is the one older builds read
        connect(remove, &QAction::triggered, this, [this, index] { emit deleteAsked(index); });
        menu->popup(mapToGlobal(at));
    });
    const std::pair<QKeySequence, int> keys[]
        = { { QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1 }, { QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1 } };
    for (const auto& [key, by] : keys) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, by = by] { step(by); });
    }
}

void ListTabs::setLists(const QStringList& names, qsizetype shown)
{
    setting_ = true;
    while (count() > names.size())
        removeTab(count() - 1);
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i >= count())
            addTab(QString());
        setTabText(int(i), menuText(names[i]));
        setTabToolTip(int(i), names[i]);
    }
    setCurrentIndex(int(shown));
    setting_ = false;
}

void ListTabs::step(int by)
{
    if (count() < 2)
        return;
    setCurrentIndex((currentIndex() + by + count()) % count());
}

int ListTabs::dropTab(const QDropEvent* event) const
{
    const QWidget* from = qobject_cast<const QWidget*>(event->source());
    if (!from || (from != rows_ && !rows_->isAncestorOf(from)))
        return -1;
    const int index = tabAt(event->position().toPoint());
    return index == currentIndex() ? -1 : index;
}

void ListTabs::dragEnterEvent(QDragEnterEvent* event)
{
    const QWidget* from = qobject_cast<const QWidget*>(event->source());
    if (from && (from == rows_ || rows_->isAncestorOf(from)))
        event->accept();
}

void ListTabs::dragMoveEvent(QDragMoveEvent* event)
{
    // The move is ours to make, as one step: the list's own drag removes
    // nothing it drops outside itself.
    if (dropTab(event) >= 0)
        event->acceptProposedAction();
    else
        event->ignore();
}

void ListTabs::dropEvent(QDropEvent* event)
{
    const int index = dropTab(event);
    if (index < 0)
        return event->ignore();
    event->acceptProposedAction();
    emit searchesDropped(index);
}

QSize ListTabs::tabSizeHint(int index) const
{
    QSize size = QTabBar::tabSizeHint(index);
    size.setWidth(qMin(size.width(), fontMetrics().averageCharWidth() * kTabCharacters));
    return size;
}

} // namespace quillmoor
