#include "IniText.h"

#include <QHash>
#include <QStringDecoder>
#include <algorithm>

namespace quillmoor {

namespace {

    // Blanks between lines; a form feed or a vertical tab is not one of them.
    bool isLineBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    int hexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            return (c | 0x20) - 'a' + 10;
        return -1;
    }
    int octDigit(char c) { return c >= '0' && c <= '7' ? c - '0' : -1; }

    struct Line {
        qsizetype start = 0, end = 0, equals = -1;
    };

    // The next line from `pos`. A line ends at a line break or a ";" outside
    // quotes; a backslash takes the next character (a line break too) along;
    // blank lines and whole-line comments are skipped. Answers false at the end.
    bool nextLine(QByteArrayView data, qsizetype& pos, Line& line)
    {
        const qsizetype n = data.size();
        qsizetype start = pos;
        while (start < n && isLineBlank(data[start]))
            ++start;
        line.equals = -1;
        bool inQuotes = false;
        qsizetype i = start;
        for (bool ended = false; i < n && !ended;) {
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

QByteArray encodeIniName(const QString& name)
{
    QByteArray out;
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u == '/')
            out += '\\';
        else if ((u >= '0' && u <= '9') || ((u | 0x20) >= 'a' && (u | 0x20) <= 'z') || u == '_' || u == '-' || u == '.')
            out += char(u);
        else if (u <= 0xFF)
            out += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
        else
            out += "%U" + QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
    }
    return out;
}

QString withoutLoneSurrogates(QString text)
{
    // Read through the constant view: writing a character makes a copy of
    // a text shared with the caller, which only a lone half is worth.
    const QString& chars = text;
    for (qsizetype i = 0; i < chars.size(); ++i) {
        if (chars[i].isHighSurrogate() && i + 1 < chars.size() && chars[i + 1].isLowSurrogate())
            ++i;
        else if (chars[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

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
    for (Line line; nextLine(data, pos, line);) {
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

namespace {

    // The escape whose backslash stands before `i`, added to `out`. Answers
    // false where the value ends inside it: QSettings then keeps the blanks
    // before it.
    bool decodeEscape(QByteArrayView raw, qsizetype& i, QString& out)
    {
        static const char kNamed[][2] = { { 'a', '\a' }, { 'b', '\b' }, { 'f', '\f' }, { 'n', '\n' }, { 'r', '\r' },
            { 't', '\t' }, { 'v', '\v' }, { '"', '"' }, { '?', '?' }, { '\'', '\'' }, { '\\', '\\' } };
        const qsizetype n = raw.size();
        if (i >= n)
            return false;
        const char e = raw[i++];
        const auto named = std::find_if(std::begin(kNamed), std::end(kNamed), [e](const char* p) { return p[0] == e; });
        const bool hex = e == 'x' && i < n && hexDigit(raw[i]) >= 0;
        if (named != std::end(kNamed)) {
            out += QLatin1Char((*named)[1]);
        } else if (hex || octDigit(e) >= 0) {
            // Code units are 16 bits: longer runs of digits wrap.
            char16_t unit = hex ? 0 : char16_t(octDigit(e));
            for (int d; i < n && (d = hex ? hexDigit(raw[i]) : octDigit(raw[i])) >= 0; ++i)
                unit = char16_t((unit << (hex ? 4 : 3)) + d);
            out += QChar(unit);
            return i < n;
        } else if (e == 'x') {
            return i < n;
        } else if (isIniBreak(e) && i < n && isIniBreak(raw[i]) && raw[i] != e) {
            ++i;
        }
        return true;
    }

    void chopBlanks(QString& out, qsizetype keepUpTo)
    {
        while (out.size() > keepUpTo && (out.back() == u' ' || out.back() == u'\t'))
            out.chop(1);
    }

} // namespace

namespace {

    // Decodes `raw` as QSettings does. Every so often `flush` may take the
    // start of `out` that nothing can change any more, everything before
    // `keepUpTo` or the last character that is no blank, so a long value
    // need not be held whole.
    template <class Flush>
    QStringList decodeIniValueWith(QByteArrayView raw, bool commasSplit, bool* isList, qsizetype room, Flush&& flush)
    {
        QStringDecoder utf8(QStringDecoder::Utf8);
        QStringList items;
        QString out;
        const qsizetype n = raw.size();
        // No more characters than bytes: a long value is decoded in place,
        // never through a copy of itself.
        out.reserve(qMin(n, room));
        qsizetype i = 0, keepUpTo = 0; // blanks before `keepUpTo` are part of the value
        bool inQuotes = false, quoted = false, chop = true;
        const auto skipBlanks = [&] {
            while (i < n && (raw[i] == ' ' || raw[i] == '\t'))
                ++i;
            keepUpTo = out.size();
        };
        skipBlanks();
        while (i < n && chop) {
            const char c = raw[i++];
            if (c == '\\') {
                chop = decodeEscape(raw, i, out);
                keepUpTo = out.size();
            } else if (c == '"') {
                quoted = true;
                inQuotes = !inQuotes;
                if (!inQuotes)
                    skipBlanks();
            } else if (c == ',' && !inQuotes && commasSplit) {
                if (!quoted)
                    chopBlanks(out, keepUpTo);
                quoted = false;
                items << std::exchange(out, QString());
                skipBlanks();
            } else if (c == ',' && !inQuotes) {
                quoted = false;
                out += u',';
                keepUpTo = out.size();
            } else {
                const qsizetype from = i - 1;
                while (i < n && raw[i] != '\\' && raw[i] != '"' && raw[i] != ',' && i - from < room)
                    ++i;
                const QByteArrayView run = raw.sliced(from, i - from);
                const qsizetype kept = out.size();
                out.resize(kept + utf8.requiredSpace(run.size()));
                out.truncate(utf8.appendToBuffer(out.data() + kept, run) - out.constData());
            }
            if (out.size() >= room) {
                qsizetype done = out.size();
                while (done > keepUpTo && (out[done - 1] == u' ' || out[done - 1] == u'\t'))
                    --done;
                flush(QStringView(out).first(done));
                out.remove(0, done);
                keepUpTo = qMax<qsizetype>(0, keepUpTo - done);
            }
        }
        if (chop && !quoted)
            chopBlanks(out, keepUpTo);
        if (isList)
            *isList = !items.isEmpty();
        items << out;
        return items;
    }

} // namespace

// Quotes group, backslash escapes, blanks around an unquoted value drop. The
// bytes between escapes and quotes go through one UTF-8 decoder, so a
// character may be split by a quote, and a mark that comes first is dropped.
QStringList decodeIniValue(QByteArrayView raw, bool commasSplit, bool* isList)
{
    return decodeIniValueWith(raw, commasSplit, isList, raw.size() + 1, [](QStringView) {});
}

bool iniValueReads(QByteArrayView raw, const QString& text)
{
    // What decodes to `text`: a text that starts with "@" is written with
    // one more, and one that starts with any other "@" form reads as no text
    // or as another, which differs from it at its first characters.
    const QString expected = text.startsWith(u'@') ? u'@' + text : text;
    qsizetype matched = 0;
    bool same = true;
    const auto compare = [&](QStringView part) {
        same = same && part.size() <= expected.size() - matched
            && QStringView(expected).sliced(matched, part.size()) == part;
        matched += part.size();
    };
    constexpr qsizetype kPiece = 1 << 16;
    const QStringList items = decodeIniValueWith(raw, false, nullptr, kPiece, compare);
    compare(items.constFirst());
    return same && matched == expected.size();
}

namespace {

    // How many arguments QSettings finds in "@Kind(a b …)".
    qsizetype argumentCount(QStringView s, qsizetype open)
    {
        const QStringView args = s.sliced(open + 1);
        return args.count(u' ') + args.count(u')');
    }

} // namespace

std::optional<QString> iniText(const QString& decoded)
{
    const QStringView s = decoded;
    if (s.startsWith(u'@') && s.endsWith(u')')) {
        if (s.startsWith(u"@ByteArray("))
            return QString::fromUtf8(s.sliced(11).chopped(1).toLatin1());
        if (s.startsWith(u"@String("))
            return withoutLoneSurrogates(s.sliced(8).chopped(1).toString());
        if (s.startsWith(u"@Variant(") || s.startsWith(u"@DateTime(") || s == u"@Invalid()"
            || (s.startsWith(u"@Rect(") && argumentCount(s, 5) == 4)
            || (s.startsWith(u"@Size(") && argumentCount(s, 5) == 2)
            || (s.startsWith(u"@Point(") && argumentCount(s, 6) == 2))
            return std::nullopt;
    }
    return withoutLoneSurrogates(s.startsWith(u"@@") ? decoded.sliced(1) : decoded);
}

// As QSettings writes a text, except that U+FEFF is always escaped: written
// as it is, QSettings would drop it where it comes first.
QByteArray encodeIniValue(const QString& text, QByteArrayView before, qsizetype after)
{
    const QString s = withoutLoneSurrogates(text.startsWith(u'@') ? u'@' + text : text);
    static const char kNamed[][2] = { { '\a', 'a' }, { '\b', 'b' }, { '\f', 'f' }, { '\n', 'n' }, { '\r', 'r' },
        { '\t', 't' }, { '\v', 'v' }, { '"', '"' }, { '\\', '\\' } };
    QByteArray out;
    // Room for the quotes and what follows, so that they go in without a
    // copy.
    out.reserve(before.size() + s.size() + 2 + after);
    out.append(before);
    bool needsQuotes = false;
    bool escapeHexDigit = false; // after a numeric escape a hex digit would join it
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t ch = s[i].unicode();
        needsQuotes = needsQuotes || ch == ';' || ch == ',' || ch == '=';
        if (escapeHexDigit && ch < 0x80 && hexDigit(char(ch)) >= 0) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        const auto named = std::find_if(
            std::begin(kNamed), std::end(kNamed), [ch](const char* p) { return ch < 0x80 && p[0] == char(ch); });
        escapeHexDigit = named == std::end(kNamed) && (ch < 0x20 || ch == 0xFEFF);
        if (named != std::end(kNamed))
            out += QByteArray("\\") + (*named)[1];
        else if (escapeHexDigit)
            out += "\\x" + QByteArray::number(ch, 16);
        else if (ch < 0x80)
            out += char(ch);
        else if (s[i].isHighSurrogate())
            out += s.sliced(i++, 2).toUtf8();
        else
            out += s.sliced(i, 1).toUtf8();
    }
    const QByteArrayView value = QByteArrayView(out).sliced(before.size());
    if (needsQuotes || value.startsWith(' ') || value.endsWith(' '))
        out.insert(before.size(), '"').append('"');
    return out;
}

IniRead readIniKey(QByteArrayView data, const IniScan& scan, const QString& section, const QString& key)
{
    IniRead read;
    const qsizetype at = scan.winner(section + u'/' + key);
    if (at < 0)
        return read;
    const IniEntry& entry = scan.entries[at];
    read.present = true;
    const std::optional<QString> text
        = iniText(decodeIniValue(data.sliced(entry.valueStart, entry.end - entry.valueStart), false).constFirst());
    read.isText = text.has_value();
    read.text = text.value_or(QString());
    return read;
}

bool iniKeyReads(
    QByteArrayView data, const IniScan& scan, const QString& section, const QString& key, const QString& text)
{
    const qsizetype at = scan.winner(section + u'/' + key);
    if (at < 0)
        return false;
    const IniEntry& entry = scan.entries[at];
    return iniValueReads(data.sliced(entry.valueStart, entry.end - entry.valueStart), text);
}

} // namespace quillmoor
