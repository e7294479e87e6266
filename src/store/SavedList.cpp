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

QStringList StoredPieces::entries() const
{
    QStringList entries;
    entries.reserve(size());
    for (qsizetype i = 0; i < size(); ++i)
        entries << (isEmpty(i) ? QString() : entry(i));
    return entries;
}

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

void StoredAddition::add(QStringView entry)
{
    qsizetype from = 0;
    for (qsizetype i = 0; i < entry.size(); ++i) {
        if (entry[i] != u'|' && entry[i] != u'%')
            continue;
        text_.append(entry.sliced(from, i - from));
        text_.append(entry[i] == u'|' ? QStringLiteral("%7C") : QStringLiteral("%25"));
        (entry[i] == u'|' ? bar_ : percent_) = true;
        from = i + 1;
    }
    text_.append(entry.sliced(from)).append(u'|');
    ++count_;
}

qsizetype StoredAddition::removeIf(const std::function<bool(QStringView entry)>& known)
{
    // Each entry is stored escaped and followed by "|". What stays moves
    // down over what went, in place: the gathered text is never copied.
    qsizetype gone = 0;
    qsizetype to = 0;
    QChar* chars = text_.data();
    for (qsizetype from = 0, bar = text_.indexOf(u'|'); bar >= 0; from = bar + 1, bar = text_.indexOf(u'|', from)) {
        const QStringView piece = QStringView(text_).sliced(from, bar - from);
        if (piece.contains(u'%') ? known(unescapeEntry(piece)) : known(piece)) {
            ++gone;
            continue;
        }
        if (to != from)
            std::copy(chars + from, chars + bar + 1, chars + to);
        to += bar + 1 - from;
    }
    text_.truncate(to);
    count_ -= gone;
    return gone;
}

QString StoredAddition::appendedTo(QString stored)
{
    if (!isEscapedValue(stored) && bar_) {
        QString before = QStringLiteral("|");
        for (const QString& entry : storedEntries(stored))
            before += escapeEntry(entry) + u'|';
        stored = std::move(before);
    } else if (!isEscapedValue(stored) && percent_) {
        // Without a bar anywhere the value stays unescaped: only each "%"
        // was written as "%25".
        text_.replace(QStringLiteral("%25"), QStringLiteral("%"));
    }
    if (stored.isEmpty())
        return std::exchange(text_, QString());
    // In place where the stored text is this value's own: it grows where
    // it lies rather than being copied beside the new value.
    const bool bar = !stored.endsWith(u'|');
    stored.reserve(stored.size() + bar + text_.size());
    if (bar)
        stored += u'|';
    stored += std::exchange(text_, QString());
    return stored;
}

} // namespace quillmoor
