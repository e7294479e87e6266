#include "SearchButtons.h"

#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "Platform.h"
#include "SearchQuery.h"
#include "Trap.h"
#include "OpenChoices.h"

#include <QCoreApplication>
#include <QLineEdit>

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

} // namespace

void PushButton7_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton7_Click"));
    if (!trap.test(100, [&] { return !form.txtSearch->text().isEmpty(); }))
        return;
    trap.run(102, [&] {
        const QString text = form.txtSearch->text();
        // One search per selected city, top to bottom, added as one batch.
        const QList<qsizetype> rows = form.ListView1->selectedRows();
        if (rows.isEmpty())
            throw Failure(SearchButtons::tr("No location is selected. Pick a city in the list of locations first."));
        ItemBatch queries;
        for (const qsizetype row : rows)
            queries.add(searchQuery(text, form.ListView1->itemText(row)));
        form.ListView2->addItems(std::move(queries));
    });
    trap.run(104, [&] { form.txtSearch->clear(); });
    trap.run(106, [&] { form.txtSearch->setFocus(); });
}

void PushButton2_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton2_Click"));
    // Every selected entry, top to bottom, through the same queue; one
    // that fails to open does not keep the others back.
    QList<qsizetype> rows;
    WhereToOpen where;
    trap.run(100, [&] {
        rows = selectedRows(*form.ListView2, "No saved search is selected.");
        where = whereToOpen(*form.mnuSearches);
    });
    for (const qsizetype row : std::as_const(rows))
        trap.run(100, [&] { trap.openUrl(where.url(form.ListView2->itemText(row))); });
}

void PushButton6_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton6_Click"));
    const WhereToOpen where = whereToOpen(*form.mnuSearches);
    QStringList pages;
    qsizetype count = 0;
    qsizetype i = 0;
    trap.loop(
        100,
        [&] {
            // The pages are worked out before any opens; the saved list
            // itself stays as it is.
            pages = where.openAllQueries(form.ListView2->itemTexts());
            count = pages.size();
            i = 0;
            return i < count;
        },
        [&] { trap.run(102, [&] { trap.openUrl(where.url(pages.at(i))); }); },
        104, [&] { return ++i < count; });
}

void PushButton3_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton3_Click"));
    trap.run(100, [&] { form.ListView2->clearItems(); });
}

void PushButton4_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton4_Click"));
    if (!trap.test(100, [&] { return form.ListView2->count() > 0; }))
        return;
    // All selected entries go at once, so one undo brings them all back.
    trap.run(102, [&] { form.ListView2->removeRows(selectedRows(*form.ListView2, "No saved search is selected.")); });
}

void PushButton5_Click(Form1& form, Platform& platform)
{
    Trap trap(platform, QStringLiteral("PushButton5_Click"));
    trap.run(100, [&] { form.ListView2->addItem(exampleSearch()); });
}

} // namespace quillmoor
