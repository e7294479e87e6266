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
    // Each entry is stored escaped and followed by "|".
    const auto each = [this](const std::function<void(QStringView piece, bool known)>& visit,
                          const std::function<bool(QStringView entry)>& isKnown) {
        qsizetype from = 0;
        for (qsizetype bar = text_.indexOf(u'|'); bar >= 0; bar = text_.indexOf(u'|', from)) {
            const QStringView piece = QStringView(text_).sliced(from, bar - from);
            visit(piece, piece.contains(u'%') ? isKnown(unescapeEntry(piece)) : isKnown(piece));
            from = bar + 1;
        }
    };
    qsizetype gone = 0;
    each([&](QStringView, bool isKnown) { gone += isKnown; }, known);
    if (gone == 0)
        return 0;
    QString kept;
    kept.reserve(text_.size());
    each(
        [&](QStringView piece, bool isKnown) {
            if (!isKnown)
                kept.append(piece).append(u'|');
        },
        known);
    text_ = std::move(kept);
    count_ -= gone;
    return gone;
}

QString StoredAddition::appendedTo(const QString& stored)
{
    QString before;
    if (isEscapedValue(stored) || !bar_) {
        before = stored;
        if (!before.isEmpty() && !before.endsWith(u'|'))
            before += u'|';
        // Without a bar anywhere the value stays unescaped: only each "%"
        // was written as "%25".
        if (!isEscapedValue(stored) && percent_)
            text_.replace(QStringLiteral("%25"), QStringLiteral("%"));
    } else {
        before = QStringLiteral("|");
        for (const QString& entry : storedEntries(stored))
            before += escapeEntry(entry) + u'|';
    }
    // In place where the room reserved allows.
    text_.insert(0, before);
    return std::move(text_);
}

} // namespace quillmoor
