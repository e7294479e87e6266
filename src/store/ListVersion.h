#pragma once

#include <QString>
#include <QStringList>

namespace quillmoor {

// Which save of which file the saved searches are. Every save of the list
// writes one beside it: the file's line of descent and how many saves it has
// had. A copy of the program keeps the one it read or wrote last, so that its
// next save can tell another copy's save (the same line, as many saves or
// more) from a file made anew or put back from elsewhere (another line, or
// fewer saves), which must clear none of its entries.
struct ListVersion {
    QString line; // empty: no list was stored
    qint64 saves = 0;

    // The version of a file that holds `searches` (null when it holds none)
    // and `version` under their keys. A list that no such save wrote gets a
    // line made from its text, so copies that read the same list agree.
    static ListVersion of(const QString& version, const QString& searches);
    // What a save writes over a file of version `now`: the next save of its
    // line, or the first of a new one where no list was stored. A line whose
    // count is at its top goes on as the first save of the line that follows
    // it (the same for every copy), so the count never overflows.
    static ListVersion after(const ListVersion& now);

    bool isNone() const { return line.isEmpty(); }
    QString text() const;
    // Whether a file of version `now` is this one or descends from it: a
    // later save of the same line, or any of the line that follows it. A
    // copy that last saw its line near the top thus still applies its
    // deletions to the file another copy carried over to the next line.
    bool leadsTo(const ListVersion& now) const;
};

// What one save stores, and the version it writes.
struct ListToStore {
    QStringList entries;
    ListVersion version;
};

// What this copy stores of `mine` over a file that holds `searches` at
// `version` (as SaveSettings gives them), when it read or wrote `known` last,
// with the list `base` then. A file that lost its list clears nothing, nor
// does one that is not descended from `known`.
ListToStore listToStore(const ListVersion& known, const QStringList& base, const QStringList& mine,
    const QString& version, const QString& searches);

} // namespace quillmoor
