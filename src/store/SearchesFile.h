#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillmoor {

// The saved searches as a file of their own, to back the list up or carry it
// to another machine: one entry a line. Written as UTF-8; read in whatever
// list.txt may be written in (UTF-8, UTF-16 with or without a byte-order
// mark, Windows-1252). Both throw Failure with a sentence naming the file.

// The bytes of the file for `entries`: each one and a line feed.
QByteArray searchesFileBytes(const QStringList& entries);

// Writes the file whole or not at all: an earlier file of that name stays as
// it was when the write fails.
void writeSearchesFile(const QString& path, const QStringList& entries);

// The text of `bytes`, decoded as list.txt is. Bytes that are no text (a NUL
// outside UTF-16, as in a picture or a program) are refused.
QString decodeSearchesText(const QByteArray& bytes, const QString& path);

// The text of the file at `path`. Only an ordinary file is read: a pipe or a
// device would keep the program waiting.
QString readSearchesFile(const QString& path);

} // namespace quillmoor
