#include "ListHandlers.h"

#include "Dialogs.h"
#include "Form1.h"
#include "ListCommands.h"
#include "ListView.h"
#include "MenuEntries.h"
#include "SavedListUndo.h"
#include "SavedLists.h"
#include "SearchListCommands.h"
#include "SearchLists.h"
#include "Trap.h"

#include <QCoreApplication>
#include <QScopeGuard>

namespace quillmoor {

ListHandlers::ListHandlers(Form1& form, Platform& platform, SearchLists& lists, SavedListUndo& undo)
    : form_(form)
    , platform_(platform)
    , lists_(lists)
    , undo_(undo)
{
    askListName = [this](const QString& title, const QString& shown, const QString& trouble) {
        return askListNameBox(&form_, title, shown, trouble);
    };
    askDeleteList = [this](const QString& question) { return askDeleteListBox(&form_, question); };
}

std::optional<QString> ListHandlers::askName(const QString& title, const QString& shown, qsizetype self)
{
    QString name = shown;
    QString trouble;
    for (;;) {
        const std::optional<QString> answer = askListName(title, name, trouble);
        if (!answer || answer->isEmpty())
            return std::nullopt;
        name = *answer;
        trouble = listNameTrouble(name);
        const qsizetype taken = lists_.indexOf(name);
        if (trouble.isEmpty() && taken >= 0 && taken != self)
            trouble = tr("There is a list named \"%1\" already.").arg(name);
        if (trouble.isEmpty())
            return name;
    }
}

void ListHandlers::newList()
{
    Trap trap(platform_, QStringLiteral("mnuNewList_Click"));
    std::optional<QString> name;
    trap.run(100, [&] { name = askName(tr("New List"), QString(), -1); });
    if (name)
        trap.run(102, [&] { undo_.stack().push(new AddList(lists_, *name)); });
}

void ListHandlers::renameList(qsizetype index)
{
    Trap trap(platform_, QStringLiteral("mnuRenameList_Click"));
    std::optional<QString> name;
    trap.run(100, [&] { name = askName(tr("Rename List"), lists_.name(index), index); });
    if (!name || *name == lists_.name(index))
        return;
    const QString was = lists_.name(index);
    trap.run(102, [&] { undo_.stack().push(new RenameList(lists_, index, *name)); });
    if (!applications.isEmpty() && hasMenuEntry(applications, was)) {
        trap.run(104, [&] { removeMenuEntry(applications, was); });
        trap.run(106, [&] { addMenuEntry(applications, *name, QCoreApplication::applicationFilePath()); });
    }
}

void ListHandlers::addToMenu()
{
    Trap trap(platform_, QStringLiteral("mnuAddToMenu_Click"));
    if (applications.isEmpty())
        return;
    trap.run(100,
        [&] { addMenuEntry(applications, lists_.name(lists_.shownIndex()), QCoreApplication::applicationFilePath()); });
}

void ListHandlers::removeFromMenu()
{
    Trap trap(platform_, QStringLiteral("mnuRemoveFromMenu_Click"));
    if (applications.isEmpty())
        return;
    trap.run(100, [&] { removeMenuEntry(applications, lists_.name(lists_.shownIndex())); });
}

bool ListHandlers::inMenu() const
{
    return !applications.isEmpty() && hasMenuEntry(applications, lists_.name(lists_.shownIndex()));
}

void ListHandlers::deleteList(qsizetype index)
{
    Trap trap(platform_, QStringLiteral("mnuDeleteList_Click"));
    if (index <= 0 || index >= lists_.count())
        return;
    const qsizetype count = lists_.model(index).count();
    // A list that holds searches is asked about, with how many go.
    if (count > 0) {
        const QString question = count == 1
            ? tr("Delete the list \"%1\" and the 1 search it holds?").arg(lists_.name(index))
            : tr("Delete the list \"%1\" and the %2 searches it holds?").arg(lists_.name(index)).arg(count);
        if (!trap.test(100, [&] { return askDeleteList(question); }))
            return;
    }
    const QString name = lists_.name(index);
    trap.run(102, [&] { undo_.stack().push(new DeleteList(lists_, index)); });
    if (!applications.isEmpty())
        trap.run(104, [&] { removeMenuEntry(applications, name); });
}

void ListHandlers::moveToList(qsizetype index)
{
    Trap trap(platform_, QStringLiteral("mnuMoveToList_Click"));
    const QList<qsizetype> rows = form_.savedList->selectedRows();
    if (rows.isEmpty() || index < 0 || index >= lists_.count() || index == lists_.shownIndex())
        return;
    SearchListModel& from = lists_.shown();
    SearchListModel& to = lists_.model(index);
    QStringList texts;
    for (const qsizetype row : rows)
        texts << from.at(row);
    // One step: undone, they are back where they were and gone from there.
    trap.run(100, [&] {
        const QString step = tr("Move to %1").arg(lists_.name(index));
        QUndoStack& steps = undo_.stack();
        steps.beginMacro(step);
        const auto end = qScopeGuard([&] { steps.endMacro(); });
        undo_.push(new RemoveSearches(from, step, rows));
        undo_.push(new InsertSearches(to, step, to.count(), texts));
    });
}

qsizetype ListHandlers::listOf(const QUndoCommand* step) const
{
    const QList<SearchListCommand*> edits = editsOf(step);
    return edits.isEmpty() ? -1 : lists_.indexOf(&edits.constFirst()->model());
}

QString ListHandlers::stepText(const QString& text, int step) const
{
    const qsizetype list = listOf(undo_.stack().command(step));
    if (text.isEmpty() || list < 0 || list == lists_.shownIndex())
        return text;
    return tr("%1 in %2").arg(text, lists_.name(list));
}

void ListHandlers::showListOf(int step)
{
    const qsizetype list = listOf(undo_.stack().command(step));
    if (list >= 0)
        lists_.show(list);
}

} // namespace quillmoor
