#include "TextDecoder.h"

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
    qsizetype cutOffTail(QByteArrayView bytes)
    {
        const qsizetype size = bytes.size();
        for (qsizetype back = 1; back <= qMin(TextDecoder::kLongestCut, size); ++back) {
            const uchar b = uchar(bytes[size - back]);
            if (!isContinuation(b))
                return sequenceLength(b) > back ? back : 0;
        }
        return 0;
    }

} // namespace

// Stateless, so that nothing of one call leaks into the next; the initial
// byte-order mark is dropped here rather than by the decoder, which would
// drop one at the start of every call.
TextDecoder::TextDecoder()
    : decoder_(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom)
{
}

qsizetype TextDecoder::decode(QByteArrayView bytes, bool last, QString& out)
{
    const qsizetype used = bytes.size() - (last ? 0 : cutOffTail(bytes));
    QByteArrayView input = bytes.first(used);
    if (atStart_) {
        const QByteArrayView bom("\xEF\xBB\xBF");
        if (!last && bytes.size() < bom.size() && bom.startsWith(bytes))
            return 0; // too few bytes yet to tell
        // A whole mark is never cut off, so it is in `input` when it is there.
        if (input.startsWith(bom))
            input = input.sliced(bom.size());
        atStart_ = false;
    }
    const qsizetype kept = out.size();
    out.resize(kept + decoder_.requiredSpace(input.size()));
    const QChar* end = decoder_.appendToBuffer(out.data() + kept, input);
    out.truncate(end - out.constData());
    return used;
}

} // namespace quillmoor
