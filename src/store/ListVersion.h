#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

namespace quillmoor {

// Which save of which file the saved searches are. Every save of the list
// writes one beside it: the file's line of descent, how many saves it has
// had, and a mark of each of its latest saves, its own first. A copy of the
// program keeps the ones it read or wrote lately, so that its next save can
// tell another copy's save that followed its own (the same line, more saves,
// its own save's mark among the file's) from a file made anew or put back
// from elsewhere (another line, or fewer saves), and from a sibling: the
// same count of the same line written on another computer from the same
// parent, which a sync tool brought in. Neither of those may clear any of
// its entries that the other never knew.
struct ListVersion {
    QString line; // empty: no list was stored
    qint64 saves = 0;
    // Newest first: this save's mark, then its parent's, and so on. Empty
    // for a version written before saves were marked.
    QStringList marks = {};

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
    // later save of the same line whose marks hold this one's in its place,
    // or any of the line that follows it. A copy that last saw its line near
    // the top thus still applies its deletions to the file another copy
    // carried over to the next line. Versions without marks compare by line
    // and count alone, as they always did; one too far ahead for its marks
    // to reach back here is not taken for a descendant.
    bool leadsTo(const ListVersion& now) const;
};

// The saves a copy wrote or read lately, newest first, with the list each
// held: the bases a merge may start from.
class KnownSaves {
public:
    struct Save {
        ListVersion version;
        QStringList entries;
    };
    static constexpr qsizetype kKept = 8;

    KnownSaves() = default;
    KnownSaves(ListVersion version, QStringList entries) { add(std::move(version), std::move(entries)); }
    // A save read or written; the same version again replaces the one kept.
    void add(ListVersion version, QStringList entries);
    bool isEmpty() const { return saves_.isEmpty(); }
    const Save& last() const { return saves_.constFirst(); }
    // The newest save that `now` is or descends from (one where no list
    // was stored leads to any), or null: then nothing says what became of
    // this copy's entries there.
    const Save* ancestorOf(const ListVersion& now) const;

private:
    QList<Save> saves_;
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
// The same, merged from the newest of the saves this copy knows that the
// file descends from: for a sibling, the parent both came from.
ListToStore listToStore(
    const KnownSaves& known, const QStringList& mine, const QString& version, const QString& searches);

} // namespace quillmoor
