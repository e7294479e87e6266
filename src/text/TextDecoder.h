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
//
// The encoding holds for the whole file. A byte-order mark decides it
// (UTF-8, UTF-16 little- or big-endian) and is dropped. Without one, a file
// whose first line has a NUL at every other byte is UTF-16 all the same;
// else the file is UTF-8 when all of it is valid UTF-8, else Windows-1252,
// the code page such lists were written in on Windows. That is known only at
// the end, so the bytes are taken for UTF-8 while they are valid; the first
// invalid sequence asks the caller to start again from the first byte.
class TextDecoder {
public:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Windows1252 };

    // The most bytes a call may leave unused: the start of one character.
    static constexpr qsizetype kLongestCut = 3;
    // What decode() answers when the text so far was wrongly taken for UTF-8.
    static constexpr qsizetype kStartAgain = -1;

    TextDecoder();

    // Shows the decoder the first bytes of the file, at least its first line
    // when it is short, before the first decode(): they tell UTF-16 without
    // a byte-order mark. Only these bytes decide, whatever the size of the
    // reads that follow.
    void lookAtStart(QByteArrayView firstBytes);

    // Appends the text of `bytes` to `out` and answers how many bytes it
    // used. Unused bytes, the start of a character that the next read may
    // complete, belong in front of the next read. With `last` every byte is
    // used: a character cut off by the end of the file becomes U+FFFD.
    // Answers kStartAgain, appending nothing, when bytes taken for UTF-8
    // turn out not to be: the caller throws away all text it got and calls
    // again from the first byte of the file, which is then Windows-1252.
    qsizetype decode(QByteArrayView bytes, bool last, QString& out);

    // Whether a later call may still answer kStartAgain.
    bool mayStartAgain() const { return tentative_; }
    Encoding encoding() const { return encoding_; }

private:
    void use(Encoding encoding);

    QStringDecoder decoder_;
    QStringDecoder latin1_ { QStringDecoder::Latin1, QStringDecoder::Flag::Stateless };
    Encoding encoding_ = Encoding::Utf8;
    bool atStart_ = true; // a byte-order mark may come first, and only there
    bool tentative_ = false; // UTF-8 without a mark, as long as it is valid
};

} // namespace quillmoor
