#include "OpenedRecord.h"

#include "LaterTime.h"
#include "SavedList.h"
#include "SavedLists.h"
#include "SearchStore.h"
#include "SettingsKeys.h"

#include <charconv>

namespace quillmoor {

namespace {

    // Most texts hold no "%": those are taken as they are.
    bool plain(QStringView text) { return !text.contains(u'%'); }

    // The seconds a piece starts with: plain digits read here (a million
    // of them cost a save a good part of its time through the locale's
    // parser), anything else as QString reads a number.
    bool secondsOf(QStringView digits, qint64& seconds)
    {
        if (digits.isEmpty() || digits.size() > 18)
            return false;
        seconds = 0;
        for (const QChar c : digits) {
            if (c < u'0' || c > u'9') {
                bool ok = false;
                seconds = digits.toLongLong(&ok);
                return ok;
            }
            seconds = seconds * 10 + (c.unicode() - u'0');
        }
        return true;
    }

    // Each time the stored value holds and its text, as it is read: most
    // texts are a view into the value itself; one with escapes is decoded
    // into `decoded`, which holds it as long as its view is used.
    template <class Take> void forEachTime(const QString& value, QStringList& decoded, Take&& take)
    {
        const QStringView all(value);
        for (qsizetype start = 0; start < all.size();) {
            qsizetype end = all.indexOf(u'|', start);
            if (end < 0)
                end = all.size();
            const QStringView piece = all.sliced(start, end - start);
            start = end + 1;
            const qsizetype blank = piece.indexOf(u' ');
            qint64 seconds = 0;
            if (blank <= 0 || !secondsOf(piece.first(blank), seconds) || seconds < 0)
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

} // namespace

OpenedRecord openedRecordFromText(const QString& value)
{
    OpenedRecord record;
    record.reserve(value.count(u'|'));
    QStringList decoded;
    forEachTime(
        value, decoded, [&](QStringView text, qint64 seconds) { keepLaterTime(record, text.toString(), seconds); });
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
    forEachTime(stored, decoded, [&](QStringView text, qint64 seconds) { keepLaterTime(times, text, seconds); });
    for (auto time = own.cbegin(); time != own.cend(); ++time)
        keepLaterTime(times, QStringView(time.key()), time.value());
    // Empty but not null: a key that was there stays, emptied.
    QString text = QStringLiteral("");
    if (times.isEmpty())
        return text;
    text.reserve(stored.size() + own.size() * 48);
    // Each text once, as the list first holds it (its time is marked
    // written); a time whose search is gone goes with it.
    char digits[24];
    for (const QString& entry : entries) {
        const auto time = times.find(QStringView(entry));
        if (time == times.end() || time.value() < 0)
            continue;
        const auto written = std::to_chars(digits, digits + sizeof digits, time.value());
        text += QLatin1String(digits, written.ptr);
        text += u' ';
        text += plain(entry) && !entry.contains(u'|') ? entry : escapeEntry(entry);
        text += u'|';
        time.value() = -1;
    }
    return stored.isNull() && text.isEmpty() ? QString() : text;
}

QString keepOpenedTimes(const QString& settingsFile, const OpenedRecord& own)
{
    if (own.isEmpty())
        return QString();
    // The times stay for the searches of every list the file names, not the
    // first list's alone.
    QStringList keys = { settings::kSearches, settings::kSearchesOpened };
    const QStringList names
        = storedEntries(ReadSettingOnly(settingsFile, settings::kSection, settings::kLists).value);
    for (qsizetype i = 1; i < names.size(); ++i)
        keys << listKey(names[i]);
    return SaveSettings(settingsFile, settings::kSection, keys, [&](QStringList stored) {
        QStringList entries;
        for (qsizetype i = 0; i < stored.size(); ++i)
            entries += i == 1 ? QStringList() : storedEntries(stored[i]);
        stored[1] = mergedOpenedText(stored[1], own, entries);
        return stored;
    });
}

QByteArray openedNote(const QStringList& entries) { return storedValue(entries).toUtf8().toPercentEncoding(); }

QStringList entriesOfNote(const QByteArray& note)
{
    return storedEntries(QString::fromUtf8(QByteArray::fromPercentEncoding(note)));
}

} // namespace quillmoor
