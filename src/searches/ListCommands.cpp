#include "ListCommands.h"

#include "SearchLists.h"

#include <QCoreApplication>

namespace quillmoor {

AddList::AddList(SearchLists& lists, QString name)
    : QUndoCommand(QCoreApplication::translate("ListCommands", "New List"))
    , lists_(lists)
    , name_(std::move(name))
{
}

void AddList::redo()
{
    shownBefore_ = lists_.shownIndex();
    at_ = lists_.count();
    if (!model_)
        model_ = &lists_.insert(at_, name_, QStringList());
    else
        lists_.insert(at_, name_, model_);
    lists_.show(lists_.indexOf(model_));
}

void AddList::undo()
{
    const qsizetype at = lists_.indexOf(model_);
    if (at > 0)
        lists_.remove(at);
    lists_.show(qMin(shownBefore_, lists_.count() - 1));
}

RenameList::RenameList(SearchLists& lists, qsizetype at, QString name)
    : QUndoCommand(QCoreApplication::translate("ListCommands", "Rename List"))
    , lists_(lists)
    , model_(&lists.model(at))
    , name_(std::move(name))
{
}

void RenameList::swap()
{
    const qsizetype at = lists_.indexOf(model_);
    if (at < 0)
        return;
    const QString was = lists_.name(at);
    lists_.rename(at, name_);
    name_ = was;
    lists_.show(at);
}

DeleteList::DeleteList(SearchLists& lists, qsizetype at)
    : QUndoCommand(QCoreApplication::translate("ListCommands", "Delete List"))
    , lists_(lists)
    , model_(&lists.model(at))
    , name_(lists.name(at))
    , at_(at)
{
}

void DeleteList::redo()
{
    const qsizetype at = lists_.indexOf(model_);
    if (at > 0) {
        at_ = at;
        lists_.remove(at);
    }
}

void DeleteList::undo()
{
    // A list of that name that came from another copy meanwhile is left
    // as it is; this one comes back beside it only by its own name.
    if (lists_.indexOf(model_) >= 0 || lists_.indexOf(name_) >= 0)
        return;
    lists_.insert(qBound<qsizetype>(1, at_, lists_.count()), name_, model_);
    lists_.show(lists_.indexOf(model_));
}

} // namespace quillmoor
