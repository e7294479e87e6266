#include "IniChars.h"
#include "IniText.h"

#include <algorithm>

// Names and texts as QSettings writes them.

namespace quillmoor {

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

namespace {

    // Where the first half of a surrogate pair, or a lone half, stands: the
    // size when there is none, as in almost every text. Looked for in blocks
    // whose every character is weighed, which the compiler does several at a
    // time.
    qsizetype firstSurrogate(QStringView text)
    {
        const char16_t* chars = text.utf16();
        const auto isSurrogate = [](char16_t c) { return (c & 0xF800) == 0xD800; };
        constexpr qsizetype kBlock = 32;
        qsizetype i = 0;
        for (; i + kBlock <= text.size(); i += kBlock) {
            unsigned any = 0; // a bool here keeps the compiler to one at a time
            for (qsizetype k = 0; k < kBlock; ++k)
                any |= unsigned(isSurrogate(chars[i + k]));
            if (any != 0)
                break;
        }
        while (i < text.size() && !isSurrogate(chars[i]))
            ++i;
        return i;
    }

} // namespace

QString withoutLoneSurrogates(QString text)
{
    // Read through the constant view: writing a character makes a copy of
    // a text shared with the caller, which only a lone half is worth.
    const QString& chars = text;
    for (qsizetype i = firstSurrogate(text); i < chars.size(); ++i) {
        if (chars[i].isHighSurrogate() && i + 1 < chars.size() && chars[i + 1].isLowSurrogate())
            ++i;
        else if (chars[i].isSurrogate())
            text[i] = QChar::ReplacementCharacter;
    }
    return text;
}

// As QSettings writes a text, except that U+FEFF is always escaped: written
// as it is, QSettings would drop it where it comes first.
QByteArray encodeIniValue(const QString& text, std::initializer_list<QByteArrayView> before, qsizetype after)
{
    qsizetype head = 0;
    for (const QByteArrayView piece : before)
        head += piece.size();
    const QString s = withoutLoneSurrogates(text.startsWith(u'@') ? u'@' + text : text);
    static const char kNamed[][2] = { { '\a', 'a' }, { '\b', 'b' }, { '\f', 'f' }, { '\n', 'n' }, { '\r', 'r' },
        { '\t', 't' }, { '\v', 'v' }, { '"', '"' }, { '\\', '\\' } };
    QByteArray out;
    // Room for the quotes and what follows, so that they go in without a
    // copy.
    out.reserve(head + s.size() + 2 + after);
    for (const QByteArrayView piece : before)
        out.append(piece);
    bool needsQuotes = false;
    bool escapeHexDigit = false; // after a numeric escape a hex digit would join it
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t ch = s[i].unicode();
        needsQuotes = needsQuotes || ch == ';' || ch == ',' || ch == '=';
        if (escapeHexDigit && ch < 0x80 && ini::hexDigit(char(ch)) >= 0) {
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
    const QByteArrayView value = QByteArrayView(out).sliced(head);
    if (needsQuotes || value.startsWith(' ') || value.endsWith(' '))
        out.insert(head, '"').append('"');
    return out;
}

} // namespace quillmoor
