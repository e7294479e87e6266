#include "SearchButtons.h"

#include "CityListModel.h"
#include "EntryText.h"
#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "MenuText.h"
#include "Platform.h"
#include "SavedListUndo.h"
#include "SearchListCommands.h"
#include "SearchQuery.h"
#include "Trap.h"
#include "WhereToOpen.h"

#include <QCoreApplication>
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
            saved.searches, spokenText(form.addSearchButton->text()), saved.searches.count(), queries));
    });
    trap.run(104, [&] { form.searchTextBox->clear(); });
    trap.run(106, [&] { form.searchTextBox->setFocus(); });
}

void PushButton2_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton2_Click"));
    // Every selected entry, top to bottom, through the same queue; one
    // that fails to open does not keep the others back.
    QList<qsizetype> rows;
    trap.run(100, [&] {
        rows = selectedRows(*form.savedList, "No saved search is selected.");
        if (!mayOpenPages(platform, rows.size()))
            rows.clear();
    });
    for (const qsizetype row : std::as_const(rows))
        trap.run(100, [&] { trap.openUrl(saved.where.url(saved.searches.at(row))); });
}

void PushButton6_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton6_Click"));
    const WhereToOpen& where = saved.where;
    QStringList pages;
    qsizetype count = 0;
    qsizetype i = 0;
    trap.loop(
        100,
        [&] {
            // The pages are worked out before any opens; the saved list
            // itself stays as it is.
            pages = where.openAllQueries(shownEntries(*form.savedList, saved.searches));
            count = mayOpenPages(platform, pages.size()) ? pages.size() : 0;
            i = 0;
            return i < count;
        },
        [&] { trap.run(102, [&] { trap.openUrl(where.url(pages.at(i))); }); }, 104, [&] { return ++i < count; });
}

void PushButton3_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton3_Click"));
    trap.run(100, [&] { saved.undo.push(new ClearSearches(saved.searches, spokenText(form.clearAllButton->text()))); });
}

void PushButton4_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton4_Click"));
    if (!trap.test(100, [&] { return saved.searches.count() > 0; }))
        return;
    // All selected entries go at once, so one undo brings them all back.
    trap.run(102, [&] {
        const QList<qsizetype> rows = selectedRows(*form.savedList, "No saved search is selected.");
        form.savedList->removeRows(rows,
            [&] { saved.undo.push(new RemoveSearches(saved.searches, spokenText(form.deleteButton->text()), rows)); });
    });
}

void PushButton5_Click(Form1& form, Platform& platform, SavedListParts& saved)
{
    Trap trap(platform, QStringLiteral("PushButton5_Click"));
    trap.run(100, [&] {
        saved.undo.push(new InsertSearches(
            saved.searches, spokenText(form.exampleButton->text()), saved.searches.count(), { exampleSearch() }));
    });
}

} // namespace quillmoor
