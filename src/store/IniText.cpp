#include "IniText.h"

#include <QHash>
#include <QStringDecoder>
#include <algorithm>

namespace quillmoor {

namespace {

    // Blanks between lines; a form feed or a vertical tab is not one of them.
    bool isLineBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
    bool isBreak(char c) { return c == '\n' || c == '\r'; }
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
            } else if (isBreak(c) || c == ';') {
                if (i == start + 1 && c == ';') {
                    while (i < n && !isBreak(data[i]))
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
            const ushort unit = first + digits <= text.size() ? QStringView(text).sliced(first, digits).toUShort(&ok, 16) : 0;
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

    // A name as QSettings writes it.
    QByteArray encodeName(const QString& name)
    {
        QByteArray out;
        for (const QChar c : name) {
            const char16_t u = c.unicode();
            if (u == '/')
                out += '\\';
            else if ((u < 0x80 && std::isalnum(u)) || u == '_' || u == '-' || u == '.')
                out += char(u);
            else if (u <= 0xFF)
                out += '%' + QByteArray::number(u, 16).toUpper().rightJustified(2, '0');
            else
                out += "%U" + QByteArray::number(u, 16).toUpper().rightJustified(4, '0');
        }
        return out;
    }

} // namespace

QString withoutLoneSurrogates(QString text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

bool IniScan::hasUnclosedHeader() const
{
    return std::any_of(headers.cbegin(), headers.cend(), [](const IniHeader& h) { return !h.closed; });
}

qsizetype IniScan::winner(const QString& key) const
{
    qsizetype best = -1;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (entries[i].key == key && (best < 0 || entries[i].sectionLength >= entries[best].sectionLength))
            best = i;
    }
    return best;
}

IniScan scanIni(QByteArrayView data)
{
    IniScan scan;
    if (data.startsWith("\xEF\xBB\xBF"))
        scan.bodyStart = 3;
    QString section;
    qsizetype pos = scan.bodyStart;
    for (Line line; nextLine(data, pos, line);) {
        const QByteArrayView text = data.sliced(line.start, line.end - line.start);
        if (text.startsWith('[')) {
            const qsizetype close = text.indexOf(']');
            section = sectionKey(text.sliced(1, (close < 0 ? text.size() : close) - 1).trimmed());
            scan.headers << IniHeader { section, line.end, close >= 0 };
        } else if (line.equals >= 0) {
            const QString name = decodeName(data.sliced(line.start, line.equals - line.start).trimmed());
            scan.entries << IniEntry { section + name, section.size(), line.start, line.end, line.equals + 1 };
        }
    }
    return scan;
}

// Quotes group, backslash escapes, blanks around an unquoted value drop. The
// bytes between escapes and quotes go through one UTF-8 decoder, so a
// character may be split by a quote, and a mark that comes first is dropped.
QStringList decodeIniValue(QByteArrayView raw, bool commasSplit, bool* isList)
{
    static const char kNamed[][2] = { { 'a', '\a' }, { 'b', '\b' }, { 'f', '\f' }, { 'n', '\n' }, { 'r', '\r' },
        { 't', '\t' }, { 'v', '\v' }, { '"', '"' }, { '?', '?' }, { '\'', '\'' }, { '\\', '\\' } };
    QStringDecoder utf8(QStringDecoder::Utf8);
    QStringList items;
    QString out;
    const qsizetype n = raw.size();
    qsizetype i = 0, keepUpTo = 0; // blanks before `keepUpTo` are part of the value
    bool inQuotes = false, quoted = false, chop = true;
    const auto skipBlanks = [&] {
        while (i < n && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
        keepUpTo = out.size();
    };
    skipBlanks();
    while (i < n) {
        const char c = raw[i++];
        if (c == '\\') {
            if (i >= n) {
                chop = false;
                break;
            }
            const char e = raw[i++];
            const auto named = std::find_if(std::begin(kNamed), std::end(kNamed), [e](const char* p) { return p[0] == e; });
            const bool hex = e == 'x' && i < n && hexDigit(raw[i]) >= 0;
            if (named != std::end(kNamed)) {
                out += QLatin1Char((*named)[1]);
            } else if (hex || octDigit(e) >= 0) {
                char16_t unit = hex ? 0 : char16_t(octDigit(e));
                for (int d; i < n && (d = hex ? hexDigit(raw[i]) : octDigit(raw[i])) >= 0; ++i)
                    unit = char16_t((unit << (hex ? 4 : 3)) + d);
                out += QChar(unit);
                chop = i < n;
            } else if (e == 'x') {
                chop = i < n;
            } else if (isBreak(e) && i < n && isBreak(raw[i]) && raw[i] != e) {
                ++i;
            }
            keepUpTo = out.size();
        } else if (c == '"') {
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            if (commasSplit) {
                while (!quoted && out.size() > keepUpTo && (out.back() == u' ' || out.back() == u'\t'))
                    out.chop(1);
                quoted = false;
                items << out;
                out.clear();
                skipBlanks();
            } else {
                quoted = false;
                out += u',';
                keepUpTo = out.size();
            }
        } else {
            const qsizetype from = i - 1;
            while (i < n && raw[i] != '\\' && raw[i] != '"' && raw[i] != ',')
                ++i;
            out += QString(utf8(raw.sliced(from, i - from)));
        }
        if (!chop)
            break;
    }
    if (chop && !quoted) {
        while (out.size() > keepUpTo && (out.back() == u' ' || out.back() == u'\t'))
            out.chop(1);
    }
    if (isList)
        *isList = !items.isEmpty();
    items << out;
    return items;
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
QByteArray encodeIniValue(const QString& text)
{
    const QString s = withoutLoneSurrogates(text.startsWith(u'@') ? u'@' + text : text);
    static const char kNamed[][2] = { { '\a', 'a' }, { '\b', 'b' }, { '\f', 'f' }, { '\n', 'n' }, { '\r', 'r' },
        { '\t', 't' }, { '\v', 'v' }, { '"', '"' }, { '\\', '\\' } };
    QByteArray out;
    out.reserve(s.size() + 2);
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
    if (needsQuotes || out.startsWith(' ') || out.endsWith(' '))
        out = '"' + out + '"';
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

namespace {

    // Every key as QSettings reads it: its items, and whether they are a list.
    using KeyValues = QHash<QString, std::pair<bool, QStringList>>;

    KeyValues keyValues(QByteArrayView data, const IniScan& scan)
    {
        QHash<QString, qsizetype> winners;
        for (qsizetype i = 0; i < scan.entries.size(); ++i) {
            const auto it = winners.constFind(scan.entries[i].key);
            if (it == winners.cend() || scan.entries[i].sectionLength >= scan.entries[*it].sectionLength)
                winners.insert(scan.entries[i].key, i);
        }
        KeyValues values;
        for (auto it = winners.cbegin(); it != winners.cend(); ++it) {
            const IniEntry& e = scan.entries[*it];
            bool list = false;
            QStringList items = decodeIniValue(data.sliced(e.valueStart, e.end - e.valueStart), true, &list);
            values.insert(it.key(), { list, std::move(items) });
        }
        return values;
    }

    qsizetype headerCount(const IniScan& scan, const QString& sectionKey)
    {
        return std::count_if(scan.headers.cbegin(), scan.headers.cend(),
            [&](const IniHeader& h) { return h.section == sectionKey; });
    }

    // What a candidate file must keep: every other key as it was read, no
    // header left open that was closed, the section not added again.
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
        const KeyValues now = keyValues(bytes, scan);
        for (auto it = promise.others.cbegin(); it != promise.others.cend(); ++it) {
            const auto there = now.constFind(it.key());
            if (there == now.cend() || *there != *it)
                return false;
        }
        return true;
    }

    struct Edit {
        qsizetype at = 0;
        qsizetype removed = 0;
        QByteArray inserted;
    };

    // Where a line ends, past its line break; and that break ("\n" if none).
    std::pair<qsizetype, QByteArray> pastLineBreak(QByteArrayView data, qsizetype at)
    {
        while (at < data.size() && !isBreak(data[at]))
            ++at;
        if (data.sliced(at).startsWith("\r\n"))
            return { at + 2, "\r\n" };
        if (at < data.size())
            return { at + 1, QByteArray(1, data[at]) };
        return { at, QByteArray() };
    }

    QByteArray sectionLine(const QString& section, const QByteArray& eol)
    {
        const QByteArray name = encodeName(section);
        return '[' + (name.compare("general", Qt::CaseInsensitive) == 0 ? '%' + name : name) + ']' + eol;
    }

    // The places a key's line may go, best first: over the line QSettings
    // takes now; after the section's last, then first, header; where the file
    // has no such section, a new one at the end, then at the start, ahead of
    // anything (an open quote, say) that could swallow it.
    QList<Edit> placesFor(const QByteArray& data, const IniScan& scan, const QString& section, const QString& key,
        const QByteArray& line)
    {
        const QString sectionKey = section + u'/';
        QList<Edit> places;
        const qsizetype now = scan.winner(sectionKey + key);
        if (now >= 0 && scan.entries[now].sectionLength == sectionKey.size())
            places << Edit { scan.entries[now].start, scan.entries[now].end - scan.entries[now].start, line };
        QList<const IniHeader*> ours;
        for (const IniHeader& header : scan.headers) {
            if (header.section == sectionKey)
                ours << &header;
        }
        if (!ours.isEmpty()) {
            for (const IniHeader* header : { ours.constLast(), ours.constFirst() }) {
                const auto [at, eol] = pastLineBreak(data, header->end);
                places << Edit { at, 0, (eol.isEmpty() ? "\n" + line + '\n' : line + eol) };
            }
            return places;
        }
        const QByteArray eol = data.contains("\r\n") ? "\r\n" : "\n";
        const QByteArray added = sectionLine(section, eol) + line + eol;
        const bool empty = data.size() == scan.bodyStart;
        places << Edit { data.size(), 0, (empty ? "" : isBreak(data.back()) ? eol : eol + eol) + added };
        // Whatever stood before the first header stays in [General].
        Line first;
        qsizetype pos = scan.bodyStart;
        const bool general = nextLine(data, pos, first) && data[first.start] != '[';
        places << Edit { scan.bodyStart, 0, added + (general ? "[General]" + eol : QByteArray()) };
        return places;
    }

    std::optional<QByteArray> withOneValue(
        const QByteArray& data, const QString& section, const QString& key, const QString& value)
    {
        const QString text = withoutLoneSurrogates(value);
        const auto readsBack = [&](QByteArrayView bytes, const IniScan& scan) {
            const IniRead read = readIniKey(bytes, scan, section, key);
            return read.present && read.isText && read.text == text;
        };
        const IniScan scan = scanIni(data);
        if (readsBack(data, scan))
            return data;
        Promise promise = promiseOf(data, scan, section + u'/');
        promise.others.remove(section + u'/' + key);
        const QByteArray line = encodeName(key) + '=' + encodeIniValue(text);
        for (const Edit& edit : placesFor(data, scan, section, key, line)) {
            QByteArray bytes = data;
            bytes.replace(edit.at, edit.removed, edit.inserted);
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
    QByteArray bytes = withClosedHeaders(data);
    for (const auto& [key, text] : values) {
        std::optional<QByteArray> next = withOneValue(bytes, section, key, text);
        if (!next)
            return std::nullopt;
        bytes = std::move(*next);
    }
    return bytes;
}

QString iniValue(const QByteArray& data, const QString& section, const QString& key, bool* whole)
{
    const IniScan scan = scanIni(data);
    const IniRead read = readIniKey(data, scan, section, key);
    if (whole)
        *whole = read.isText && !scan.hasUnclosedHeader();
    return read.text;
}

std::optional<QByteArray> withIniValue(
    const QByteArray& data, const QString& section, const QString& key, const QString& value)
{
    return withIniValues(data, section, { { key, value } });
}

} // namespace quillmoor
