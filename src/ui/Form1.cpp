#include "Form1.h"

#include "KeyboardPath.h"

#include "ListView.h"
#include "NearbyMenu.h"
#include "ScrollControls.h"
#include "SearchMenu.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <limits>

namespace quillmoor {

namespace {

    // The window's client area as designed.
    constexpr QSize kClientArea(twips(8040), twips(9780));
    // Room left for a desktop panel where its place is not known: a panel
    // of the common desktops is 32 to 48 pixels high.
    constexpr int kPanelRoom = 48;

    void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
    {
        QPalette palette = widget->palette();
        palette.setColor(role, colour);
        widget->setPalette(palette);
    }

    template <class W> W* place(W* widget, const char* name, int left, int top, int width, int height)
    {
        widget->setObjectName(QString::fromLatin1(name));
        widget->setGeometry(twips(left), twips(top), twips(width), twips(height));
        return widget;
    }

    QFont windowFont()
    {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(9);
        font.setBold(true);
        return font;
    }

    QPushButton* pushButton(const QString& caption, QWidget* parent)
    {
        auto* button = new QPushButton(caption, parent);
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(11.25);
        font.setBold(true);
        button->setFont(font);
        button->setAutoDefault(false);
        return button;
    }

} // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form1"));
    setFont(windowFont());
    setAutoFillBackground(true);
    // Opens as designed, and may grow.
    setMinimumSize(kClientArea);
    resize(kClientArea);
    notePlace();

    createControls();
    applyColours();
    setUpLists();
    setUpKeyboard();
    setUpPointer();
}

// The busy pointer is the whole program's, and would outlive the window.
Form1::~Form1() { showBusy(false); }

void Form1::createControls()
{
    // The layout as designed, in twips, with each control's designer name.
    locationsFrame
        = place(new QGroupBox(QStringLiteral("Create New Listora Search"), this), "Frame2", 120, 120, 7800, 5115);
    filterLabel = place(new QLabel(QStringLiteral("Filter Locations:"), locationsFrame), "Label1", 240, 330, 1350, 225);
    filterBox = place(new QLineEdit(locationsFrame), "Text1", 1680, 300, 5865, 345);
    cityList = place(new ListView(locationsFrame), "ListView1", 240, 750, 7320, 2820);
    searchFrame
        = place(new QGroupBox(QStringLiteral("Search For This Text"), locationsFrame), "Frame1", 240, 3600, 7320, 825);
    searchTextBox = place(new QLineEdit(searchFrame), "txtSearch", 240, 300, 6840, 345);
    addSearchButton
        = place(pushButton(QStringLiteral("Add &Search"), locationsFrame), "PushButton7", 240, 4560, 7320, 405);
    savedList = place(new ListView(this), "ListView2", 120, 5340, 7800, 2820);
    openSelectedButton = place(pushButton(QStringLiteral("&Open Selected"), this), "PushButton2", 120, 8250, 3840, 405);
    openAllButton = place(pushButton(QStringLiteral("Open &All"), this), "PushButton6", 4080, 8250, 3840, 405);
    deleteButton = place(
        pushButton(QStringLiteral("&Delete Selected Search From List"), this), "PushButton4", 120, 8760, 3840, 405);
    clearAllButton = place(pushButton(QStringLiteral("&Clear All"), this), "PushButton3", 4080, 8760, 3840, 405);
    exampleButton
        = place(pushButton(QStringLiteral("&Load Example/Sample Searches"), this), "PushButton5", 120, 9270, 7800, 405);
    nearbyMenu = new NearbyMenu(this);
    searchMenu = new SearchMenu(this);
    // Over the lower edge of the saved list, clear of its scroll bar, and
    // only while pages wait: no control of the window moves.
    openingProgress = place(new QProgressBar(this), "barOpening", 120, 7785, 5100, 375);
    openingProgress->setFormat(QStringLiteral("%v of %m pages opened"));
    openingProgress->setAccessibleName(QStringLiteral("Pages opened"));
    openingProgress->hide();
    stopOpeningButton
        = place(pushButton(QStringLiteral("S&top Opening"), this), "cmdStopOpening", 5280, 7785, 2340, 375);
    stopOpeningButton->setToolTip(QStringLiteral("Stop opening the pages not yet opened (Esc)"));
    stopOpeningButton->hide();

    // The caption is a little wider than the space it was designed with in
    // bold Arial; let it run into the gap before the filter box rather than
    // lose its colon.
    const int needed = QFontMetrics(filterLabel->font()).horizontalAdvance(filterLabel->text()) + 1;
    filterLabel->resize(qBound(filterLabel->width(), needed, filterBox->x() - filterLabel->x()), filterLabel->height());

    // A larger window gives its room to the two lists, half to each; the
    // boxes and full-width buttons widen, the half-width buttons share the
    // width, and what lies below a list follows it down.
    follow(locationsFrame, 0, 2, 0, 1);
    follow(filterBox, 0, 2, 0, 0);
    follow(cityList, 0, 2, 0, 1);
    follow(searchFrame, 0, 2, 1, 1);
    follow(searchTextBox, 0, 2, 0, 0);
    follow(addSearchButton, 0, 2, 1, 1);
    follow(savedList, 0, 2, 1, 2);
    for (QWidget* left : { openSelectedButton, deleteButton })
        follow(left, 0, 1, 2, 2);
    for (QWidget* right : { openAllButton, clearAllButton })
        follow(right, 1, 2, 2, 2);
    follow(exampleButton, 0, 2, 2, 2);
    follow(openingProgress, 0, 2, 2, 2);
    follow(stopOpeningButton, 2, 2, 2, 2);
}

void Form1::follow(QWidget* control, int left, int right, int top, int bottom)
{
    followers_.append({ control, control->geometry(), left, right, top, bottom });
}

void Form1::layOut(const QSize& extra)
{
    const int width = qMax(0, extra.width());
    const int height[] = { 0, qMax(0, extra.height()) / 2, qMax(0, extra.height()) };
    for (const Follower& f : std::as_const(followers_)) {
        QRect place = f.designed;
        place.setLeft(place.left() + width * f.left / 2);
        place.setRight(place.right() + width * f.right / 2);
        place.setTop(place.top() + height[f.top]);
        place.setBottom(place.bottom() + height[f.bottom]);
        f.control->setGeometry(place);
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // On a page that scrolls, the controls keep their designed places.
    if (!scroller_)
        layOut(size() - kClientArea);
}

void Form1::setUpLists()
{
    // Cities are picked the way desktop lists pick: Ctrl-click, Shift-click,
    // Shift+arrows and Ctrl+A; so are saved searches, to open, delete, copy
    // or move several at once.
    cityList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    savedList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Where searches open can be chosen before there is any to open.
    savedList->setMenuWithoutRow(true);
    // The city list can be edited also when it shows no city.
    cityList->setMenuWithoutRow(true);
    // The city's name is what the keyboard stands on, is read out and is
    // searched by typing; the narrow address column is passed over.
    cityList->setKeyColumn(1);
    // A line edit stops at 32,767 characters unless told otherwise; neither
    // box has a limit of its own.
    for (QLineEdit* box : { filterBox, searchTextBox })
        box->setMaxLength(std::numeric_limits<int>::max());

    savedList->setToolTip(QStringLiteral("Double-click item to open in InterNet Explorer"));

    // What screen readers call the fields: the filter box takes its visible
    // label (the colon is not read out), the search box its frame's caption,
    // the lists what they hold.
    filterLabel->setBuddy(filterBox);
    filterBox->setAccessibleName(filterLabel->text().chopped(filterLabel->text().endsWith(u':') ? 1 : 0));
    cityList->setAccessibleName(QStringLiteral("Locations"));
    searchTextBox->setAccessibleName(searchFrame->title());
    savedList->setAccessibleName(QStringLiteral("Searches"));
    savedList->setAccessibleDescription(savedList->toolTip());
}

void Form1::setUpKeyboard()
{
    locationsFrame->setFocusPolicy(Qt::NoFocus);
    searchFrame->setFocusPolicy(Qt::NoFocus);
    filterLabel->setFocusPolicy(Qt::NoFocus);
    QWidget* const tabOrder[] = { filterBox, savedList, openSelectedButton, openAllButton, clearAllButton, deleteButton,
        exampleButton, cityList, searchTextBox, addSearchButton };
    for (size_t i = 0; i + 1 < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);
    // While it shows, Stop Opening comes right after Open All.
    setTabOrder(openAllButton, stopOpeningButton);
    filterBox->setFocus();
    new KeyboardPath(filterBox, cityList, searchTextBox, this);
}

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
    pointerSetters_[pointerSetterCount_++] = { widget, value };
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
            for (int i = 0; i < pointerSetterCount_; ++i) {
                if (pointerSetters_[i].first == control) {
                    setMousePointer(pointerSetters_[i].second);
                    return QWidget::eventFilter(watched, event);
                }
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

void Form1::useButtonFaceBackground()
{
    buttonFaceBackground_ = true;
    applyColours();
}

void Form1::applyColours()
{
    // The window, its frames and its buttons are white by design, with the
    // desktop's text colours on them. A dark scheme's text is light and
    // would vanish on white: there the backgrounds come from the scheme too.
    scheme_ = QGuiApplication::palette();
    const bool dark = scheme_.color(QPalette::WindowText).lightnessF() > scheme_.color(QPalette::Window).lightnessF();
    const QColor face = scheme_.color(QPalette::Button);
    const QColor buttons = dark ? face : QColor(Qt::white);
    const QColor background = buttonFaceBackground_ ? face : dark ? scheme_.color(QPalette::Window) : buttons;
    setColour(this, QPalette::Window, background);
    for (QPushButton* button :
        { addSearchButton, openSelectedButton, openAllButton, deleteButton, clearAllButton, exampleButton })
        setColour(button, QPalette::Button, buttons);
    if (!buttonFaceBackground_)
        return;
    // Only the kinds of control that show the window's background take the
    // button face; buttons, lists and text boxes keep their own.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(child) || qobject_cast<QGroupBox*>(child) || qobject_cast<QCheckBox*>(child)
            || qobject_cast<QRadioButton*>(child)) {
            setColour(child, QPalette::Window, background);
            child->setAutoFillBackground(true);
        }
    }
}

void Form1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        restoredNormal_ = QRect();
    // The desktop's scheme changed while the program runs. The window's own
    // colour changes arrive here too, and need nothing.
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange)
        && QGuiApplication::palette() != scheme_)
        applyColours();
    QWidget::changeEvent(event);
}

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

void Form1::showOpening(int handed, int total)
{
    const bool shown = total > 0;
    if (shown) {
        openingProgress->setRange(0, total);
        openingProgress->setValue(handed);
    }
    // The keyboard is not left on a button that goes away.
    if (!shown && stopOpeningButton->hasFocus())
        openAllButton->setFocus(Qt::OtherFocusReason);
    for (QWidget* widget : { static_cast<QWidget*>(openingProgress), static_cast<QWidget*>(stopOpeningButton) }) {
        widget->setVisible(shown);
        widget->raise();
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

void Form1::closeEvent(QCloseEvent* event)
{
    // A close is never refused; the saved list is written exactly once
    // however many close requests arrive.
    if (!unloaded_) {
        unloaded_ = true;
        emit queryUnload();
    }
    showBusy(false);
    event->accept();
}

} // namespace quillmoor
