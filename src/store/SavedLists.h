#pragma once

#include "ListVersion.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace quillmoor {

// The saved searches belong to named lists. The first is the list the
// program always had: its entries stay under "Searches" with its version,
// so an older build sees it unchanged. The names of all lists, the first
// first, are one value under "Lists" in the format of "Searches" (absent
// while the only list has its first name). Each other list keeps its
// entries and its version under keys of its own, named after a digest of
// its name: a list made in two copies under one name is one list, merged
// as the first list is; a rename is a new list that takes the entries.

namespace settings {
    inline const QString kLists = QStringLiteral("Lists");
    inline const QString kListPrefix = QStringLiteral("Searches-");
    inline const QString kListVersionPrefix = QStringLiteral("SearchesVersion-");
} // namespace settings

// The first list's name until the user gives it another.
QString firstListName();
// The keys of a list other than the first.
QString listKey(const QString& name);
QString listVersionKey(const QString& name);
// Why a name typed for a list cannot be one, or an empty text: 1 to 80
// characters, none of them a line break or other control character.
QString listNameTrouble(const QString& name);

// The lists as a copy has them: every name in order, and the entries of
// each list but the first, by name.
struct SavedLists {
    QStringList names;
    QHash<QString, QStringList> entries;
    // Whether a user who never made a second list would see them: the first
    // list alone, under its first name.
    bool onlyFirst() const { return names.size() <= 1 && (names.isEmpty() || names[0] == firstListName()); }
    QStringList entriesOf(const QString& name) const { return entries.value(name); }
    // `first`, the first list's entries, and then those of every other list.
    QStringList withEntriesOf(QStringList first) const
    {
        for (const QStringList& others : entries)
            first += others;
        return first;
    }
};

// What the file holds under a list's keys: null texts where a key is absent.
struct StoredList {
    QString value;
    QString version;
};

// The lists of a file that holds `names` under "Lists" and `stored` under
// the other lists' keys (by entries key). Names are taken once each; a list
// named without entries is empty; entries under a key no name has are a
// list of their own, named after that key. `trouble`, when given, says once
// what did not agree.
SavedLists listsOf(const QString& names, const QHash<QString, StoredList>& stored, QString* trouble = nullptr);

// What a copy read or wrote of the other lists lately: the names, and each
// list's saves by entries key, with the name it had.
struct KnownLists {
    bool hasNames = false;
    QStringList names;
    struct List {
        QString name;
        KnownSaves saves;
    };
    QHash<QString, List> lists;
    // The file as read: every list it holds is known from there.
    static KnownLists of(const QString& names, const QHash<QString, StoredList>& stored);
};

// One save of the other lists: the texts to write by key, what the file
// then holds, and what this copy knows after it.
struct ListsToStore {
    QList<std::pair<QString, QString>> texts;
    SavedLists stored;
    KnownLists known;
};

// Merges this copy's lists `mine` into a file that holds `names` under
// "Lists" and `stored` under the other lists' keys, as the first list is
// merged, list by list. A list deleted here that others added to keeps what
// they added, under its name; one deleted there that this copy added to
// keeps what this copy added.
ListsToStore listsToStore(
    const KnownLists& known, const SavedLists& mine, const QString& names, const QHash<QString, StoredList>& stored);

} // namespace quillmoor

namespace quillmoor {

// The lists' part of one careful save of several keys. The keys a save of
// `mine` asks for, to follow the others it asks for: "Lists" first, then
// families that stand for every other list's keys in the file.
QStringList listKeysToSave(const SavedLists& mine, const KnownLists& known);
// Given the keys the save spelt out (`names`) and what the file holds under
// them (`stored`), both from `first` on where "Lists" stands, appends to
// `texts` the texts to store there; answers the save.
ListsToStore composeLists(const KnownLists& known, const SavedLists& mine, const QStringList& names,
    const QStringList& stored, qsizetype first, QStringList& texts);

bool operator==(const SavedLists& a, const SavedLists& b);
inline bool operator!=(const SavedLists& a, const SavedLists& b) { return !(a == b); }

} // namespace quillmoor
