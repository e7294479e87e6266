#include "OpenedRecord.h"

#include "SavedList.h"

#include <QSet>

namespace quillmoor {

OpenedRecord openedRecordFromText(const QString& value)
{
    OpenedRecord record;
    for (const QStringView piece : QStringView(value).split(u'|', Qt::SkipEmptyParts)) {
        const qsizetype blank = piece.indexOf(u' ');
        bool ok = false;
        const qint64 seconds = blank > 0 ? piece.first(blank).toLongLong(&ok) : 0;
        if (!ok || seconds < 0)
            continue;
        const QString entry = unescapeEntry(piece.sliced(blank + 1));
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
    // Each text once, as the list first holds it; a time whose search is
    // gone goes with it.
    QSet<QString> written;
    for (const QString& entry : entries) {
        const auto time = times.constFind(entry);
        if (time == times.cend() || written.contains(entry))
            continue;
        written.insert(entry);
        text += QString::number(time.value()) + u' ' + escapeEntry(entry) + u'|';
    }
    return stored.isNull() && text.isEmpty() ? QString() : text;
}

} // namespace quillmoor
