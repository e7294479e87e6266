#include "IniEdit.h"

#include <QHash>
#include <algorithm>

namespace quillmoor {

namespace {

    // Every key's value as the file holds it. A key's bytes that stay the
    // same read the same, so only one that changed is decoded: never the
    // long list itself, whose text would take twice its bytes.
    using KeyValues = QHash<QString, QByteArrayView>;

    KeyValues keyValues(QByteArrayView data, const IniScan& scan)
    {
        const QHash<QString, qsizetype> winners = scan.winners();
        KeyValues values;
        for (auto it = winners.cbegin(); it != winners.cend(); ++it) {
            const IniEntry& e = scan.entries[*it];
            values.insert(it.key(), data.sliced(e.valueStart, e.end - e.valueStart));
        }
        return values;
    }

    bool readsAlike(QByteArrayView before, QByteArrayView now)
    {
        if (before == now)
            return true;
        bool listBefore = false;
        bool listNow = false;
        const QStringList itemsBefore = decodeIniValue(before, true, &listBefore);
        return decodeIniValue(now, true, &listNow) == itemsBefore && listNow == listBefore;
    }

    qsizetype headerCount(const IniScan& scan, const QString& sectionKey)
    {
        return std::count_if(
            scan.headers.cbegin(), scan.headers.cend(), [&](const IniHeader& h) { return h.section == sectionKey; });
    }

    // What a candidate file must keep: every other key as it was read, no
    // header left open that was closed, the section not added again. The
    // values look into the file they were read from, which outlives this.
    struct Promise {
        KeyValues others;
        QString sectionKey;
        qsizetype sections = 0;
        bool unclosedHeaders = true;
    };

    Promise promiseOf(QByteArrayView data, const IniScan& scan, const QString& sectionKey)
    {
        return { keyValues(data, scan), sectionKey, std::max<qsizetype>(1, headerCount(scan, sectionKey)),
            scan.hasUnclosedHeader() };
    }

    bool kept(const Promise& promise, const QByteArray& bytes, const IniScan& scan)
    {
        if ((scan.hasUnclosedHeader() && !promise.unclosedHeaders)
            || headerCount(scan, promise.sectionKey) > promise.sections)
            return false;
        // Only the keys promised are read again, never the long one just
        // written; their winners are found in one pass, as a lookup a key
        // would make the check grow with the square of the file's keys.
        const QHash<QString, qsizetype> winners = scan.winners();
        for (auto it = promise.others.cbegin(); it != promise.others.cend(); ++it) {
            const auto at = winners.constFind(it.key());
            if (at == winners.cend())
                return false;
            const IniEntry& e = scan.entries[*at];
            if (!readsAlike(*it, QByteArrayView(bytes).sliced(e.valueStart, e.end - e.valueStart)))
                return false;
        }
        return true;
    }

    // The key's line goes in at `at` in place of `removed` bytes, between
    // `before` and `after`.
    struct Edit {
        qsizetype at = 0;
        qsizetype removed = 0;
        QByteArray before;
        QByteArray after;
    };

    // Where a line ends, past its line break; and that break (none at the end).
    std::pair<qsizetype, QByteArray> pastLineBreak(QByteArrayView data, qsizetype at)
    {
        while (at < data.size() && !isIniBreak(data[at]))
            ++at;
        if (data.sliced(at).startsWith("\r\n"))
            return { at + 2, "\r\n" };
        if (at < data.size())
            return { at + 1, QByteArray(1, data[at]) };
        return { at, QByteArray() };
    }

    QByteArray sectionLine(const QString& section, const QByteArray& eol)
    {
        const QByteArray name = encodeIniName(section);
        return '[' + (name.compare("general", Qt::CaseInsensitive) == 0 ? '%' + name : name) + ']' + eol;
    }

    // The places a key's line may go, best first: over the line QSettings
    // takes now; after the section's last, then first, header; where the file
    // has no such section, a new one at the end, then at the start, ahead of
    // anything (an open quote, say) that could swallow it.
    QList<Edit> placesFor(const QByteArray& data, const IniScan& scan, const QString& section, const QString& key)
    {
        const QString sectionKey = section + u'/';
        QList<Edit> places;
        const qsizetype now = scan.winner(sectionKey + key);
        if (now >= 0 && scan.entries[now].sectionLength == sectionKey.size())
            places << Edit { scan.entries[now].start, scan.entries[now].end - scan.entries[now].start, {}, {} };
        QList<const IniHeader*> ours;
        for (const IniHeader& header : scan.headers) {
            if (header.section == sectionKey)
                ours << &header;
        }
        if (!ours.isEmpty()) {
            for (const IniHeader* header : { ours.constLast(), ours.constFirst() }) {
                const auto [at, eol] = pastLineBreak(data, header->end);
                places << (eol.isEmpty() ? Edit { at, 0, "\n", "\n" } : Edit { at, 0, {}, eol });
            }
            // A header whose quote runs to the end: what follows its "]" is
            // no part of any key, so the quote may close there.
            if (ours.constLast()->end == data.size())
                places << Edit { data.size(), 0, "\"\n", "\n" };
            return places;
        }
        const QByteArray eol = data.contains("\r\n") ? "\r\n" : "\n";
        const QByteArray header = sectionLine(section, eol);
        const bool empty = data.size() == scan.bodyStart;
        places << Edit { data.size(), 0, (empty ? "" : isIniBreak(data.back()) ? eol : eol + eol) + header, eol };
        // Whatever stood before the first header stays in [General].
        places << Edit { scan.bodyStart, 0, header, eol + (scan.startsInGeneral ? "[General]" + eol : QByteArray()) };
        return places;
    }

    // `data` with the key's line put in as `edit` says, the value encoded
    // straight into the new file: a long value is never held twice there.
    QByteArray edited(const QByteArray& data, const Edit& edit, const QString& key, const QString& text)
    {
        const QByteArrayView rest = QByteArrayView(data).sliced(edit.at + edit.removed);
        QByteArray bytes
            = encodeIniValue(text, { QByteArrayView(data).first(edit.at), edit.before, encodeIniName(key) + '=' },
                edit.after.size() + rest.size());
        return bytes.append(edit.after).append(rest);
    }

    std::optional<QByteArray> withOneValue(
        const QByteArray& data, const QString& section, const QString& key, const QString& value)
    {
        const QString text = withoutLoneSurrogates(value);
        const auto readsBack
            = [&](QByteArrayView bytes, const IniScan& scan) { return iniKeyReads(bytes, scan, section, key, text); };
        const IniScan scan = scanIni(data);
        if (readsBack(data, scan))
            return data;
        Promise promise = promiseOf(data, scan, section + u'/');
        promise.others.remove(section + u'/' + key);
        for (const Edit& edit : placesFor(data, scan, section, key)) {
            QByteArray bytes = edited(data, edit, key, text);
            const IniScan check = scanIni(bytes);
            if (readsBack(bytes, check) && kept(promise, bytes, check))
                return bytes;
        }
        return std::nullopt;
    }

    // A header missing its "]" is closed where its line ends, when every key
    // reads the same after.
    QByteArray withClosedHeaders(const QByteArray& data)
    {
        const IniScan scan = scanIni(data);
        if (!scan.hasUnclosedHeader())
            return data;
        QByteArray bytes = data;
        for (auto header = scan.headers.crbegin(); header != scan.headers.crend(); ++header) {
            if (!header->closed)
                bytes.insert(header->end, ']');
        }
        const IniScan check = scanIni(bytes);
        Promise promise = promiseOf(data, scan, QString());
        promise.unclosedHeaders = false;
        promise.sections = headerCount(scan, QString());
        return kept(promise, bytes, check) ? bytes : data;
    }

} // namespace

std::optional<QByteArray> withIniValues(
    const QByteArray& data, const QString& section, const QList<std::pair<QString, QString>>& values)
{
    QList<std::pair<QString, QString>> texts = values;
    return withIniValuesTaken(data, section, texts);
}

std::optional<QByteArray> withIniValuesTaken(
    const QByteArray& data, const QString& section, QList<std::pair<QString, QString>>& values)
{
    QByteArray bytes = withClosedHeaders(data);
    for (qsizetype i = 0; i < values.size(); ++i) {
        std::optional<QByteArray> next = withOneValue(bytes, section, values[i].first, values[i].second);
        if (!next) {
            // Each key written reads back as its text.
            const IniScan scan = scanIni(bytes);
            for (qsizetype done = 0; done < i; ++done)
                values[done].second = readIniKey(bytes, scan, section, values[done].first).text;
            return std::nullopt;
        }
        bytes = std::move(*next);
        values[i].second = QString();
    }
    return bytes;
}

} // namespace quillmoor
