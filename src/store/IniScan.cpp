#include "IniChars.h"
#include "IniText.h"

#include <algorithm>

// The lines of an INI file, its headers and its keys, as QSettings finds
// them.

namespace quillmoor {

using ini::isLineBlank;

namespace {

    struct Line {
        qsizetype start = 0, end = 0, equals = -1;
    };

    // The next line from `pos`. A line ends at a line break or a ";" outside
    // quotes; a backslash takes the next character (a line break too) along;
    // blank lines and whole-line comments are skipped. Answers false at the end.
    // Only the bytes `weighed` finds change anything; the rest are passed over.
    using Weighed = ini::NextOf<6>;
    Weighed weighedIn(QByteArrayView data) { return Weighed(data.data(), data.size(), "=\r\n;\\\""); }

    bool nextLine(QByteArrayView data, qsizetype& pos, Line& line, Weighed& weighed)
    {
        const qsizetype n = data.size();
        qsizetype start = pos;
        while (start < n && isLineBlank(data[start]))
            ++start;
        line.equals = -1;
        bool inQuotes = false;
        qsizetype i = start;
        for (bool ended = false; i < n && !ended;) {
            i = weighed.from(i);
            if (i == n)
                break;
            const char c = data[i++];
            if (c == '=') {
                if (!inQuotes && line.equals < 0)
                    line.equals = i - 1;
            } else if (isIniBreak(c) || c == ';') {
                if (i == start + 1 && c == ';') {
                    while (i < n && !isIniBreak(data[i]))
                        ++i;
                    while (i < n && isLineBlank(data[i]))
                        ++i;
                    start = i;
                } else if (i == start + 1) {
                    ++start;
                } else if (!inQuotes) {
                    --i;
                    ended = true;
                }
            } else if (c == '\\' && i < n) {
                const char next = data[i++];
                if (i < n && ((next == '\n' && data[i] == '\r') || (next == '\r' && data[i] == '\n')))
                    ++i;
            } else if (c == '"') {
                inQuotes = !inQuotes;
            }
        }
        pos = i;
        line.start = start;
        line.end = i;
        return i > start;
    }

    // A section or key name: "\" stands for "/", "%XX" and "%UXXXX" for a
    // character, read as QSettings reads the digits.
    QString decodeName(QByteArrayView name)
    {
        const QString text = QString::fromUtf8(name);
        QString out;
        out.reserve(text.size());
        for (qsizetype i = 0; i < text.size();) {
            const QChar c = text[i];
            if (c == u'\\' || c != u'%' || i == text.size() - 1) {
                out += c == u'\\' ? QChar(u'/') : c;
                ++i;
                continue;
            }
            const qsizetype digits = text[i + 1] == u'U' ? 4 : 2;
            const qsizetype first = i + 1 + (digits == 4 ? 1 : 0);
            bool ok = false;
            const ushort unit
                = first + digits <= text.size() ? QStringView(text).sliced(first, digits).toUShort(&ok, 16) : 0;
            if (!ok) {
                out += u'%';
                ++i;
                continue;
            }
            out += QChar(unit);
            i = first + digits;
        }
        return out;
    }

    // The section a "[...]" line opens: "" for General, else the name and "/".
    QString sectionKey(QByteArrayView name)
    {
        if (name.compare("general", Qt::CaseInsensitive) == 0)
            return QString();
        if (name.compare("%general", Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(name.sliced(1)) + u'/';
        return decodeName(name) + u'/';
    }

} // namespace

bool IniScan::hasUnclosedHeader() const
{
    return std::any_of(headers.cbegin(), headers.cend(), [](const IniHeader& h) { return !h.closed; });
}

namespace {
    // Of two lines with one key, QSettings takes the one in the more specific
    // section, and within one section the later line.
    bool takesOver(const IniEntry& later, const IniEntry& earlier)
    {
        return later.sectionLength >= earlier.sectionLength;
    }
} // namespace

qsizetype IniScan::winner(const QString& key) const
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].key == key && (best < 0 || takesOver(entries[i], entries[best])))
            best = i;
    }
    return best;
}

QHash<QString, qsizetype> IniScan::winners() const
{
    QHash<QString, qsizetype> best;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const auto it = best.constFind(entries[i].key);
        if (it == best.cend() || takesOver(entries[i], entries[*it]))
            best.insert(entries[i].key, i);
    }
    return best;
}

IniScan scanIni(QByteArrayView data)
{
    IniScan scan;
    if (data.startsWith("\xEF\xBB\xBF"))
        scan.bodyStart = 3;
    qsizetype afterMark = scan.bodyStart;
    while (afterMark < data.size() && (data[afterMark] == ' ' || data[afterMark] == '\t'))
        ++afterMark;
    QString section;
    bool sawLine = false;
    qsizetype pos = scan.bodyStart;
    Weighed weighed = weighedIn(data);
    for (Line line; nextLine(data, pos, line, weighed);) {
        const QByteArrayView text = data.sliced(line.start, line.end - line.start);
        if (!sawLine)
            scan.startsInGeneral = !text.startsWith('[');
        sawLine = true;
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = sectionKey(text.sliced(1, (close < 0 ? text.size() : close) - 1).trimmed());
            scan.headers << IniHeader { section, line.end, close >= 0 };
        } else if (line.equals >= 0) {
            // QSettings skips a mark to find the headers, but reads the keys
            // of [General] from the very start: the first line's name keeps
            // the blanks after the mark (the mark itself is dropped).
            const qsizetype from = scan.bodyStart > 0 && line.start == afterMark ? 0 : line.start;
            const QString name = decodeName(data.sliced(from, line.equals - from).trimmed());
            scan.entries << IniEntry { section + name, section.size(), line.start, line.end, line.equals + 1 };
        }
    }
    return scan;
}

} // namespace quillmoor
