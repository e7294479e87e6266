#pragma once

#include "Form1.h"
#include "ListHandlers.h"
#include "LocationHandlers.h"
#include "OpenChoices.h"
#include "OpeningNotice.h"
#include "PagesOpening.h"
#include "Platform.h"
#include "SavedListEditing.h"
#include "SavedListUndo.h"
#include "SearchButtons.h"
#include "SearchListModel.h"
#include "SearchLists.h"
#include "SearchSaver.h"
#include "SkinFramework.h"
#include "Startup.h"
#include "WindowSettings.h"

#include <QObject>
#include <memory>

namespace quillmoor {

class Trap;

// The program: the window, its start-up and shut-down, and the wiring of
// every control's events to the handler that does the work.
class Application : public QObject {
    Q_OBJECT
public:
    // `startupReads`, when given, began reading before Qt started; else the
    // window begins its own.
    explicit Application(Platform platform, std::unique_ptr<StartupReads> startupReads = nullptr);

    Form1& form() { return form_; }
    // The saved searches, which the window's list shows.
    SearchListModel& searches() { return searches_; }
    Platform& platform() { return platform_; }
    // Undo and redo of the saved list's edits: undo() takes back the last
    // one, canUndoChanged() tells when there is one to take back.
    QUndoStack& undoStack() { return savedListUndo_.stack(); }
    // Where searches open.
    OpenChoices& openChoices() { return openChoices_; }
    // The saved list's clipboard, moves, new text, import and export.
    SavedListEditing& editing() { return editing_; }
    // New, Rename, Delete and Move to List.
    ListHandlers& listHandlers() { return listHandlers_; }

    // Runs the start-up steps and shows the window centred, unless a close
    // was asked for meanwhile.
    void start();
    // Closes the window as the user would; before start-up has finished the
    // close waits for it, so the saved list is never written half restored.
    // Asked by a signal or the session's end: reports from then on go to
    // standard error instead of a box.
    void requestClose();
    // The display has gone and Qt is about to end the program: the list is
    // saved and the pages still waiting are handed over, as at a close, but
    // without a window; reports go to standard error.
    void displayLost();
    // 1 once saving the list at the close failed, or the pages waiting
    // then had to be handed over by this process, else 0.
    int exitStatus() const { return saveFailed_ || handingOverHere() ? 1 : 0; }
    // The window has closed, and this process still hands over the pages
    // that waited; it ends when the last has gone.
    bool handingOverHere() const { return stage_ == Stage::HandingOverHere; }
    // The close gave up on a save that may still be running.
    bool saveAbandoned() const { return saver_.abandoned(); }

    void Form_Load();
    // The settings file's keys that the start reads, in one read.
    static QStringList keysReadAtStart();
    // The keys of the lists after the first, among those.
    static QStringList listKeysReadAtStart();
    // Every list, the first first, and which the window shows.
    SearchLists& lists() { return lists_; }
    void Form_QueryUnload();

private:
    void connectHandlers();
    // The saved-search list's menu: open, edit, undo, stop, where pages
    // open, and the list as a file; with the keys of its entries.
    void connectSearchMenu();
    void connectEditing();
    void connectFinding();
    // The lists as tabs, their menu entries, and which the view shows.
    void connectLists();
    void showLists();
    // The pace, Open the Rest and Open Not Opened Today.
    void connectOpening();
    // Pages are waiting for the browser; stopping drops those not yet
    // handed over (Escape, or Stop Opening in the saved list's menu).
    bool pagesWaiting() const;
    // Answers how many pages it kept from the browser.
    int stopOpening();
    // How far the pages asked for are handed over, on the window and in
    // its title.
    void showOpening(int handed, int total);
    void restoreOpenChoices();
    // The saved searches of the stored `value`, as Form_Load's last steps.
    void restoreSearches(Trap& trap, const QString& value);
    // The pace and the times searches were opened, as stored.
    void restoreOpening();
    // The lists after the first, as stored, as Form_Load's last steps.
    void restoreLists(Trap& trap);
    KnownLists listsReadAtStart() const;
    // The lists' names and the searches of all but the first.
    SavedLists savedLists() const;
    // Merges what others saved of the lists into them, as no undo step.
    void takeInLists(const SavedLists& from, const SavedLists& stored);
    // Lists that a close could not save, taken back into the list shown.
    void takeBackRescued(Trap& trap);
    // What a save writes: the list shown and the choices made of where
    // pages open.
    SearchSaver::Snapshot saveSnapshot(const QStringList& entries) const;
    // The list as the user goes, saved within a second of each change.
    void connectSaving();
    // Merges what others saved into the list shown, as no undo step.
    void takeIn(const QStringList& from, const QStringList& stored);
    // Saves the list and hands over what waits; no handler acts after it.
    void unload();
    // The last page handed over from here has gone: what went is kept.
    void endHandingOverHere();

    Platform platform_;
    // Begun first, to go on while the window is built.
    std::unique_ptr<StartupReads> startupReads_;
    // Made before the window that shows it, and gone after it.
    SearchListModel searches_;
    SearchLists lists_ { searches_, firstListName() };
    Form1 form_;
    LocationHandlers locations_;
    SkinFramework SkinFramework1;
    SavedListUndo savedListUndo_;
    SavedListEditing editing_;
    ListHandlers listHandlers_ { form_, platform_, lists_, savedListUndo_ };
    // Where the program is in its life: the window being built, shown,
    // closed with its list saved, or closed while this process still hands
    // over the pages that waited.
    enum class Stage { Loading, Shown, Unloaded, HandingOverHere };
    Stage stage_ = Stage::Loading;
    // Who asked for the close when nobody may be there to answer a box: a
    // signal or the session's end, or the display going.
    enum class CloseAsked { No, Unattended, DisplayGone };
    CloseAsked closeAsked_ = CloseAsked::No;
    bool saveFailed_ = false;
    // The list is taking in what others saved: no save of its own follows.
    bool takingIn_ = false;
    // The list the saved list's view shows.
    const SearchListModel* viewed_ = &searches_;
    // The saved searches as the store held them at start-up.
    QString storedAtStart_;
    // What start-up read of the settings file.
    StoredTexts storedKeys_;
    // Where searches open, and which of those choices the user made.
    OpenChoices openChoices_;
    // The window's place and whether it asks before many pages.
    WindowSettings windowSettings_;
    // The pages on their way, their pace, and when searches were opened.
    PagesOpening opening_ { platform_, lists_ };
    // The run where the browser does not hide it: the desktop's notification.
    OpeningNotice notice_ { platform_ };
    // What the search buttons work on.
    SavedListParts saved_ { locations_.cities(), lists_, savedListUndo_, openChoices_.where(), opening_ };
    // Last: a save in flight ends before what it reads goes.
    SearchSaver saver_;
};

} // namespace quillmoor
