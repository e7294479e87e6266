#pragma once

#include <QString>
#include <QStringView>

namespace quillmoor {

// One rule for the text of a saved search, whatever brings it in: the
// clipboard, the new text F2 asks for, a file imported. An entry is one line
// of plain text, so the list written one entry a line reads back as the same
// entries, and nothing in it can steer a terminal it is printed on.

// `text` as an entry: a byte-order mark at its start is dropped (also one
// that only a dropped control stood before), a line
// break (CR LF, LF or CR) becomes a blank, every other control character
// (NUL, ESC, DEL, the C1 range) is dropped, a tab stays, and half of a
// surrogate pair without its other half becomes U+FFFD. Empty when nothing
// but blanks is left: such a text is no entry. An entry is its own entry:
// entryText(entryText(x)) == entryText(x).
QString entryText(QStringView text);

// Whether `c` is a control character an entry never holds; a tab is none.
inline bool isEntryControl(char16_t c) { return (c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F); }

} // namespace quillmoor
