#pragma once

#include "Twips.h"

#include <QCursor>
#include <QHash>
#include <QWidget>
#include <optional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QScrollArea;

namespace quillmoor {

class FindBar;
class ListTabs;
class ListView;
class NearbyMenu;
class SearchMenu;
class UndoNotice;

// The main window. Its controls are named for what they are; their places,
// sizes and fonts are laid out in twips as the window was designed.
// The object names (Text1, ListView2, PushButton6...) and the handlers'
// procedure names built on them (PushButton6_Click) stay the designer's:
// error reports quote them, and a style sheet may select a control by its
// object name.
// Its work is in four files: Form1.cpp makes and lays out the controls,
// Form1Pointer.cpp gives the pointer feedback, Form1Colours.cpp the colours
// and Form1Placement.cpp the window's place on the screen.
class Form1 : public QWidget {
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    QLineEdit* filterBox;
    ListView* cityList;
    QLineEdit* searchTextBox;
    QPushButton* addSearchButton;
    ListView* savedList;
    QPushButton* openSelectedButton;
    QPushButton* openAllButton;
    QPushButton* deleteButton;
    QPushButton* clearAllButton;
    QPushButton* exampleButton;
    // The location list's context menu.
    NearbyMenu* nearbyMenu;
    // The saved-search list's context menu.
    SearchMenu* searchMenu;
    // The saved list's find box, over its column header while open.
    FindBar* savedListFind;
    // Says what a large edit of the saved list did, with its Undo, for a
    // few seconds over the list's foot.
    UndoNotice* savedListNotice;
    // While pages wait for the browser, over the lower edge of the saved
    // list: the button that stops the rest.
    QPushButton* stopOpeningButton;
    // In Stop Opening's place once it stopped pages, while they can still
    // be opened.
    QPushButton* openRestButton;
    // The lists as tabs over the saved list, while there are two or more.
    ListTabs* listTabs;
    // Shows the lists' names, `shown` the one the saved list shows; tabs
    // take the top of the saved list while there are two lists or more.
    void showLists(const QStringList& names, qsizetype shown);

    // The window-wide pointer: 0 is the ordinary pointer, 99 the custom
    // pointer image (a pointing hand when none was loaded).
    static constexpr int kDefaultPointer = 0;
    static constexpr int kCustomPointer = 99;
    int mousePointer() const { return mousePointer_; }
    void setMousePointer(int value);
    void setMouseIcon(const QCursor& cursor);
    bool hasMouseIcon() const { return mouseIcon_.has_value(); }

    // Gives the window, its frames and its label the colour of button faces
    // as their background, from the desktop's colour scheme, now and
    // whenever the scheme changes.
    void useButtonFaceBackground();

    // The saved list's tool tip names the browser its pages open in, by
    // its own name; an empty name says "your web browser".
    void setBrowserName(const QString& name);

    // Fits the window into its screen's free area and centres it there.
    void centre();

    // The window's place as the user left it: where its frame's top-left
    // corner is and the size of its inside, as it shows when not maximised.
    QRect keptPlace() const;
    // Whether the user has moved, resized or maximised the window since
    // the program placed it.
    bool placeChanged() const;
    // Puts the window back at `place` (as keptPlace() gave it), maximised
    // when `maximized`: never larger than the free area of the screen it
    // opens on, nor smaller than designed, and wholly on that screen.
    void restorePlace(const QRect& place, bool maximized);
    // Opens `steps` steps down and to the right of where it was put, as
    // desktops cascade windows, where other copies' windows stand there.
    void cascade(int steps);

    // Shows that `handed` of `total` pages are handed over to the browser,
    // with the button that stops the rest; a total of 0 takes both away.
    // `left` says how long the rest takes, where that is worth saying.
    void showOpening(int handed, int total, const QString& left = QString());
    // Opening stopped after `handed` of `total` pages; `rest` pages can
    // still be opened. No rest takes the bar and its button away.
    void showStopped(int handed, int total, int rest);
    // While pages wait for the browser the pointer is the busy arrow over
    // the whole window, over the buttons' own pointer too; the window's
    // pointer comes back when none wait, or when the window closes.
    void showBusy(bool busy);

signals:
    // Emitted once, when the window is asked to close for whatever reason.
    void queryUnload();
    // The window moved, was resized, maximised or put back: its place may
    // be the user's now.
    void placeMoved();

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window's client area as designed.
    static constexpr QSize kClientArea { twips(8040), twips(9780) };

    // Parts no handler needs: the frames and the label only hold and
    // name the rest, and the bar shows how far pages are handed over.
    QGroupBox* locationsFrame;
    QLabel* filterLabel;
    QGroupBox* searchFrame;
    QProgressBar* openingProgress;

    // The constructor's steps: the controls where the design puts them, the
    // lists' behaviour and what screen readers call things, the keyboard's
    // order and path, the pointer feedback.
    void createControls();
    // How each control follows the window as it grows.
    void setUpGrowth();
    void setUpLists();
    void setUpKeyboard();
    void setUpPointer();
    void watchPointer(QWidget* widget, int value);
    void applyPointer();
    void applyColours();
    void fitInto(const QRect& available);
    void refit();
    // Where the window grows, a control goes: its left and right edges move
    // by halves of the extra width (0, 1 or 2), its top and bottom edges by
    // none of the extra height (0), the location list's share of it (1) or
    // all of it (2).
    void follow(QWidget* control, int left, int right, int top, int bottom);
    void layOut(const QSize& extra);
    void notePlace();

    // The controls whose pointer movements set the window's pointer, with
    // the value each one sets.
    QHash<QObject*, int> pointerSetters_;
    int mousePointer_ = kDefaultPointer;
    int shownPointer_ = kDefaultPointer;
    std::optional<QCursor> mouseIcon_;
    bool busyShown_ = false;
    bool unloaded_ = false;
    // The desktop's colours the window's own were last derived from.
    QPalette scheme_;
    bool buttonFaceBackground_ = false;
    // Holds the controls when the screen is too small for the window.
    QScrollArea* scroller_ = nullptr;
    struct Follower {
        QWidget* control;
        QRect designed;
        int left, right, top, bottom;
    };
    QList<Follower> followers_;
    // Where the program itself last put the window.
    QRect placed_;
    // The place a window restored maximised goes back to: Qt noted it
    // before the frame was known, as the inside's place.
    QRect restoredNormal_;
};

// Where a window frame of size `frame` goes in the screen's free area: centred
// where it fits, else from the area's top or left edge.
QPoint windowPlace(const QSize& frame, const QRect& available);

} // namespace quillmoor
