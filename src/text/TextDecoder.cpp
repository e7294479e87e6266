#include "TextDecoder.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace quillmoor {

namespace {

    bool isContinuation(uchar b) { return (b & 0xC0) == 0x80; }

    // How many bytes a UTF-8 sequence that starts with `b` has; 1 for a byte
    // that starts none (ASCII, or a byte that is never valid first).
    qsizetype sequenceLength(uchar b)
    {
        if (b >= 0xC2 && b <= 0xDF)
            return 2;
        if (b >= 0xE0 && b <= 0xEF)
            return 3;
        if (b >= 0xF0 && b <= 0xF4)
            return 4;
        return 1;
    }

    // How many bytes at the end of `bytes` start a character that more bytes
    // could complete: a first byte followed by fewer continuation bytes than
    // it needs. Any earlier character ends before them, whether it is valid
    // or not, so decoding up to them gives the same text as decoding on.
    qsizetype cutOffUtf8Tail(QByteArrayView bytes)
    {
        const qsizetype size = bytes.size();
        for (qsizetype back = 1; back <= qMin(TextDecoder::kLongestCut, size); ++back) {
            const uchar b = uchar(bytes[size - back]);
            if (!isContinuation(b))
                return sequenceLength(b) > back ? back : 0;
        }
        return 0;
    }

    // Whether `bytes` holds one in 0x80-0x9F, the only bytes where
    // Windows-1252 and Latin-1 differ.
    bool hasWindowsOnlyBytes(QByteArrayView bytes)
    {
        const char* p = bytes.data();
        const char* const end = p + bytes.size();
#ifdef __SSE2__
        const __m128i high3 = _mm_set1_epi8(char(0xE0)), c1 = _mm_set1_epi8(char(0x80));
        for (; end - p >= 16; p += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_and_si128(v, high3), c1)) != 0)
                return true;
        }
#endif
        for (; p < end; ++p) {
            if ((uchar(*p) & 0xE0) == 0x80)
                return true;
        }
        return false;
    }

    // Whether byte `nulAt` (0 or 1) of every two in the first line of
    // `bytes` is NUL and the other byte is not always: the first line of a
    // UTF-16 file whose mark is missing, ASCII as an address is.
    bool nulEveryOther(QByteArrayView bytes, qsizetype nulAt)
    {
        bool text = false;
        for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
            const char unit = bytes[i + 1 - nulAt];
            if (bytes[i + nulAt] != 0)
                return false;
            if (unit == '\n' || unit == '\r')
                break;
            text = text || unit != 0;
        }
        return text;
    }

    const QByteArrayView kUtf8Mark("\xEF\xBB\xBF");
    const QByteArrayView kUtf16LEMark("\xFF\xFE");
    const QByteArrayView kUtf16BEMark("\xFE\xFF");

} // namespace

// Stateless, so that nothing of one call leaks into the next; the initial
// byte-order mark is dropped here rather than by the decoder, which would
// drop one at the start of every call.
TextDecoder::TextDecoder() { use(Encoding::Utf8); }

void TextDecoder::lookAtStart(QByteArrayView firstBytes)
{
    if (nulEveryOther(firstBytes, 1))
        use(Encoding::Utf16LE);
    else if (nulEveryOther(firstBytes, 0))
        use(Encoding::Utf16BE);
}

void TextDecoder::use(Encoding encoding)
{
    constexpr auto flags = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;
    encoding_ = encoding;
    switch (encoding) {
    case Encoding::Utf8:
        decoder_ = QStringDecoder(QStringDecoder::Utf8, flags);
        break;
    case Encoding::Utf16LE:
        decoder_ = QStringDecoder(QStringDecoder::Utf16LE, flags);
        break;
    case Encoding::Utf16BE:
        decoder_ = QStringDecoder(QStringDecoder::Utf16BE, flags);
        break;
    case Encoding::Windows1252:
        decoder_ = QStringDecoder("windows-1252", flags);
        // A Qt without that code page still reads every other byte the same.
        if (!decoder_.isValid())
            decoder_ = QStringDecoder(QStringDecoder::Latin1, flags);
        break;
    }
}

qsizetype TextDecoder::decode(QByteArrayView bytes, bool last, QString& out)
{
    if (atStart_) {
        // Too few bytes yet to tell a mark from text.
        if (!last && bytes.size() < kUtf8Mark.size()
            && (kUtf8Mark.startsWith(bytes) || kUtf16LEMark.startsWith(bytes) || kUtf16BEMark.startsWith(bytes)))
            return 0;
        atStart_ = false;
        qsizetype mark = 0;
        if (encoding_ == Encoding::Windows1252) {
            // Starting again: the file has shown that it is no UTF-8.
        } else if (bytes.startsWith(kUtf8Mark)) {
            mark = kUtf8Mark.size();
        } else if (bytes.startsWith(kUtf16LEMark)) {
            use(Encoding::Utf16LE);
            mark = kUtf16LEMark.size();
        } else if (bytes.startsWith(kUtf16BEMark)) {
            use(Encoding::Utf16BE);
            mark = kUtf16BEMark.size();
        } else {
            // Unless the first line showed UTF-16.
            tentative_ = encoding_ == Encoding::Utf8;
        }
        if (mark > 0) {
            const qsizetype used = decode(bytes.sliced(mark), last, out);
            return used + mark;
        }
    }

    qsizetype cut = 0;
    if (!last) {
        if (encoding_ == Encoding::Utf8)
            cut = cutOffUtf8Tail(bytes);
        else if (encoding_ != Encoding::Windows1252)
            cut = bytes.size() % 2; // half of a UTF-16 unit
    }
    const QByteArrayView input = bytes.first(bytes.size() - cut);
    const qsizetype kept = out.size();
    out.resize(kept + decoder_.requiredSpace(input.size()));
    // Qt's Latin-1 decoder is several times faster than the code page's
    // own, and gives the same text for a read without 0x80-0x9F.
    QStringDecoder& decoder = encoding_ == Encoding::Windows1252 && !hasWindowsOnlyBytes(input) ? latin1_ : decoder_;
    const QChar* end = decoder.appendToBuffer(out.data() + kept, input);
    out.truncate(end - out.constData());
    if (tentative_ && decoder_.hasError()) {
        out.truncate(kept);
        tentative_ = false;
        atStart_ = true;
        use(Encoding::Windows1252);
        return kStartAgain;
    }
    if (tentative_ && last)
        tentative_ = false; // valid to the end
    return input.size();
}

} // namespace quillmoor
