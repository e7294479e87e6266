#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace quillmoor {

// Turns the bytes of list.txt into text, one read at a time. A read ends
// wherever it ends, so it may cut a character in two; the decoder then takes
// only the bytes up to that character and leaves the rest for the caller to
// put in front of the next read. Every call decodes on its own, with no state
// carried inside, so the text of all reads together is exactly the text of
// the whole file decoded at once, however the file was cut.
class TextDecoder {
public:
    // The most bytes a call may leave unused: the start of one character.
    static constexpr qsizetype kLongestCut = 3;

    TextDecoder();

    // Appends the text of `bytes` to `out` and answers how many bytes it
    // used. Unused bytes, the start of a character that the next read may
    // complete, belong in front of the next read. With `last` every byte is
    // used: a character cut off by the end of the file becomes U+FFFD.
    qsizetype decode(QByteArrayView bytes, bool last, QString& out);

private:
    QStringDecoder decoder_;
    bool atStart_ = true; // a byte-order mark may come first, and only there
};

} // namespace quillmoor
