#include "SearchLists.h"

#include <stdexcept>

namespace quillmoor {

SearchLists::SearchLists(SearchListModel& first, QString firstName, QObject* parent)
    : QObject(parent)
{
    lists_.append({ std::move(firstName), &first });
    connect(&first, &SearchListModel::listChanged, this, &SearchLists::listChanged);
}

SearchLists::~SearchLists() = default;

QStringList SearchLists::names() const
{
    QStringList names;
    for (const List& list : lists_)
        names << list.name;
    return names;
}

qsizetype SearchLists::indexOf(const QString& name) const
{
    for (qsizetype i = 0; i < lists_.size(); ++i) {
        if (lists_[i].name == name)
            return i;
    }
    return -1;
}

qsizetype SearchLists::indexOf(const SearchListModel* model) const
{
    for (qsizetype i = 0; i < lists_.size(); ++i) {
        if (lists_[i].model == model)
            return i;
    }
    return -1;
}

void SearchLists::show(qsizetype i)
{
    if (i < 0 || i >= count() || i == shown_)
        return;
    shown_ = i;
    emit shownChanged(i);
}

SearchListModel& SearchLists::insert(qsizetype at, const QString& name, const QStringList& entries)
{
    owned_.push_back(std::make_unique<SearchListModel>());
    SearchListModel* model = owned_.back().get();
    model->setCaption(lists_.constFirst().model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString());
    model->restore(entries);
    connect(model, &SearchListModel::listChanged, this, &SearchLists::listChanged);
    return insert(at, name, model);
}

SearchListModel& SearchLists::insert(qsizetype at, const QString& name, SearchListModel* model)
{
    if (at < 1 || at > count())
        throw std::out_of_range("no such place for a list");
    lists_.insert(at, { name, model });
    // The list shown stays the one it was before anyone hears of the change.
    const bool moved = at <= shown_;
    shown_ += moved ? 1 : 0;
    emit namesChanged();
    emit listChanged();
    if (moved)
        emit shownChanged(shown_);
    return *model;
}

SearchListModel* SearchLists::remove(qsizetype at)
{
    if (at < 1 || at >= count())
        throw std::out_of_range("no such list to delete");
    SearchListModel* model = lists_.takeAt(at).model;
    // Set before anyone hears of the change: the list shown must be one
    // that is still there.
    const bool moved = at <= shown_;
    shown_ -= moved ? 1 : 0;
    emit namesChanged();
    emit listChanged();
    if (moved)
        emit shownChanged(shown_);
    return model;
}

void SearchLists::rename(qsizetype at, const QString& name)
{
    lists_[at].name = name;
    emit namesChanged();
    emit listChanged();
}

} // namespace quillmoor
