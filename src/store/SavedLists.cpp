#include "SavedLists.h"

#include "SavedList.h"
#include "SearchMerge.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSet>
#include <algorithm>

namespace quillmoor {

namespace {
    constexpr qsizetype kDigestLength = 16; // hexadecimal digits
    constexpr qsizetype kLongestName = 80;

    QString digestOf(const QString& name)
    {
        const QByteArray digest = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256);
        return QString::fromLatin1(digest.toHex().left(kDigestLength));
    }

    // The name of a list found under a key that no name has: it says where
    // its searches came from.
    QString foundName(const QString& key)
    {
        return QCoreApplication::translate("SavedLists", "Found under %1").arg(key);
    }

    QStringList namesOf(const QString& value)
    {
        QStringList names = storedEntries(value);
        names.removeDuplicates();
        if (names.isEmpty())
            names << firstListName();
        return names;
    }

    // Every other list's entries key, by that key, with its name.
    QHash<QString, QString> keysOf(const QStringList& names)
    {
        QHash<QString, QString> keys;
        for (qsizetype i = 1; i < names.size(); ++i)
            keys.insert(listKey(names[i]), names[i]);
        return keys;
    }

    QStringList sortedKeys(const QHash<QString, StoredList>& stored)
    {
        QStringList keys = stored.keys();
        std::sort(keys.begin(), keys.end());
        return keys;
    }
} // namespace

QString firstListName() { return QCoreApplication::translate("SavedLists", "Saved Searches"); }

QString listKey(const QString& name) { return settings::kListPrefix + digestOf(name); }

QString listVersionKey(const QString& name) { return settings::kListVersionPrefix + digestOf(name); }

QString listNameTrouble(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QCoreApplication::translate("SavedLists", "A list's name needs at least one character.");
    if (name.size() > kLongestName)
        return QCoreApplication::translate("SavedLists", "A list's name has at most %1 characters.").arg(kLongestName);
    if (std::any_of(name.cbegin(), name.cend(), [](QChar c) { return c.category() == QChar::Other_Control; }))
        return QCoreApplication::translate("SavedLists", "A list's name holds no line breaks or control characters.");
    return QString();
}

SavedLists listsOf(const QString& names, const QHash<QString, StoredList>& stored, QString* trouble)
{
    SavedLists lists { namesOf(names), {} };
    QStringList said;
    if (storedEntries(names).size() > lists.names.size())
        said << QCoreApplication::translate("SavedLists", "a list is named twice");
    const QHash<QString, QString> keys = keysOf(lists.names);
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        const StoredList list = stored.value(it.key());
        if (list.value.isNull() && said.size() < 2)
            said << QCoreApplication::translate("SavedLists", "a list is named that holds nothing");
        lists.entries.insert(it.value(), storedEntries(list.value));
    }
    for (const QString& key : sortedKeys(stored)) {
        const QStringList entries = storedEntries(stored[key].value);
        if (keys.contains(key) || entries.isEmpty())
            continue;
        // Nothing may go unseen because its name went missing.
        lists.names << foundName(key);
        lists.entries.insert(lists.names.constLast(), entries);
        if (!said.contains(foundName(QString())))
            said << foundName(QString());
    }
    if (trouble && !said.isEmpty())
        *trouble = QCoreApplication::translate("SavedLists",
            "The lists in the settings file do not agree (%1); no "
            "search is lost, and they are kept as shown.")
                       .arg(said.join(QStringLiteral("; ")));
    return lists;
}

KnownLists KnownLists::of(const QString& names, const QHash<QString, StoredList>& stored)
{
    KnownLists known;
    known.hasNames = !names.isNull();
    known.names = namesOf(names);
    const QHash<QString, QString> keys = keysOf(known.names);
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (it->value.isNull())
            continue;
        const QString name = keys.value(it.key(), foundName(it.key()));
        known.lists.insert(
            it.key(), { name, KnownSaves(ListVersion::of(it->version, it->value), storedEntries(it->value)) });
    }
    return known;
}

namespace {
    // One list's part of a save.
    struct ListSave {
        QString name;
        QStringList entries;
        ListVersion version;
        bool kept = false;
    };

    ListSave saveOf(const QString& key, const QString& name, const KnownLists& known, const SavedLists& mine,
        const QStringList& names, const StoredList& stored)
    {
        const auto knownList = known.lists.constFind(key);
        const bool knew = knownList != known.lists.cend();
        const bool mineHas = mine.entries.contains(name) && mine.names.contains(name);
        const QStringList storedNow = storedEntries(stored.value);
        const ListVersion now = ListVersion::of(stored.version, stored.value);
        ListSave save { name, {}, ListVersion::after(now) };
        if (mineHas && knew && storedNow.isEmpty() && !knownList->saves.last().entries.isEmpty()) {
            // Deleted in another copy: what this copy added since stays.
            save.entries = mergeSearches(knownList->saves.last().entries, mine.entries[name], {});
        } else if (mineHas) {
            const ListToStore store
                = listToStore(knew ? knownList->saves : KnownSaves(), mine.entries[name], stored.version, stored.value);
            save.entries = store.entries;
            save.version = store.version;
            save.kept = true;
        } else if (knew) {
            // Deleted here: what others added since stays.
            save.entries
                = storedNow.isEmpty() ? QStringList() : mergeSearches(knownList->saves.last().entries, {}, storedNow);
        } else {
            // Made in another copy, or by hand.
            save.entries = storedNow;
            save.version = now;
            save.kept = names.contains(name);
        }
        save.kept = save.kept || !save.entries.isEmpty();
        return save;
    }
} // namespace

namespace {
    // The first name is the first list's, whichever copy renamed it last;
    // the others merge as entries do.
    QStringList mergedNames(const KnownLists& known, const QStringList& myNames, const QString& names)
    {
        const QStringList storedNames = namesOf(names);
        const QStringList base = known.hasNames ? known.names : QStringList();
        const bool renamedHere = myNames[0] != known.names.value(0, firstListName());
        QStringList merged { renamedHere || names.isNull() ? myNames[0] : storedNames[0] };
        merged += names.isNull() ? myNames.mid(1)
            : known.hasNames     ? mergeSearches(base.mid(1), myNames.mid(1), storedNames.mid(1))
                                 : addSearches(myNames.mid(1), storedNames.mid(1));
        merged.removeDuplicates();
        return merged;
    }

    // Every list either side has or had, by entries key, in the order of
    // the names; `keys` gains the name of each.
    QStringList keysInOrder(const QStringList& merged, const QStringList& myNames, const KnownLists& known,
        const QHash<QString, StoredList>& stored, QHash<QString, QString>& keys)
    {
        QStringList order;
        QSet<QString> seen;
        const auto add = [&](const QString& key) {
            if (!seen.contains(key))
                order << key;
            seen.insert(key);
        };
        for (const QStringList& from : { merged.mid(1), myNames.mid(1) }) {
            for (const QString& name : from) {
                add(listKey(name));
                keys.insert(listKey(name), name);
            }
        }
        for (const QString& key : sortedKeys(stored))
            add(key);
        for (auto it = known.lists.cbegin(); it != known.lists.cend(); ++it)
            add(it.key());
        return order;
    }
} // namespace

ListsToStore listsToStore(
    const KnownLists& known, const SavedLists& mine, const QString& names, const QHash<QString, StoredList>& stored)
{
    const QStringList myNames = namesOf(mine.names.isEmpty() ? QString() : storedValue(mine.names));
    const QStringList merged = mergedNames(known, myNames, names);
    QHash<QString, QString> keys = keysOf(merged);
    const QStringList order = keysInOrder(merged, myNames, known, stored, keys);
    ListsToStore store;
    store.known.hasNames = true;
    store.stored.names = { merged[0] };
    SavedLists mineNamed = mine;
    mineNamed.names = myNames;
    for (const QString& key : order) {
        QString name = keys.value(key, known.lists.value(key).name);
        const StoredList now = stored.value(key);
        if (name.isEmpty() || listKey(name) != key) {
            // Searches under a key no name gives are shown as a list of
            // their own, and leave the key once the window holds that list.
            const QStringList entries = storedEntries(now.value);
            if (mineNamed.names.contains(foundName(key))) {
                if (!now.value.isEmpty())
                    store.texts.append({ key, QStringLiteral("") });
            } else if (!entries.isEmpty() && !store.stored.names.contains(foundName(key))) {
                store.stored.names << foundName(key);
                store.stored.entries.insert(foundName(key), entries);
            }
            continue;
        }
        const ListSave save = saveOf(key, name, known, mineNamed, merged, now);
        // A list kept empty is the empty text, so its name finds it.
        QString value = save.kept ? storedValue(save.entries) : QString();
        if (save.kept && value.isNull())
            value = QStringLiteral("");
        const bool same = value.isNull() ? now.value.isEmpty() : !now.value.isNull() && value == now.value;
        if (!same) {
            store.texts.append({ key, value.isNull() ? QStringLiteral("") : value });
            store.texts.append({ listVersionKey(save.name), save.version.text() });
        }
        if (!save.kept)
            continue;
        const ListVersion written = same ? ListVersion::of(now.version, now.value) : save.version;
        if (!store.stored.names.contains(save.name))
            store.stored.names << save.name;
        store.stored.entries.insert(save.name, save.entries);
        store.known.lists.insert(key, { save.name, KnownSaves(written, save.entries) });
    }
    store.known.names = store.stored.names;
    return store;
}

} // namespace quillmoor

namespace quillmoor {

QStringList listKeysToSave(const SavedLists& mine, const KnownLists& known)
{
    QStringList keys = { settings::kLists };
    for (const QStringList& names : { mine.names, known.names }) {
        for (qsizetype i = 1; i < names.size(); ++i)
            keys << listKey(names[i]) << listVersionKey(names[i]);
    }
    keys.removeDuplicates();
    return keys << settings::kListPrefix + u'*' << settings::kListVersionPrefix + u'*';
}

ListsToStore composeLists(const KnownLists& known, const SavedLists& mine, const QStringList& names,
    const QStringList& stored, qsizetype first, QStringList& texts)
{
    QHash<QString, StoredList> lists;
    QHash<QString, qsizetype> at;
    for (qsizetype i = first + 1; i < names.size(); ++i) {
        at.insert(names[i], i);
        if (names[i].startsWith(settings::kListPrefix))
            lists[names[i]].value = stored[i];
    }
    for (auto it = lists.begin(); it != lists.end(); ++it) {
        const QString version = settings::kListVersionPrefix + it.key().mid(settings::kListPrefix.size());
        if (at.contains(version))
            it->version = stored[at[version]];
    }
    ListsToStore store = listsToStore(known, mine, stored[first], lists);
    const bool none = stored[first].isNull() && store.stored.onlyFirst();
    texts << (none ? QString() : storedValue(store.stored.names));
    for (qsizetype i = first + 1; i < names.size(); ++i)
        texts << stored[i];
    for (const auto& [key, text] : std::as_const(store.texts)) {
        if (at.contains(key))
            texts[at[key]] = text;
    }
    return store;
}

bool operator==(const SavedLists& a, const SavedLists& b) { return a.names == b.names && a.entries == b.entries; }

} // namespace quillmoor
