#include "ScrollControls.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace quillmoor {

QScrollArea* scrollControls(QWidget* window, const QSize& page, QObject* watcher)
{
    auto* area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("scroller"));
    area->setFrameShape(QFrame::NoFrame);
    // Tab passes from control to control; the area itself is no stop.
    area->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("page"));
    content->setFixedSize(page);
    // The page shows the window's background, whatever colour it takes.
    content->setAutoFillBackground(true);
    // Placed in the area before the controls move onto it, so that they
    // never leave the window and keep their order for the Tab key.
    area->setWidget(content);
    for (QWidget* child : window->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child == area || child->isWindow())
            continue;
        const bool hidden = child->isHidden();
        child->setParent(content);
        child->setHidden(hidden);
    }
    // However the focus got there (Tab, a shortcut, the program itself),
    // the control that has it can be seen.
    QObject::connect(qApp, &QApplication::focusChanged, area, [area, content](QWidget*, QWidget* now) {
        if (now && content->isAncestorOf(now))
            area->ensureWidgetVisible(now);
    });
    // The controls track the mouse or not as they did; what lies between
    // them and around them is watched.
    QWidget* const vertical = area->verticalScrollBar();
    QWidget* const horizontal = area->horizontalScrollBar();
    for (QWidget* part : { static_cast<QWidget*>(area), area->viewport(), content, vertical, vertical->parentWidget(),
             horizontal, horizontal->parentWidget() }) {
        part->setMouseTracking(true);
        part->installEventFilter(watcher);
    }
    area->show();
    return area;
}

QSize scrolledSize(const QSize& page, const QSize& room, const QScrollArea* area)
{
    // A scroll bar along one side takes room from the other.
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    bool across = page.width() > room.width();
    const bool down = page.height() + (across ? bar : 0) > room.height();
    across = page.width() + (down ? bar : 0) > room.width();
    return { qMin(room.width(), page.width() + (down ? bar : 0)),
        qMin(room.height(), page.height() + (across ? bar : 0)) };
}

} // namespace quillmoor
