#include "SearchButtons.h"

#include "CityListModel.h"
#include "EntryText.h"
#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "MenuText.h"
#include "PagesOpening.h"
#include "Platform.h"
#include "SavedListUndo.h"
#include "SearchListCommands.h"
#include "SearchQuery.h"
#include "Trap.h"
#include "UndoNotice.h"
#include "WhereToOpen.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

namespace quillmoor {

namespace {

    // Free functions have no class to lend their texts a translation context.
    class SearchButtons {
        Q_DECLARE_TR_FUNCTIONS(SearchButtons)
    };

    QList<qsizetype> selectedRows(const ListView& list, const char* whenNone)
    {
        const QList<qsizetype> rows = list.selectedRows();
        if (rows.isEmpty())
            throw Failure(SearchButtons::tr(whenNone));
        return rows;
    }

    // The searches Open All stands for: those the list shows, which the
    // find box may have narrowed.
    QStringList shownEntries(const ListView& list, const SearchListModel& searches)
    {
        if (!list.filtering())
            return searches.entries();
        QStringList shown;
        for (const qsizetype row : list.shownRows())
            shown << searches.at(row);
        return shown;
    }

} // namespace

bool mayOpenPages(Platform& platform, qsizetype pages)
{
    // A browser asked to open that many tabs at once asks first, and so do
    // we: a stray Ctrl+A before Add Search makes hundreds of searches.
    if (pages <= kAskAbovePages || !platform.askBeforeManyPages || !platform.askToOpen)
        return true;
    bool askAgain = true;
    const bool open = platform.askToOpen(int(qMin<qsizetype>(pages, std::numeric_limits<int>::max())), askAgain);
    // "Don't ask again" counts only with Open: ticked and cancelled, the
    // next flood would otherwise open unasked, which nobody said.
    if (open && !askAgain)
        platform.askBeforeManyPages = false;
    return open;
}

void PushButton7_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton7_Click"));
    if (!trap.test(100, [&] { return !form.searchTextBox->text().isEmpty(); }))
        return;
    trap.run(102, [&] {
        const QString text = form.searchTextBox->text();
        // One search per selected city, top to bottom, added as one batch.
        const QList<qsizetype> rows = form.cityList->selectedRows();
        if (rows.isEmpty())
            throw Failure(SearchButtons::tr("No location is selected. Pick a city in the list of locations first."));
        QStringList queries;
        queries.reserve(rows.size());
        for (const qsizetype row : rows) {
            // A line break pasted into the search box has no place in an entry.
            const QString query = entryText(searchQuery(text, saved.cities.address(row)));
            if (!query.isEmpty())
                queries << query;
        }
        saved.undo.push(new InsertSearches(
            saved.searches(), spokenText(form.addSearchButton->text()), saved.searches().count(), queries));
    });
    trap.run(104, [&] { form.searchTextBox->clear(); });
    trap.run(106, [&] { form.searchTextBox->setFocus(); });
}

void PushButton2_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton2_Click"));
    // Every selected entry, top to bottom, through the same queue; one
    // that fails to open does not keep the others back. While a run goes
    // on, only what it has not opened or queued yet.
    QList<PagesOpening::Page> pages;
    trap.run(100, [&] {
        for (const qsizetype row : selectedRows(*form.savedList, "No saved search is selected."))
            pages.append({ saved.searches().at(row), { saved.searches().at(row) } });
        pages = saved.opening.notInRun(pages);
        if (!mayOpenPages(platform, pages.size()))
            pages.clear();
    });
    for (const PagesOpening::Page& page : std::as_const(pages))
        trap.run(100, [&] { saved.opening.open(trap, saved.where, page); });
}

namespace {
    // Open All's steps over the pages `choose` gives.
    void openPages(Platform& platform, SavedListParts& saved, const QString& procedure,
        const std::function<QList<PagesOpening::Page>()>& choose)
    {
        Trap trap(platform, procedure);
        QList<PagesOpening::Page> pages;
        qsizetype count = 0;
        qsizetype i = 0;
        trap.loop(
            100,
            [&] {
                // The pages are worked out before any opens; the saved list
                // itself stays as it is.
                pages = choose();
                count = mayOpenPages(platform, pages.size()) ? pages.size() : 0;
                i = 0;
                return i < count;
            },
            [&] { trap.run(102, [&] { saved.opening.open(trap, saved.where, pages.at(i)); }); }, 104,
            [&] { return ++i < count; });
    }
} // namespace

void PushButton6_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    openPages(platform, saved, QStringLiteral("PushButton6_Click"), [&] {
        return saved.opening.notInRun(
            PagesOpening::pagesOf(saved.where, shownEntries(*form.savedList, saved.searches())));
    });
}

void mnuOpenRest_Click(Form1&, Platform& platform, SavedListParts& saved)
{
    openPages(platform, saved, QStringLiteral("mnuOpenRest_Click"),
        [&] { return saved.opening.notInRun(saved.opening.takeRest()); });
}

void mnuOpenNotToday_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    openPages(platform, saved, QStringLiteral("mnuOpenNotToday_Click"), [&] {
        const QDateTime now = QDateTime::currentDateTime();
        QStringList entries;
        for (const QString& entry : shownEntries(*form.savedList, saved.searches()))
            if (!saved.opening.opened().openedOn(entry, now))
                entries << entry;
        return saved.opening.notInRun(PagesOpening::pagesOf(saved.where, entries));
    });
}

void PushButton3_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton3_Click"));
    const qsizetype cleared = saved.searches().count();
    // The backup first, of the list as it stands: it outlives the session,
    // where the undo step does not.
    trap.run(100, [&] {
        if (saved.backUp)
            saved.backUp();
    });
    trap.run(
        102, [&] { saved.undo.push(new ClearSearches(saved.searches(), spokenText(form.clearAllButton->text()))); });
    // One key pressed by mistake empties the list: the notice says how to
    // have it back.
    if (cleared > 0) {
        trap.run(104, [&] {
            form.savedListNotice->showNotice(cleared == 1
                    ? SearchButtons::tr("1 saved search cleared")
                    : SearchButtons::tr("%1 saved searches cleared").arg(cleared));
        });
    }
}

void PushButton4_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton4_Click"));
    if (!trap.test(100, [&] { return saved.searches().count() > 0; }))
        return;
    // All selected entries go at once, so one undo brings them all back.
    trap.run(102, [&] {
        const QList<qsizetype> rows = selectedRows(*form.savedList, "No saved search is selected.");
        form.savedList->removeRows(rows, [&] {
            saved.undo.push(new RemoveSearches(saved.searches(), spokenText(form.deleteButton->text()), rows));
        });
        // One search gone is plain to see; more are said, with their Undo.
        if (rows.size() > 1)
            form.savedListNotice->showNotice(SearchButtons::tr("%1 saved searches deleted").arg(rows.size()));
    });
}

void PushButton5_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton5_Click"));
    trap.run(100, [&] {
        saved.undo.push(new InsertSearches(
            saved.searches(), spokenText(form.exampleButton->text()), saved.searches().count(), { exampleSearch() }));
    });
}

} // namespace quillmoor
