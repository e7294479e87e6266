#include "SearchListCommands.h"

#include <utility>

namespace quillmoor {

SearchListCommand::SearchListCommand(SearchListModel& model, const QString& name)
    : QUndoCommand(name)
    , model_(model)
{
}

namespace {
    // A string's characters and what Qt keeps beside them.
    constexpr qint64 kStringOverhead = 40;

    qint64 textBytes(const QStringList& texts)
    {
        qint64 bytes = texts.size() * kStringOverhead;
        for (const QString& text : texts)
            bytes += text.size() * qint64(sizeof(QChar));
        return bytes;
    }
} // namespace

void SearchListCommand::undo()
{
    firstTime_ = false;
    if (!isObsolete())
        model_.undo(changes_);
}

void SearchListCommand::redo()
{
    firstTime_ = !std::exchange(done_, true);
    if (!firstTime_) {
        if (!isObsolete())
            model_.redo(changes_);
        return;
    }
    changes_ = edit(model_);
    edited();
    for (const SearchListModel::Change& change : std::as_const(changes_))
        bytes_ += textBytes(change.before) + textBytes(change.after);
    if (changes_.isEmpty())
        setObsolete(true);
}

void SearchListCommand::spend()
{
    changes_ = {};
    bytes_ = 0;
    setObsolete(true);
}

InsertSearches::InsertSearches(SearchListModel& model, const QString& name, qsizetype at, QStringList texts)
    : SearchListCommand(model, name)
    , at_(at)
    , texts_(std::move(texts))
{
}

SearchListModel::Changes InsertSearches::edit(SearchListModel& model) { return model.insert(at_, texts_); }

RemoveSearches::RemoveSearches(SearchListModel& model, const QString& name, QList<qsizetype> rows)
    : SearchListCommand(model, name)
    , rows_(std::move(rows))
{
}

SearchListModel::Changes RemoveSearches::edit(SearchListModel& model) { return model.remove(rows_); }

ReplaceSearches::ReplaceSearches(SearchListModel& model, const QString& name, qsizetype first, QStringList texts)
    : SearchListCommand(model, name)
    , first_(first)
    , texts_(std::move(texts))
{
}

SearchListModel::Changes ReplaceSearches::edit(SearchListModel& model) { return model.replace(first_, texts_); }

ClearSearches::ClearSearches(SearchListModel& model, const QString& name)
    : SearchListCommand(model, name)
{
}

QList<SearchListCommand*> editsOf(const QUndoCommand* step)
{
    // The history lends its steps out only as const; they are the saved
    // list's own, which may give up or move what they keep.
    auto* const edit = const_cast<SearchListCommand*>(dynamic_cast<const SearchListCommand*>(step));
    if (edit)
        return { edit };
    QList<SearchListCommand*> edits;
    for (int i = 0; step && i < step->childCount(); ++i)
        edits += editsOf(step->child(i));
    return edits;
}

} // namespace quillmoor
