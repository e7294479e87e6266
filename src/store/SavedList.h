#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

namespace quillmoor {

// The saved searches are stored as one text: each entry followed by "|". An
// entry that holds a "|" itself would come back split, so a list with such an
// entry is stored with one leading "|" and every entry escaped ("%" as "%25",
// "|" as "%7C"); values without the leading bar read exactly as they always
// have. The start-up restores one entry per numbered step of its own, so the
// stored value is offered piece by piece as well as whole.

bool needsEscaping(const QString& entry);
QString escapeEntry(const QString& entry);
QString unescapeEntry(QStringView piece);
inline bool isEscapedValue(const QString& value) { return value.startsWith(u'|'); }

// A stored value cut at every "|". Empty pieces stand for no entry. The
// pieces look into `value`, which must outlive them.
class StoredPieces {
public:
    StoredPieces() = default;
    explicit StoredPieces(const QString& value);
    qsizetype size() const { return pieces_.size(); }
    bool isEmpty(qsizetype i) const { return pieces_[i].isEmpty(); }
    QString entry(qsizetype i) const;
    // Every piece's entry in order; an empty piece, and only that, gives an
    // empty text.
    QStringList entries() const;
    // The piece as it stands in the value: the entry itself where the
    // value is not escaped.
    QStringView view(qsizetype i) const { return pieces_[i]; }

private:
    bool escaped_ = false;
    QList<QStringView> pieces_;
};

// The stored value of a list of entries and back (empty entries drop out).
QString storedValue(const QStringList& entries);
QStringList storedEntries(const QString& value);

// Entries to be added at the end of a stored value, gathered one by one in
// their stored form: a long import is never held as a list of entries.
class StoredAddition {
public:
    void reserve(qsizetype characters) { text_.reserve(characters); }
    // A non-empty entry.
    void add(QStringView entry);
    void clear() { *this = StoredAddition(); }
    qsizetype count() const { return count_; }
    // Leaves out every entry `known` answers true for, asking once of
    // each; answers how many went.
    qsizetype removeIf(const std::function<bool(QStringView entry)>& known);
    // The value storedValue(storedEntries(stored) + the entries) reads as;
    // the gathered text becomes part of it, so this is asked once. Handed
    // a stored text of its own, it grows that text in place.
    QString appendedTo(QString stored);

private:
    QString text_; // every entry escaped, then "|"
    qsizetype count_ = 0;
    bool bar_ = false; // an entry holds "|": the value is to be escaped
    bool percent_ = false;
};

} // namespace quillmoor
