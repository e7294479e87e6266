#include "ListChoice.h"

#include "Failure.h"
#include "SavedList.h"
#include "SavedLists.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <cstdio>

namespace quillmoor {

namespace {
    class ListChoice {
        Q_DECLARE_TR_FUNCTIONS(ListChoice)
    };

    void say(std::FILE* to, const QString& line)
    {
        std::fputs(qUtf8Printable(line + u'\n'), to);
        std::fflush(to);
    }

    // The lists of the file, with the entries of all but the first.
    SavedLists storedLists(const QString& settingsFile, QString* first)
    {
        const StoredTexts stored = ReadSettingsOnly(
            settingsFile, settings::kSection, { settings::kSearches, settings::kLists, settings::kListPrefix + u'*' });
        QHash<QString, StoredList> lists;
        for (auto it = stored.values.cbegin(); it != stored.values.cend(); ++it) {
            if (it.key().startsWith(settings::kListPrefix))
                lists.insert(it.key(), { it.value(), QString() });
        }
        if (first)
            *first = stored.values.value(settings::kSearches);
        return listsOf(stored.values.value(settings::kLists), lists);
    }
} // namespace

std::optional<ChosenList> chooseList(const QString& settingsFile, const QString& name, bool mayMake)
{
    SavedLists lists;
    try {
        lists = storedLists(settingsFile, nullptr);
    } catch (const Failure& failure) {
        say(stderr, QStringLiteral("quillmoor: ") + failure.description());
        return std::nullopt;
    }
    if (name.isEmpty() || name == lists.names.value(0))
        return ChosenList { lists.names.value(0), settings::kSearches, settings::kSearchesVersion };
    const bool known = lists.names.contains(name);
    const QString trouble = listNameTrouble(name);
    if (known || (mayMake && trouble.isEmpty()))
        return ChosenList { name, listKey(name), listVersionKey(name), !known };
    say(stderr,
        QStringLiteral("quillmoor: ")
            + (trouble.isEmpty()
                    ? ListChoice::tr("there is no list named \"%1\"; the lists are: %2")
                          .arg(name, QStringLiteral("\"") + lists.names.join(QStringLiteral("\", \"")) + u'"')
                    : trouble));
    return std::nullopt;
}

QString namesWith(const QString& stored, const ChosenList& list)
{
    QStringList names = storedEntries(stored);
    if (names.isEmpty())
        names << firstListName();
    if (names.contains(list.name))
        return stored;
    return storedValue(names << list.name);
}

int printLists(const QString& settingsFile)
{
    try {
        QString first;
        const SavedLists lists = storedLists(settingsFile, &first);
        QString lines;
        for (qsizetype i = 0; i < lists.names.size(); ++i) {
            const qsizetype count = i == 0 ? storedEntries(first).size() : lists.entriesOf(lists.names[i]).size();
            lines += QStringLiteral("%1\t%2\n").arg(lists.names[i]).arg(count);
        }
        std::fputs(qUtf8Printable(lines), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const Failure& failure) {
        say(stderr, QStringLiteral("quillmoor: ") + failure.description());
        return 1;
    }
}

} // namespace quillmoor
