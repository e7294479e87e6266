#include "Application.h"

#include "ListView.h"
#include "NearbyMenu.h"
#include "SearchButtons.h"
#include "SearchMenu.h"
#include "SearchStore.h"
#include "Startup.h"
#include "Trap.h"
#include "WhereToOpen.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <cstdio>

namespace quillmoor {

namespace {
    const QString kSection = QStringLiteral("Quillmoor");
    const QString kKey = QStringLiteral("Searches");

    // The box shows every CR LF and lone CR as a line break; a terminal
    // would write the next line over the last.
    void writeReport(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
        std::fputs(qUtf8Printable(text + u'\n'), stderr);
        std::fflush(stderr);
    }
} // namespace

Application::Application(Platform platform)
    : platform_(std::move(platform))
    , locations_(form_, platform_)
    , savedListUndo_(*form_.ListView2)
    , editing_(form_, platform_, savedListUndo_)
{
    // Once a signal or the session's end asks for the close, nobody may be
    // there to press OK: reports go to standard error in full, and the
    // program ends.
    platform_.showMessage = [this, show = std::move(platform_.showMessage)](const QString& title, const QString& text) {
        if (!closeAsked_)
            show(title, text);
        else
            writeReport(text);
    };
    connectHandlers();
}

void Application::connectHandlers()
{
    const std::pair<QPushButton*, void (*)(Form1&, Platform&)> buttons[] = {
        { form_.PushButton7, PushButton7_Click },
        { form_.PushButton2, PushButton2_Click },
        { form_.PushButton6, PushButton6_Click },
        { form_.PushButton3, PushButton3_Click },
        { form_.PushButton4, PushButton4_Click },
        { form_.PushButton5, PushButton5_Click },
    };
    // What a button does to the saved list can be undone, step by step.
    const auto undoable = [this](QPushButton* button, void (*handler)(Form1&, Platform&)) {
        return [this, button, handler] { savedListUndo_.record(button->text(), [&] { handler(form_, platform_); }); };
    };
    for (const auto& [button, handler] : buttons)
        connect(button, &QPushButton::clicked, this, undoable(button, handler));

    connect(form_.Text1, &QLineEdit::textChanged, this, [this] { locations_.Text1_Change(); });
    connect(form_.ListView1, &ListView::contextMenuRequested, this,
        [this](qsizetype row, const QPoint& at) { locations_.ListView1_ContextMenu(row, at); });
    connect(form_.mnuNearby, &NearbyMenu::distanceChosen, this, [this](double km) { locations_.mnuNearby_Click(km); });
    // Keys users expect: Enter adds the search, Delete removes the selected
    // one, a double-click or Return opens it.
    connect(form_.txtSearch, &QLineEdit::returnPressed, this, undoable(form_.PushButton7, PushButton7_Click));
    connect(form_.ListView2, &ListView::deletePressed, this, undoable(form_.PushButton4, PushButton4_Click));
    for (auto opened : { &ListView::itemDoubleClicked, &ListView::returnPressed })
        connect(form_.ListView2, opened, this, [this] { PushButton2_Click(form_, platform_); });

    connectSearchMenu();

    connect(&form_, &Form1::queryUnload, this, [this] {
        unload();
        // The application never outlives its window.
        QCoreApplication::exit(exitStatus());
    });
    // Escape stops the pages not yet handed over. Menus and dialogs are
    // windows of their own and keep their Escape.
    auto* stop = new QShortcut(QKeySequence(Qt::Key_Escape), &form_);
    stop->setContext(Qt::WindowShortcut);
    connect(stop, &QShortcut::activated, this, [this] { stopOpening(); });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { requestClose(); });
}

void Application::connectSearchMenu()
{
    // The saved-search list's menu: open, and choose where pages open.
    SearchMenu* const menu = form_.mnuSearches;
    offerWhereToOpen(form_, WhereToOpen());
    connect(form_.ListView2, &ListView::contextMenuRequested, menu, [this, menu](qsizetype, const QPoint& at) {
        const QUndoStack& steps = savedListUndo_.stack();
        menu->setUndoSteps(
            steps.canUndo() ? steps.undoText() : QString(), steps.canRedo() ? steps.redoText() : QString());
        menu->setEditEnabled(
            !form_.ListView2->selectedRows().isEmpty(), !QGuiApplication::clipboard()->text().isEmpty());
        menu->setStopOpeningEnabled(pagesWaiting());
        menu->popup(at);
    });
    connect(menu, &SearchMenu::undo, &savedListUndo_.stack(), &QUndoStack::undo);
    connect(menu, &SearchMenu::redo, &savedListUndo_.stack(), &QUndoStack::redo);
    connect(menu, &SearchMenu::stopOpening, this, [this] { stopOpening(); });
    connect(menu, &SearchMenu::openSelected, this, [this] { PushButton2_Click(form_, platform_); });
    connect(menu, &SearchMenu::openAll, this, [this] { PushButton6_Click(form_, platform_); });
    connect(menu, &SearchMenu::engineChosen, this, [this] {
        openChoices_.engineChosen();
        showWhereToOpen(form_);
    });
    connect(menu, &SearchMenu::ageChosen, this, [this] {
        openChoices_.ageChosen();
        showWhereToOpen(form_);
    });
    connect(menu, &SearchMenu::combineCitiesChosen, this, [this] {
        openChoices_.combineCitiesChosen();
        showWhereToOpen(form_);
    });
    connectEditing();
}

void Application::connectEditing()
{
    SearchMenu* const menu = form_.mnuSearches;
    menu->addKeys(&form_, form_.ListView2);
    form_.ListView2->setMovableRows(true);
    SavedListEditing* const editing = &editing_;
    connect(menu, &SearchMenu::copy, editing, &SavedListEditing::copy);
    connect(menu, &SearchMenu::cut, editing, &SavedListEditing::cut);
    connect(menu, &SearchMenu::paste, editing, &SavedListEditing::paste);
    connect(menu, &SearchMenu::moveSelected, editing, &SavedListEditing::move);
    connect(form_.ListView2, &ListView::rowsDropped, editing, &SavedListEditing::drop);
    connect(menu, &SearchMenu::editText, editing, &SavedListEditing::editText);
    connect(menu, &SearchMenu::importSearches, editing, &SavedListEditing::importSearches);
    connect(menu, &SearchMenu::exportSearches, editing, &SavedListEditing::exportSearches);
}

bool Application::pagesWaiting() const { return platform_.launchesWaiting && platform_.launchesWaiting(); }

void Application::stopOpening()
{
    if (pagesWaiting() && platform_.stopLaunches)
        platform_.stopLaunches();
}

void Application::start()
{
    Form_Load();
    loaded_ = true;
    if (closePending_) {
        form_.close();
        return;
    }
    form_.centre();
    form_.show();
}

void Application::requestClose()
{
    closeAsked_ = true;
    // A report waiting for its OK would hold the close up indefinitely.
    if (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
    if (loaded_)
        form_.close();
    else
        closePending_ = true;
}

void Application::unload()
{
    Form_QueryUnload();
    // No handler acts after the list is saved; pages still waiting for the
    // browser are handed over.
    platform_.unloaded = true;
    if (platform_.handOverLaunches)
        platform_.handOverLaunches();
}

void Application::displayLost()
{
    if (!loaded_ || platform_.unloaded)
        return;
    closeAsked_ = true;
    unload();
}

void Application::Form_Load()
{
    Trap trap(platform_, QStringLiteral("Form_Load"));
    const QString folder = platform_.applicationFolder;
    trap.run(100, [&] { ApplySkin(form_, SkinFramework1, folder); });
    const QString pointerFile = folder + QStringLiteral("/HAND-M.CUR");
    if (trap.test(104, [&] { return FileExists(pointerFile); }))
        trap.run(106, [&] { loadMouseIcon(form_, pointerFile); });
    trap.run(108, [&] { ShowHomePageAtRandom(platform_); });
    trap.run(126, [&] { form_.setWindowTitle(kProductName); });
    trap.run(126, [&] { form_.setWindowIcon(applicationIcon()); });
    trap.run(126, [&] { SetApplicationTitle(); });
    trap.run(128, [&] { form_.ListView1->addColumn(QStringLiteral("URL")); });
    trap.run(130, [&] { form_.ListView1->addColumn(QStringLiteral("Locations")); });
    trap.run(132, [&] { form_.ListView1->setColumnWidthTwips(0, 1); });
    trap.run(134, [&] { form_.ListView1->setColumnWidthTwips(1, 7000); });
    trap.run(136, [&] { locations_.LoadLocations(); });
    trap.run(138, [&] { form_.ListView2->addColumn(QStringLiteral("Searches")); });
    trap.run(140, [&] { form_.ListView2->setColumnWidthTwips(0, 7000); });

    // The saved searches, restored as the last steps.
    QString value;
    QString notice;
    trap.run(142, [&] {
        const StoredText stored = GetSetting(platform_.settingsFile, kSection, kKey);
        value = storedAtStart_ = stored.value;
        notice = stored.notice;
    });
    trap.run(142, [&] { reportNotice(notice); });
    if (trap.test(144, [&] { return value.isEmpty(); })) {
        restoreOpenChoices();
        return;
    }
    StoredPieces pieces;
    trap.run(146, [&] { pieces = StoredPieces(value); });
    ItemBatch restored;
    qsizetype i = 0;
    trap.loop(
        148,
        [&] {
            i = 0;
            return i < pieces.size();
        },
        [&] {
            if (trap.test(150, [&] { return !pieces.isEmpty(i); }))
                trap.run(152, [&] { restored.add(pieces.entry(i)); });
        },
        154, [&] { return ++i < pieces.size(); });
    // The appends of line 152 reach the list as one batch: the view hears of
    // one insertion, not one per entry (a hundred thousand entries take about
    // a third of the time).
    trap.run(152, [&] { form_.ListView2->addItems(std::move(restored)); });
    restoreOpenChoices();
}

void Application::restoreOpenChoices()
{
    // Where searches open, read after the searches from the same file.
    Trap trap(platform_, QStringLiteral("Form_Load"));
    trap.run(156, [&] { openChoices_.restore(form_, platform_.settingsFile); });
}

void Application::Form_QueryUnload()
{
    Trap trap(platform_, QStringLiteral("Form_QueryUnload"));
    QStringList entries;
    qsizetype count = 0;
    qsizetype i = 0;
    trap.loop(
        100,
        [&] {
            count = form_.ListView2->count();
            i = 0;
            return i < count;
        },
        [&] { trap.run(102, [&] { entries << form_.ListView2->itemText(i); }); }, 104, [&] { return ++i < count; });
    QString notice;
    saveFailed_ = !trap.run(106, [&] {
        const QString value = storedValue(entries);
        const auto searches = [&](const QString& stored) {
            if (stored == storedAtStart_)
                return value;
            // Another copy of the program saved since this one started:
            // keep its list and apply this copy's changes to it.
            return storedValue(
                mergeSearches(storedEntries(storedAtStart_), storedEntries(value), storedEntries(stored)));
        };
        // Where searches open goes in the same save, as far as the user chose it.
        notice = SaveSettings(platform_.settingsFile, kSection,
            QList<std::pair<QString, ComposeSetting>> { { kKey, searches } } + openChoices_.chosenKeys(form_));
    });
    trap.run(106, [&] { reportNotice(notice); });
}

} // namespace quillmoor
