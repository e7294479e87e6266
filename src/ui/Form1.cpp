// The window as designed: its controls where the design puts them, how they
// follow a growing window, the lists' and the keyboard's behaviour, the
// progress of pages opening and the close. The pointer feedback, the
// colours and the window's place on the screen have files of their own
// (Form1Pointer.cpp, Form1Colours.cpp, Form1Placement.cpp).
#include "Form1.h"

#include "FindBar.h"
#include "KeyboardPath.h"
#include "ListTabs.h"
#include "ListView.h"
#include "NearbyMenu.h"
#include "OpenedShown.h"
#include "SearchMenu.h"
#include "UndoNotice.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <limits>

namespace quillmoor {

namespace {

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
    savedListFind = new FindBar(savedList);
    savedListNotice = new UndoNotice(savedList);
    listTabs = new ListTabs(this, savedList, this);
    listTabs->hide();
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
    openRestButton = place(pushButton(QStringLiteral("Open t&he Rest"), this), "cmdOpenRest", 5280, 7785, 2340, 375);
    openRestButton->setToolTip(QStringLiteral("Open the pages not opened when opening stopped"));
    openRestButton->hide();

    // The caption is a little wider than the space it was designed with in
    // bold Arial; let it run into the gap before the filter box rather than
    // lose its colon.
    const int needed = QFontMetrics(filterLabel->font()).horizontalAdvance(filterLabel->text()) + 1;
    filterLabel->resize(qBound(filterLabel->width(), needed, filterBox->x() - filterLabel->x()), filterLabel->height());
    setUpGrowth();
}

void Form1::setUpGrowth()
{
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
    follow(openRestButton, 2, 2, 2, 2);
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
    // While the bar shows, the saved list ends above it: its last row and
    // scroll arrow stay in reach.
    if (!openingProgress->isHidden())
        savedList->resize(savedList->width(), openingProgress->y() - savedList->y());
    // The tabs take the top of the saved list, which keeps its foot.
    if (!listTabs->isHidden()) {
        const int tabs = listTabs->sizeHint().height();
        const QRect list = savedList->geometry();
        listTabs->setGeometry(list.x(), list.y(), list.width(), tabs);
        savedList->setGeometry(list.adjusted(0, tabs, 0, 0));
    }
}

void Form1::showLists(const QStringList& names, qsizetype shown)
{
    listTabs->setLists(names, shown);
    if (listTabs->wanted() == listTabs->isHidden()) {
        listTabs->setVisible(listTabs->wanted());
        layOut(scroller_ ? QSize() : size() - kClientArea);
    }
}

void Form1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // On a page that scrolls, the controls keep their designed places.
    if (!scroller_)
        layOut(size() - kClientArea);
    emit placeMoved();
}

void Form1::setUpLists()
{
    // Cities are picked the way desktop lists pick: Ctrl-click, Shift-click,
    // Shift+arrows and Ctrl+A; so are saved searches, to open, delete, copy
    // or move several at once.
    cityList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    savedList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The find hides rows through the list's own filter, and each row says
    // when its search was opened.
    savedList->setFilterable();
    savedList->setRowRoles(OpenedShown());
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

    setBrowserName(QString());

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
    setTabOrder(stopOpeningButton, openRestButton);
    filterBox->setFocus();
    new KeyboardPath(filterBox, cityList, searchTextBox, this);
}

void Form1::showOpening(int handed, int total, const QString& left)
{
    const bool shown = total > 0;
    if (shown) {
        openingProgress->setRange(0, total);
        openingProgress->setValue(handed);
        openingProgress->setFormat(left.isEmpty() ? QStringLiteral("%v of %m pages opened")
                                                  : QStringLiteral("%v of %m pages opened, %1 left").arg(left));
        openRestButton->hide();
    }
    // The keyboard is not left on a button that goes away.
    if (!shown && stopOpeningButton->hasFocus())
        openAllButton->setFocus(Qt::OtherFocusReason);
    // Where opening stopped stays said beside Open the Rest.
    openingProgress->setVisible(shown || !openRestButton->isHidden());
    stopOpeningButton->setVisible(shown);
    openingProgress->raise();
    stopOpeningButton->raise();
    layOut(scroller_ ? QSize() : size() - kClientArea);
}

void Form1::showStopped(int handed, int total, int rest)
{
    const bool shown = rest > 0;
    if (shown) {
        openingProgress->setRange(0, qMax(total, 1));
        openingProgress->setValue(qMin(handed, total));
        openingProgress->setFormat(QStringLiteral("Stopped at %v of %m pages"));
        openRestButton->setText(QStringLiteral("Open t&he Rest (%1)").arg(rest));
    }
    if (!shown && openRestButton->hasFocus())
        openAllButton->setFocus(Qt::OtherFocusReason);
    for (QWidget* widget : { static_cast<QWidget*>(openingProgress), static_cast<QWidget*>(openRestButton) }) {
        widget->setVisible(shown);
        widget->raise();
    }
    layOut(scroller_ ? QSize() : size() - kClientArea);
}

void Form1::setBrowserName(const QString& name)
{
    // Screen readers read the tool tip as the list's description: it says
    // where a page really opens.
    savedList->setToolTip(name.isEmpty() ? tr("Double-click item to open in your web browser")
                                         : tr("Double-click item to open in %1").arg(name));
}

void Form1::changeEvent(QEvent* event)
{
    // A change of the window's state concerns its place, a change of the
    // desktop's scheme its colours.
    if (event->type() == QEvent::WindowStateChange && !(windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        restoredNormal_ = QRect();
    if (event->type() == QEvent::WindowStateChange)
        emit placeMoved();
    // The desktop's scheme changed while the program runs. The window's own
    // colour changes arrive here too, and need nothing.
    if ((event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange)
        && QGuiApplication::palette() != scheme_)
        applyColours();
    QWidget::changeEvent(event);
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
