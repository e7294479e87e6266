#include "IniChars.h"
#include "IniText.h"

#include <QStringDecoder>
#include <algorithm>

// A value's escapes and quotes as QSettings decodes them, and what text it
// stands for.

namespace quillmoor {

using ini::hexDigit;
using ini::octDigit;

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

    // One value being decoded as QSettings decodes it, a step at a time.
    class ValueDecoder {
    public:
        ValueDecoder(QByteArrayView raw, bool commasSplit, qsizetype room)
            : raw_(raw)
            , commasSplit_(commasSplit)
            , room_(room)
        {
            // No more characters than bytes: a long value is decoded in
            // place, never through a copy of itself.
            out_.reserve(qMin(raw.size(), room));
            skipBlanks();
        }

        // Decodes what comes next; false once the value has ended.
        bool step()
        {
            if (i_ >= raw_.size() || !chop_)
                return false;
            const char c = raw_[i_++];
            if (c == '\\') {
                chop_ = decodeEscape(raw_, i_, out_);
                keepUpTo_ = out_.size();
            } else if (c == '"') {
                quote();
            } else if (c == ',' && !inQuotes_) {
                comma();
            } else {
                textRun();
            }
            return true;
        }

        // The text decoded fills the room given.
        bool full() const { return out_.size() >= room_; }

        // Hands `flush` the start of the text that nothing can change any
        // more, everything before `keepUpTo_` or the last character that is
        // no blank, and drops it.
        template <class Flush> void flushSettled(Flush& flush)
        {
            qsizetype done = out_.size();
            while (done > keepUpTo_ && (out_[done - 1] == u' ' || out_[done - 1] == u'\t'))
                --done;
            flush(QStringView(out_).first(done));
            out_.remove(0, done);
            keepUpTo_ = qMax<qsizetype>(0, keepUpTo_ - done);
        }

        QStringList finish(bool* isList)
        {
            if (chop_ && !quoted_)
                chopBlanks(out_, keepUpTo_);
            if (isList)
                *isList = !items_.isEmpty();
            items_ << std::move(out_);
            return std::move(items_);
        }

    private:
        void skipBlanks()
        {
            while (i_ < raw_.size() && (raw_[i_] == ' ' || raw_[i_] == '\t'))
                ++i_;
            keepUpTo_ = out_.size();
        }

        void quote()
        {
            quoted_ = true;
            inQuotes_ = !inQuotes_;
            if (!inQuotes_)
                skipBlanks();
        }

        // A comma outside quotes: the end of an item in a list, else text.
        void comma()
        {
            if (commasSplit_) {
                if (!quoted_)
                    chopBlanks(out_, keepUpTo_);
                quoted_ = false;
                items_ << std::exchange(out_, QString());
                skipBlanks();
            } else {
                quoted_ = false;
                out_ += u',';
                keepUpTo_ = out_.size();
            }
        }

        // The bytes up to the next escape, quote or comma, through the one
        // UTF-8 decoder, never more at once than the room given.
        void textRun()
        {
            const qsizetype from = i_ - 1;
            i_ = qMin(ends_.from(i_), from + qMin(room_, raw_.size() - from));
            const QByteArrayView run = raw_.sliced(from, i_ - from);
            const qsizetype kept = out_.size();
            out_.resize(kept + utf8_.requiredSpace(run.size()));
            out_.truncate(utf8_.appendToBuffer(out_.data() + kept, run) - out_.constData());
        }

        QByteArrayView raw_;
        // Where a run of plain text ends.
        ini::NextOf<3> ends_ { raw_.data(), raw_.size(), "\\\"," };
        bool commasSplit_;
        qsizetype room_;
        QStringDecoder utf8_ { QStringDecoder::Utf8 };
        QStringList items_;
        QString out_;
        qsizetype i_ = 0;
        qsizetype keepUpTo_ = 0; // blanks before it are part of the value
        bool inQuotes_ = false, quoted_ = false, chop_ = true;
    };

    // Decodes `raw` as QSettings does. Every so often `flush` may take the
    // start of the text that nothing can change any more, so a long value
    // need not be held whole.
    template <class Flush>
    QStringList decodeIniValueWith(QByteArrayView raw, bool commasSplit, bool* isList, qsizetype room, Flush&& flush)
    {
        ValueDecoder decoder(raw, commasSplit, room);
        while (decoder.step()) {
            if (decoder.full())
                decoder.flushSettled(flush);
        }
        return decoder.finish(isList);
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
