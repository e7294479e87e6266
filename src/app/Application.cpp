#include "Application.h"

#include "Backups.h"
#include "Dialogs.h"
#include "Failure.h"
#include "FindBar.h"
#include "HandOver.h"
#include "ListView.h"
#include "MenuText.h"
#include "NearbyMenu.h"
#include "OpenPace.h"
#include "SearchButtons.h"
#include "SearchMenu.h"
#include "SearchMerge.h"
#include "SearchTextCompletion.h"
#include "Startup.h"
#include "Trap.h"
#include "UndoNotice.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShortcut>
#include <cstdio>

namespace quillmoor {

namespace {
    // The box shows every CR LF and lone CR as a line break; a terminal
    // would write the next line over the last.
    void writeReport(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        std::fputs(qUtf8Printable(text + u'\n'), stderr);
        std::fflush(stderr);
    }
} // namespace

Application::Application(Platform platform, std::unique_ptr<StartupReads> startupReads)
    : platform_(std::move(platform))
    , startupReads_(startupReads ? std::move(startupReads) : StartupReads::of(platform_))
    , locations_(form_, platform_)
    , savedListUndo_(*form_.savedList)
    , editing_(form_, platform_, lists_, savedListUndo_, openChoices_)
    , saver_(platform_.settingsFile, [this] { return saveSnapshot(searches_.entries()); })
{
    form_.savedList->setModel(&searches_);
    // Once a signal or the session's end asks for the close, nobody may be
    // there to press OK: reports go to standard error in full, and the
    // program ends.
    platform_.showMessage = [this, show = platform_.showMessage ? std::move(platform_.showMessage) : showReportBox](
                                const QString& title, const QString& text) {
        if (closeAsked_ == CloseAsked::No)
            show(title, text);
        else
            writeReport(text);
    };
    platform_.showInformation
        = [this, show = platform_.showInformation ? std::move(platform_.showInformation) : showInformationBox](
              const QString& title, const QString& text) {
              if (closeAsked_ == CloseAsked::No)
                  show(title, text);
              else
                  writeReport(text);
          };
    // Backups live with the user's own files; a test without that folder
    // keeps none.
    if (!platform_.userDataFolder.isEmpty())
        saver_.keepBackupsIn(backupFolder(platform_.userDataFolder));
    if (!platform_.askToOpen)
        platform_.askToOpen = [this](int pages, bool& askAgain) {
            return askOpenBox(&form_, pages, qint64(pages) * opening_.paceMs(), askAgain);
        };
    // "Don't ask again" is kept as soon as it is ticked, as the list is.
    platform_.askToOpen = [this, ask = std::move(platform_.askToOpen)](int pages, bool& askAgain) {
        const bool open = ask(pages, askAgain);
        if (!askAgain)
            saver_.changed();
        return open;
    };
    // A launcher that fails is reported as the statement that asked for it.
    if (platform_.reportLaunchesTo) {
        platform_.reportLaunchesTo([this](const QString& procedure, int line, const QString& description) {
            Trap(platform_, procedure).report(line, std::make_exception_ptr(Failure(description)));
        });
    }
    connectHandlers();
}

void Application::connectHandlers()
{
    const std::pair<QPushButton*, void (*)(Form1&, Platform&, SavedListParts&)> buttons[] = {
        { form_.addSearchButton, PushButton7_Click },
        { form_.openSelectedButton, PushButton2_Click },
        { form_.openAllButton, PushButton6_Click },
        { form_.clearAllButton, PushButton3_Click },
        { form_.deleteButton, PushButton4_Click },
        { form_.exampleButton, PushButton5_Click },
    };
    const auto handle = [this](void (*handler)(Form1&, Platform&, SavedListParts&)) {
        return [this, handler] { handler(form_, platform_, saved_); };
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, handle(handler));

    connect(form_.filterBox, &QLineEdit::textChanged, this, [this] { locations_.Text1_Change(); });
    connect(form_.cityList, &ListView::contextMenuRequested, this,
        [this](qsizetype row, const QPoint& at) { locations_.ListView1_ContextMenu(row, at); });
    connect(form_.nearbyMenu, &NearbyMenu::distanceChosen, this, [this](double km) { locations_.mnuNearby_Click(km); });
    connect(form_.nearbyMenu, &NearbyMenu::stateChosen, this, [this] { locations_.mnuState_Click(); });
    connect(form_.nearbyMenu, &NearbyMenu::editCityList, this, [this] { locations_.mnuEditList_Click(); });
    // Keys users expect: Enter adds the search, Delete removes the selected
    // one, a double-click or Return opens it.
    auto* completion = new SearchTextCompletion(form_.searchTextBox, searches_, this);
    connect(form_.searchTextBox, &QLineEdit::returnPressed, this, [this, completion] {
        if (!completion->takesReturn())
            PushButton7_Click(form_, platform_, saved_);
    });
    connect(form_.savedList, &ListView::deletePressed, this, handle(PushButton4_Click));
    for (auto opened : { &ListView::itemDoubleClicked, &ListView::returnPressed })
        connect(form_.savedList, opened, this, handle(PushButton2_Click));

    connectSearchMenu();
    connectLists();

    connect(&form_, &Form1::queryUnload, this, [this] {
        unload();
        // The application never outlives its window, unless it still has
        // pages to hand over that nothing else could take.
        if (!handingOverHere())
            QCoreApplication::exit(exitStatus());
    });
    // Escape stops the pages not yet handed over, as the button beside the
    // progress does. Menus and dialogs are windows of their own and keep
    // their Escape.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), &form_);
    stop->setContext(Qt::WindowShortcut);
    connect(stop, &QShortcut::activated, this, [this] { stopOpening(); });
    connect(form_.stopOpeningButton, &QPushButton::clicked, this, [this] { stopOpening(); });
    if (platform_.watchLaunches)
        platform_.watchLaunches(this, [this](int handed, int total) { showOpening(handed, total); });
    if (platform_.watchBusy)
        platform_.watchBusy(&form_, [this](bool busy) { form_.showBusy(busy); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { requestClose(); });
    connectSaving();
}

void Application::connectSaving()
{
    // The model says when the list changed, by whatever edit, undo or
    // redo; the menu when the user chose where pages open.
    const auto changed = [this] { saver_.changed(); };
    connect(&lists_, &SearchLists::listChanged, &saver_, [this] {
        // What the list took in from the file needs no save of its own.
        if (!takingIn_)
            saver_.changed();
    });
    connect(&saver_, &SearchSaver::tookIn, this, &Application::takeIn);
    connect(&saver_, &SearchSaver::listsTookIn, this, &Application::takeInLists);
    const SearchMenu* menu = form_.searchMenu;
    connect(menu, &SearchMenu::engineChosen, &saver_, changed);
    connect(menu, &SearchMenu::ageChosen, &saver_, changed);
    connect(menu, &SearchMenu::combineCitiesChosen, &saver_, changed);
    // So does the window's place, once it is the user's: moved, resized or
    // maximised, it is kept without waiting for an edit of the list.
    connect(&form_, &Form1::placeMoved, &saver_, [this] {
        if (form_.isVisible() && form_.placeChanged())
            saver_.changed();
    });
    connect(menu, &SearchMenu::paceChosen, &saver_, changed);
    connect(&opening_, &PagesOpening::openedChanged, &saver_, changed);
    // A save that fails is said once, as the statement of a timer that
    // saves would say it.
    const auto report = [this](const QString& description) {
        Trap(platform_, QStringLiteral("tmrSave_Timer")).report(100, std::make_exception_ptr(Failure(description)));
    };
    connect(&saver_, &SearchSaver::failed, this, report);
    connect(&saver_, &SearchSaver::noticed, this, report);
    // Good news, not a fault: said where the list is, in passing, as a large
    // edit is; a box would take the keyboard from whatever the user types.
    connect(&saver_, &SearchSaver::cameBack, form_.savedListNotice,
        [notice = form_.savedListNotice](const QString& text) { notice->showNotice(text, false); });
}

SearchSaver::Snapshot Application::saveSnapshot(const QStringList& entries) const
{
    return { entries, openChoices_.chosenKeys() + windowSettings_.chosenKeys(form_, platform_) + opening_.chosenKeys(),
        opening_.mergedKeys(), savedLists() };
}

void Application::connectSearchMenu()
{
    // The saved-search list's menu: open, and choose where pages open.
    SearchMenu* const menu = form_.searchMenu;
    openChoices_.offer(form_);
    connect(form_.savedList, &ListView::contextMenuRequested, menu, [this, menu](qsizetype, const QPoint& at) {
        const QUndoStack& steps = savedListUndo_.stack();
        menu->setUndoSteps(steps.canUndo() ? listHandlers_.stepText(steps.undoText(), steps.index() - 1) : QString(),
            steps.canRedo() ? listHandlers_.stepText(steps.redoText(), steps.index()) : QString());
        if (!steps.canUndo() && savedListUndo_.othersChangedLast())
            menu->setUndoUnavailable(tr("Can't Undo: Another Copy Changed the List"));
        menu->setEditEnabled(!form_.savedList->selectedRows().isEmpty(),
            !QGuiApplication::clipboard()->text().isEmpty(), form_.savedList->count() > 0);
        menu->setStopOpeningEnabled(pagesWaiting());
        menu->setOpenRestEnabled(opening_.hasRest());
        menu->setOpenNotTodayEnabled(form_.savedList->count() > 0);
        menu->popup(at);
    });
    // A step of another list shows that list first.
    connect(menu, &SearchMenu::undo, this, [this] {
        listHandlers_.showListOf(savedListUndo_.stack().index() - 1);
        savedListUndo_.stack().undo();
    });
    connect(menu, &SearchMenu::redo, this, [this] {
        listHandlers_.showListOf(savedListUndo_.stack().index());
        savedListUndo_.stack().redo();
    });
    connect(menu, &SearchMenu::stopOpening, this, [this] { stopOpening(); });
    connect(menu, &SearchMenu::openSelected, this, [this] { PushButton2_Click(form_, platform_, saved_); });
    connect(menu, &SearchMenu::openAll, this, [this] { PushButton6_Click(form_, platform_, saved_); });
    connect(
        menu, &SearchMenu::engineChosen, this, [this](const QString& key) { openChoices_.chooseEngine(form_, key); });
    connect(menu, &SearchMenu::ageChosen, this, [this](const QString& key) { openChoices_.chooseAge(form_, key); });
    connect(
        menu, &SearchMenu::combineCitiesChosen, this, [this](bool on) { openChoices_.chooseCombineCities(form_, on); });
    connectEditing();
    connectOpening();
}

void Application::restoreOpening()
{
    opening_.restore(storedKeys_);
    form_.searchMenu->setPace(QString::number(opening_.paceMs()));
}

void Application::connectOpening()
{
    SearchMenu* const menu = form_.searchMenu;
    QList<SearchMenu::Choice> paces;
    for (const OpenPace& pace : openPaces())
        paces.append({ QString::number(pace.ms), QCoreApplication::translate("OpenPace", pace.name) });
    menu->setPaces(paces);
    menu->setPace(QStringLiteral("0"));
    connect(menu, &SearchMenu::paceChosen, this, [this](const QString& key) { opening_.choosePace(key.toInt()); });
    const auto openRest = [this] { mnuOpenRest_Click(form_, platform_, saved_); };
    connect(menu, &SearchMenu::openRest, this, openRest);
    connect(form_.openRestButton, &QPushButton::clicked, this, openRest);
    connect(menu, &SearchMenu::openNotToday, this, [this] { mnuOpenNotToday_Click(form_, platform_, saved_); });
    connect(&opening_, &PagesOpening::restChanged, &form_, &Form1::showStopped);
    notice_.stop = [this] { return stopOpening(); };
    notice_.openRest = openRest;
    connect(&opening_, &PagesOpening::restChanged, &notice_, &OpeningNotice::stopped);
    connect(&lists_, &SearchLists::listChanged, &opening_, &PagesOpening::listChanged);
}

void Application::connectEditing()
{
    SearchMenu* const menu = form_.searchMenu;
    menu->addKeys(&form_, form_.savedList);
    form_.savedList->setMovableRows(true);
    SavedListEditing* const editing = &editing_;
    connect(menu, &SearchMenu::copy, editing, &SavedListEditing::copy);
    connect(menu, &SearchMenu::cut, editing, &SavedListEditing::cut);
    connect(menu, &SearchMenu::deleteSelected, this, [this] { PushButton4_Click(form_, platform_, saved_); });
    connect(menu, &SearchMenu::selectAll, form_.savedList, &ListView::selectAll);
    connect(menu, &SearchMenu::paste, editing, &SavedListEditing::paste);
    connect(menu, &SearchMenu::moveSelected, editing, &SavedListEditing::move);
    connect(form_.savedList, &ListView::rowsDropped, editing, &SavedListEditing::drop);
    connect(menu, &SearchMenu::editText, editing, &SavedListEditing::editText);
    connect(menu, &SearchMenu::importSearches, editing, &SavedListEditing::importSearches);
    connect(menu, &SearchMenu::restoreSearches, editing, &SavedListEditing::restoreBackup);
    // A change of the whole list keeps a backup of it first.
    editing_.backUp = [this] { saver_.backUp(lists_.shown().entries()); };
    saved_.backUp = editing_.backUp;
    // The notice after a large edit takes it back, and goes at the next.
    UndoNotice* const notice = form_.savedListNotice;
    QUndoStack* const steps = &savedListUndo_.stack();
    connect(notice, &UndoNotice::undoClicked, steps, &QUndoStack::undo);
    connect(steps, &QUndoStack::indexChanged, notice, &UndoNotice::dismiss);
    editing_.backups
        = [this] { return platform_.userDataFolder.isEmpty() ? QString() : backupFolder(platform_.userDataFolder); };
    connect(menu, &SearchMenu::exportSearches, editing, &SavedListEditing::exportSearches);
    connectFinding();
}

void Application::connectFinding()
{
    SearchMenu* const menu = form_.searchMenu;
    FindBar* const find = form_.savedListFind;
    connect(menu, &SearchMenu::find, find, &FindBar::open);
    // Ctrl+F finds in the saved list from anywhere in the window.
    auto* findKey = new QShortcut(QKeySequence(QKeySequence::Find), &form_);
    findKey->setContext(Qt::WindowShortcut);
    connect(findKey, &QShortcut::activated, find, &FindBar::open);
    connect(menu, &SearchMenu::selectSameText, &editing_, &SavedListEditing::selectSameText);
    connect(menu, &SearchMenu::removeDuplicates, &editing_, &SavedListEditing::removeDuplicates);
}

bool Application::pagesWaiting() const { return platform_.launchesWaiting && platform_.launchesWaiting(); }

int Application::stopOpening()
{
    if (!pagesWaiting() || !platform_.stopLaunches)
        return 0;
    platform_.stopLaunches();
    // The pages not handed over are kept, to go on with.
    return qMax(1, opening_.stopped());
}

void Application::showOpening(int handed, int total)
{
    // Said where it is long: at a slow pace a hundred pages take minutes.
    const qint64 leftMs = qint64(total - handed) * opening_.paceMs();
    const QString left = leftMs > 10000 ? timeLeftText(leftMs) : QString();
    form_.showOpening(handed, total, left);
    QString title
        = total > 0 ? QStringLiteral("%1 \u2013 %2 of %3").arg(kProductName).arg(handed).arg(total) : kProductName;
    if (total > 0 && !left.isEmpty())
        title += QStringLiteral(", %1 left").arg(left);
    form_.setWindowTitle(title);
    notice_.progress(handed, total);
    if (handingOverHere() && total == 0)
        endHandingOverHere();
}

void Application::start()
{
    Form_Load();
    stage_ = Stage::Shown;
    // A close asked while the window was built waited for it.
    if (closeAsked_ != CloseAsked::No) {
        form_.close();
        return;
    }
    form_.centre();
    WindowSettings::restorePlace(form_, storedKeys_);
    // Another copy's window may stand where this one would open.
    if (platform_.takeWindowSlot)
        form_.cascade(platform_.takeWindowSlot());
    form_.show();
    // Asked once the window shows: the desktop's answer takes a moment,
    // and the tool tip says "your web browser" until then.
    if (platform_.askBrowserName)
        platform_.askBrowserName(this, [this](const QString& name) { form_.setBrowserName(name); });
}

void Application::requestClose()
{
    if (closeAsked_ == CloseAsked::No)
        closeAsked_ = CloseAsked::Unattended;
    // A report waiting for its OK would hold the close up indefinitely.
    closeWaitingDialog();
    if (stage_ == Stage::Shown)
        form_.close();
}

void Application::unload()
{
    // What waits is opened after the close: it counts as opened as it goes.
    const QHash<QUrl, QByteArray> notes = opening_.handingOver();
    Form_QueryUnload();
    // No handler acts after the list is saved; pages still waiting for the
    // browser are handed over.
    platform_.unloaded = true;
    stage_ = Stage::Unloaded;
    const QString option = QString::fromLatin1(kHandOverOption);
    const QString why = platform_.handOverLaunches ? platform_.handOverLaunches(option, notes) : QString();
    if (why.isEmpty())
        return;
    const QString said = QStringLiteral("Quillmoor: the pages waiting for the browser could not be handed over to a "
                                        "process of their own (%1)")
                             .arg(why);
    if (closeAsked_ == CloseAsked::DisplayGone) {
        // Qt ends the program at once when its display has gone.
        writeReport(said + QStringLiteral("; they are lost."));
        return;
    }
    // Rather than lose them, this process hands the pages over before it
    // ends; it says so, and its status says all did not go as it should.
    stage_ = Stage::HandingOverHere;
    QGuiApplication::setQuitOnLastWindowClosed(false);
    writeReport(said + QStringLiteral("; they are handed over before the program ends."));
}

void Application::displayLost()
{
    if (stage_ != Stage::Shown)
        return;
    closeAsked_ = CloseAsked::DisplayGone;
    unload();
}

} // namespace quillmoor
