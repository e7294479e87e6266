#include "OpenedRecord.h"

#include "SavedList.h"

namespace quillmoor {

namespace {
    // Most texts hold neither "%" nor "|": those are taken as they are.
    bool plain(QStringView text) { return !text.contains(u'%') && !text.contains(u'|'); }
} // namespace

OpenedRecord openedRecordFromText(const QString& value)
{
    OpenedRecord record;
    record.reserve(value.count(u'|'));
    for (const QStringView piece : QStringView(value).split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype blank = piece.indexOf(u' ');
        bool ok = false;
        const qint64 seconds = blank > 0 ? piece.first(blank).toLongLong(&ok) : 0;
        if (!ok || seconds < 0)
            continue;
        const QStringView text = piece.sliced(blank + 1);
        const QString entry = plain(text) ? text.toString() : unescapeEntry(text);
        if (entry.isEmpty())
            continue;
        qint64& kept = record[entry];
        kept = qMax(kept, seconds);
    }
    return record;
}

QString mergedOpenedText(const QString& stored, const OpenedRecord& own, const QStringList& entries)
{
    if (own.isEmpty() && stored.isNull())
        return QString();
    OpenedRecord times = openedRecordFromText(stored);
    for (auto time = own.cbegin(); time != own.cend(); ++time) {
        qint64& kept = times[time.key()];
        kept = qMax(kept, time.value());
    }
    // Empty but not null: a key that was there stays, emptied.
    QString text = QStringLiteral("");
    if (times.isEmpty())
        return text;
    text.reserve(stored.size() + own.size() * 48);
    // Each text once, as the list first holds it (its time is taken out
    // once written); a time whose search is gone goes with it.
    for (const QString& entry : entries) {
        const auto time = times.constFind(entry);
        if (time == times.cend())
            continue;
        text += QString::number(time.value());
        text += u' ';
        text += plain(entry) ? entry : escapeEntry(entry);
        text += u'|';
        times.erase(time);
    }
    return stored.isNull() && text.isEmpty() ? QString() : text;
}

} // namespace quillmoor
