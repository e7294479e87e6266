#pragma once

#include "IniText.h"

namespace quillmoor {

// Changes to the text of an INI file that QSettings reads as meant.

// The file with each key of `section` set to its text, and every key that
// QSettings read before reading the same. A key whose text is already stored
// keeps its line byte for byte; a header missing its "]" is closed. Where a
// key's line cannot stand (say, an unclosed quote earlier swallows it) the
// line goes where it reads back; nothing when no place works. The section is
// never added a second time.
std::optional<QByteArray> withIniValues(
    const QByteArray& data, const QString& section, const QList<std::pair<QString, QString>>& values);

// The same, letting go of each text once its key is written, so that a long
// one is not held beside the copies of the file the keys after it make.
// Where a key finds no place, the texts let go come back as the file so far
// reads them, for another try.
std::optional<QByteArray> withIniValuesTaken(
    const QByteArray& data, const QString& section, QList<std::pair<QString, QString>>& values);

} // namespace quillmoor
