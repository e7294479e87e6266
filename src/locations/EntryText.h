#pragma once

#include <QString>
#include <QStringView>
#include <functional>

namespace quillmoor {

// One rule for the text of a saved search, whatever brings it in: the
// clipboard, the new text F2 asks for, a file imported. An entry is one line
// of plain text, so the list written one entry a line reads back as the same
// entries, and nothing in it can steer a terminal it is printed on.

// `text` as an entry: a byte-order mark at its start is dropped, a line
// break (CR LF, LF or CR) becomes a blank, every other control character
// (NUL, ESC, DEL, the C1 range) is dropped, a tab stays, and half of a
// surrogate pair without its other half becomes U+FFFD. Empty when nothing
// but blanks is left: such a text is no entry.
QString entryText(QStringView text);

// Whether `c` is a control character an entry never holds; a tab is none.
inline bool isEntryControl(char16_t c) { return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F); }

// Cuts text that arrives piece by piece into lines where list.txt's reader
// does: CR LF, LF and a lone CR each end a line, also when a piece ends
// between the CR and the LF.
class LineSplitter {
public:
    // Hands `take` every line that `text` completes, without its line
    // break; the unfinished rest waits for the next piece. With `last` the
    // rest is a line too, unless it is empty.
    void split(QStringView text, bool last, const std::function<void(QStringView line)>& take);
    // Forgets the unfinished line, to start again.
    void clear();

private:
    QString pending_;
    bool skipLF_ = false; // the last piece ended in CR: an LF next belongs to it
};

} // namespace quillmoor
