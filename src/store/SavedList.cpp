#include "SavedList.h"

#include <algorithm>

namespace quillmoor {

bool needsEscaping(const QString& entry) { return entry.contains(u'|'); }

QString escapeEntry(const QString& entry)
{
    QString escaped = entry;
    escaped.replace(u'%', QStringLiteral("%25"));
    escaped.replace(u'|', QStringLiteral("%7C"));
    return escaped;
}

QString unescapeEntry(QStringView piece)
{
    QString entry;
    entry.reserve(piece.size());
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const QStringView rest = piece.sliced(i);
        if (rest.startsWith(u"%25")) {
            entry += u'%';
            i += 2;
        } else if (rest.startsWith(u"%7C", Qt::CaseInsensitive)) {
            entry += u'|';
            i += 2;
        } else {
            entry += piece[i];
        }
    }
    return entry;
}

StoredPieces::StoredPieces(const QString& value)
    : escaped_(isEscapedValue(value))
    , pieces_(QStringView(value).split(u'|'))
{
}

QString StoredPieces::entry(qsizetype i) const { return escaped_ ? unescapeEntry(pieces_[i]) : pieces_[i].toString(); }

QString storedValue(const QStringList& entries)
{
    const bool escaped = std::any_of(entries.cbegin(), entries.cend(), needsEscaping);
    QString value = escaped ? QStringLiteral("|") : QString();
    for (const QString& entry : entries)
        value += (escaped ? escapeEntry(entry) : entry) + u'|';
    return value;
}

QStringList storedEntries(const QString& value)
{
    const StoredPieces pieces(value);
    QStringList entries;
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!pieces.isEmpty(i))
            entries << pieces.entry(i);
    }
    return entries;
}

} // namespace quillmoor
