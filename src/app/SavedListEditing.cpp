#include "SavedListEditing.h"

#include "BackupChoices.h"
#include "Backups.h"
#include "Dialogs.h"
#include "Duplicates.h"
#include "EntryText.h"
#include "Form1.h"
#include "ListEdits.h"
#include "ListView.h"
#include "OpenChoices.h"
#include "OwnList.h"
#include "Platform.h"
#include "SavedListUndo.h"
#include "SearchListCommands.h"
#include "SearchLists.h"
#include "SearchesFile.h"
#include "SearchesInFiles.h"
#include "Trap.h"
#include "UndoNotice.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QUndoStack>
#include <numeric>

namespace quillmoor {

SearchListModel& SavedListEditing::searches() const { return lists_.shown(); }

SavedListEditing::SavedListEditing(
    Form1& form, Platform& platform, SearchLists& lists, SavedListUndo& undo, const OpenChoices& choices)
    : form_(form)
    , platform_(platform)
    , lists_(lists)
    , undo_(undo)
    , choices_(choices)
{
    // The questions are the window's dialogs, asked over it.
    askSearchText = [this](const QString& shown) { return askSearchTextBox(&form_, shown); };
    askImportFile = [this] { return askImportFileBox(&form_); };
    askExportFile = [this] { return askExportFileBox(&form_); };
    tell = [this](const QString& title, const QString& text) { tellBox(&form_, title, text); };
    askBackup = [this](const QStringList& choices, const QString& folder, ChoiceText* later) {
        return askBackupBox(&form_, choices, folder, later);
    };
}

QList<qsizetype> SavedListEditing::selected() const { return form_.savedList->selectedRows(); }

void SavedListEditing::copy()
{
    Trap trap(platform_, QStringLiteral("mnuCopy_Click"));
    QStringList lines;
    trap.run(100, [&] {
        for (const qsizetype row : selected())
            lines << searches().at(row);
    });
    if (!lines.isEmpty())
        trap.run(102, [&] { QGuiApplication::clipboard()->setText(lines.join(u'\n') + u'\n'); });
}

void SavedListEditing::cut()
{
    const QList<qsizetype> rows = selected();
    if (rows.isEmpty())
        return;
    copy();
    Trap trap(platform_, QStringLiteral("mnuCut_Click"));
    trap.run(100, [&] {
        form_.savedList->removeRows(rows, [&] { undo_.push(new RemoveSearches(searches(), tr("Cut"), rows)); });
    });
}

void SavedListEditing::paste()
{
    Trap trap(platform_, QStringLiteral("mnuPaste_Click"));
    QStringList entries;
    trap.run(100, [&] { entries = entryLines(QGuiApplication::clipboard()->text()); });
    if (entries.isEmpty())
        return;
    ListView& list = *form_.savedList;
    // After the current entry, or at the end when there is none. The
    // keyboard's place alone, unselected (where the list put it on getting
    // the focus, or after a removal), is no entry the user picked.
    qsizetype at = searches().count();
    trap.run(102, [&] {
        if (list.currentRowSelected())
            at = list.currentRow() + 1;
    });
    trap.run(104, [&] { undo_.push(new InsertSearches(searches(), tr("Paste"), at, entries)); });
    trap.run(106, [&] {
        QList<qsizetype> pasted(entries.size());
        std::iota(pasted.begin(), pasted.end(), at);
        list.selectRows(pasted, false);
    });
}

void SavedListEditing::moveTo(const QString& procedure, const QString& step,
    const std::function<Rearranged(const QStringList&, const QList<qsizetype>&)>& rearrange)
{
    const QList<qsizetype> rows = selected();
    if (rows.isEmpty())
        return;
    Trap trap(platform_, procedure);
    Rearranged moved;
    trap.run(100, [&] { moved = rearrange(searches().entries(), rows); });
    if (!moved.rows.isEmpty()
        && trap.run(102, [&] { undo_.push(new ReplaceSearches(searches(), step, moved.first, moved.rows)); }))
        trap.run(104, [&] { form_.savedList->selectRows(moved.selected, false); });
}

void SavedListEditing::move(int by)
{
    moveTo(QStringLiteral("mnuMove_Click"), by < 0 ? tr("Move Up") : tr("Move Down"),
        [by](const QStringList& entries, const QList<qsizetype>& rows) { return moveRows(entries, rows, by); });
}

void SavedListEditing::drop(qsizetype to)
{
    moveTo(QStringLiteral("ListView2_DragDrop"), tr("Move"),
        [to](const QStringList& entries, const QList<qsizetype>& rows) { return moveRowsTo(entries, rows, to); });
}

void SavedListEditing::editText()
{
    Trap trap(platform_, QStringLiteral("mnuEditText_Click"));
    ListView& list = *form_.savedList;
    const QList<qsizetype> rows = selected();
    if (rows.isEmpty())
        return;
    // The rows from the first selected to the last, replaced at once.
    QStringList span;
    trap.run(100, [&] { span = searches().entries(rows.first(), rows.last() - rows.first() + 1); });
    QStringList chosen;
    for (const qsizetype row : rows)
        chosen << span.value(row - rows.first());
    std::optional<QString> text;
    trap.run(102, [&] { text = askSearchText(sharedSearchText(chosen)); });
    // A line break pasted into the box, or a control character, has no place in an entry.
    const QString answer = text ? entryText(*text) : QString();
    if (answer.isEmpty() || span.isEmpty())
        return;
    for (const qsizetype row : rows)
        span[row - rows.first()] = withSearchText(span[row - rows.first()], answer);
    trap.run(104, [&] { undo_.push(new ReplaceSearches(searches(), tr("Edit Search Text"), rows.first(), span)); });
    trap.run(106, [&] { list.selectRows(rows, false); });
}

void SavedListEditing::importSearches()
{
    Trap trap(platform_, QStringLiteral("mnuImport_Click"));
    const QString path = askImportFile();
    if (path.isEmpty())
        return;
    QStringList entries;
    qsizetype already = 0;
    bool read = false;
    ImportCount count;
    // A file of searches saved already adds nothing twice.
    trap.run(100, [&] {
        QStringList all;
        count = forEachImportedSearch(
            path, enginesToRead(choices_.where().engine), [&](const QString&, QString&& entry) { all << entry; },
            [&] { all.clear(); });
        read = !all.isEmpty() || count.leftOut > 0;
        entries = notYetSaved(all, searches().entries(), already);
    });
    if (!read)
        return;
    if (!entries.isEmpty() && backUp)
        trap.run(102, [&] { backUp(); });
    // Each statement its own number: a report tells which failed.
    if (!entries.isEmpty())
        trap.run(104, [&] { undo_.push(new InsertSearches(searches(), tr("Import"), searches().count(), entries)); });
    trap.run(106, [&] {
        tell(tr("Import Searches"), additionText(entries.size(), already, count.leftOut, count.bookmarks));
    });
}

void SavedListEditing::removeDuplicates()
{
    Trap trap(platform_, QStringLiteral("mnuRemoveDuplicates_Click"));
    QList<qsizetype> rows;
    trap.run(100, [&] { rows = repeatedRows(searches().entries()); });
    if (!rows.isEmpty()) {
        trap.run(102, [&] {
            form_.savedList->removeRows(
                rows, [&] { undo_.push(new RemoveSearches(searches(), tr("Remove Duplicates"), rows)); });
        });
    }
    // What went is said over the list, with its Undo; that nothing did, in
    // a box, as the answer to the command.
    if (rows.isEmpty()) {
        trap.run(104, [&] { tell(tr("Remove Duplicates"), tr("No search is saved twice.")); });
        return;
    }
    trap.run(106, [&] {
        form_.savedListNotice->showNotice(
            rows.size() == 1 ? tr("1 repeated search removed") : tr("%1 repeated searches removed").arg(rows.size()));
    });
}

void SavedListEditing::selectSameText()
{
    Trap trap(platform_, QStringLiteral("mnuSelectSameText_Click"));
    ListView& list = *form_.savedList;
    const qsizetype current = list.currentRow();
    if (current < 0 || current >= searches().count())
        return;
    trap.run(100, [&] {
        list.selectRows(rowsWithSearchText(searches().entries(), searchTextOf(searches().at(current))), false);
    });
}

void SavedListEditing::restoreBackup()
{
    Trap trap(platform_, QStringLiteral("mnuRestore_Click"));
    // Told as each backup is counted; goes after the counting has stopped.
    ChoiceText later;
    std::optional<BackupChoices> found;
    const QString folder = backups ? backups() : QString();
    trap.run(100, [&] {
        found.emplace(folder);
        found->tellTo([&later](int index, const QString& text) {
            if (later)
                later(index, text);
        });
    });
    const int chosen = askBackup(found ? found->choices() : QStringList(), folder, &later);
    if (!found || chosen < 0 || chosen >= found->backups().size())
        return;
    QStringList entries;
    trap.run(102, [&] { entries = readSearchEntries(found->backups()[chosen].file); });
    if (backUp)
        trap.run(104, [&] { backUp(); });
    // One step: the list as it was before comes back with one undo.
    trap.run(106, [&] {
        QUndoStack& steps = undo_.stack();
        steps.beginMacro(tr("Restore From Backup"));
        const auto end = qScopeGuard([&] { steps.endMacro(); });
        undo_.push(new ClearSearches(searches(), tr("Restore From Backup")));
        undo_.push(new InsertSearches(searches(), tr("Restore From Backup"), 0, entries));
    });
}

void SavedListEditing::exportSearches()
{
    Trap trap(platform_, QStringLiteral("mnuExport_Click"));
    const QString path = askExportFile();
    if (path.isEmpty())
        return;
    trap.run(100, [&] {
        const QByteArray bytes = exportedBytes(path,
            { { lists_.name(lists_.shownIndex()), searches().entries() } }, choices_.where(),
            chosenListPath(platform_.userDataFolder, platform_.applicationFolder));
        writeSearchesFileBytes(path, bytes, platform_.settingsFile);
    });
}

} // namespace quillmoor
