#include "OpenedRecord.h"

#include "SavedList.h"

namespace quillmoor {

namespace {
    // Most texts hold neither "%" nor "|": those are taken as they are.
    bool plain(QStringView text) { return !text.contains(u'%') && !text.contains(u'|'); }
} // namespace

namespace {

    // Each time the stored value holds and its text, as it is read: most
    // texts are a view into the value itself; one with escapes is decoded
    // into `decoded`, which holds it as long as its view is used.
    template <class Take> void forEachTime(const QString& value, QStringList& decoded, Take&& take)
    {
        for (const QStringView piece : QStringView(value).split(u'|', Qt::SkipEmptyParts)) {
            const qsizetype blank = piece.indexOf(u' ');
            bool ok = false;
            const qint64 seconds = blank > 0 ? piece.first(blank).toLongLong(&ok) : 0;
            if (!ok || seconds < 0)
                continue;
            QStringView text = piece.sliced(blank + 1);
            if (!plain(text)) {
                decoded << unescapeEntry(text);
                text = decoded.constLast();
            }
            if (!text.isEmpty())
                take(text, seconds);
        }
    }

    void keepLater(qint64& kept, qint64 seconds) { kept = qMax(kept, seconds); }

} // namespace

OpenedRecord openedRecordFromText(const QString& value)
{
    OpenedRecord record;
    record.reserve(value.count(u'|'));
    QStringList decoded;
    forEachTime(value, decoded, [&](QStringView text, qint64 seconds) { keepLater(record[text.toString()], seconds); });
    return record;
}

QString mergedOpenedText(const QString& stored, const OpenedRecord& own, const QStringList& entries)
{
    if (own.isEmpty() && stored.isNull())
        return QString();
    // Looked up by views into the stored value and into `own`: a record of
    // a million times is read without a string made for each.
    QHash<QStringView, qint64> times;
    times.reserve(stored.count(u'|') + own.size());
    QStringList decoded;
    forEachTime(stored, decoded, [&](QStringView text, qint64 seconds) { keepLater(times[text], seconds); });
    for (auto time = own.cbegin(); time != own.cend(); ++time)
        keepLater(times[QStringView(time.key())], time.value());
    // Empty but not null: a key that was there stays, emptied.
    QString text = QStringLiteral("");
    if (times.isEmpty())
        return text;
    text.reserve(stored.size() + own.size() * 48);
    // Each text once, as the list first holds it (its time is taken out
    // once written); a time whose search is gone goes with it.
    for (const QString& entry : entries) {
        const auto time = times.constFind(QStringView(entry));
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
