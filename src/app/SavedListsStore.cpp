#include "Application.h"

#include "SavedLists.h"
#include "SearchMerge.h"
#include "SearchStore.h"
#include "SettingsKeys.h"
#include "Trap.h"

#include <QScopedValueRollback>

namespace quillmoor {

namespace {
    // What the file held under the other lists' keys, by entries key.
    QHash<QString, StoredList> storedListsOf(const StoredTexts& stored)
    {
        QHash<QString, StoredList> lists;
        for (auto it = stored.values.cbegin(); it != stored.values.cend(); ++it) {
            if (!it.key().startsWith(settings::kListPrefix))
                continue;
            const QString version = settings::kListVersionPrefix + it.key().mid(settings::kListPrefix.size());
            lists.insert(
                it.key(), { it.value().isNull() ? QStringLiteral("") : it.value(), stored.values.value(version) });
        }
        return lists;
    }
} // namespace

void Application::takeIn(const QStringList& from, const QStringList& stored)
{
    // The file holds `stored` where the list was `from`: the others' changes
    // meet whatever this window did since, by the rule a save merges by.
    const QStringList now = searches_.entries();
    const QStringList merged = mergeSearches(from, now, stored);
    if (merged == now)
        return;
    const QScopedValueRollback<bool> quiet(takingIn_, true);
    // Not an undo step of this window's: its own steps follow their rows,
    // and go only where the others changed those rows.
    savedListUndo_.othersChanged(&searches_, searches_.takeIn(merged));
}

QStringList Application::listKeysReadAtStart()
{
    return { settings::kLists, settings::kListPrefix + u'*', settings::kListVersionPrefix + u'*' };
}

void Application::restoreLists(Trap& trap)
{
    // The other lists follow the first, each as one batch; a file whose
    // list keys disagree loses none of their searches, and says so once.
    SavedLists lists;
    QString trouble;
    trap.run(160,
        [&] { lists = listsOf(storedKeys_.values.value(settings::kLists), storedListsOf(storedKeys_), &trouble); });
    trap.run(162, [&] { lists_.rename(0, lists.names.value(0, firstListName())); });
    for (qsizetype i = 1; i < lists.names.size(); ++i)
        trap.run(164, [&] { lists_.insert(lists_.count(), lists.names[i], lists.entriesOf(lists.names[i])); });
    trap.run(166, [&] { reportNotice(trouble); });
}

KnownLists Application::listsReadAtStart() const
{
    return KnownLists::of(storedKeys_.values.value(settings::kLists), storedListsOf(storedKeys_));
}

SavedLists Application::savedLists() const
{
    SavedLists lists { lists_.names(), {} };
    for (qsizetype i = 1; i < lists_.count(); ++i)
        lists.entries.insert(lists_.name(i), lists_.model(i).entries());
    return lists;
}

void Application::takeInLists(const SavedLists& from, const SavedLists& stored)
{
    // Others' changes to the lists meet this window's since, by the rules a
    // save merges by: the first name as the copy that renamed it last says,
    // the others' names and each list's searches three-way.
    const SavedLists now = savedLists();
    const QScopedValueRollback<bool> quiet(takingIn_, true);
    if (now.names.value(0) == from.names.value(0) && !stored.names.isEmpty() && stored.names[0] != lists_.name(0))
        lists_.rename(0, stored.names[0]);
    const QStringList names = mergeSearches(from.names.mid(1), now.names.mid(1), stored.names.mid(1));
    for (qsizetype i = lists_.count() - 1; i >= 1; --i) {
        if (!names.contains(lists_.name(i)))
            lists_.remove(i);
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (lists_.indexOf(names[i]) < 0)
            lists_.insert(std::min(i + 1, lists_.count()), names[i], stored.entriesOf(names[i]));
    }
    for (qsizetype i = 1; i < lists_.count(); ++i) {
        const QString& name = lists_.name(i);
        if (!stored.entries.contains(name) || !now.entries.contains(name))
            continue;
        SearchListModel& model = lists_.model(i);
        const QStringList merged = mergeSearches(from.entriesOf(name), now.entriesOf(name), stored.entriesOf(name));
        if (merged != model.entries())
            savedListUndo_.othersChanged(&model, model.takeIn(merged));
    }
}

} // namespace quillmoor
