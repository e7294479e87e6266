#pragma once

#include "BookmarksHtml.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace quillmoor {

// The saved searches as a file of their own, to back the list up or carry it
// to another machine: one entry a line. Written as UTF-8; read in whatever
// list.txt may be written in (UTF-8, UTF-16 with or without a byte-order
// mark, Windows-1252) and cut into lines where list.txt is. Every entry goes
// out and comes in by the one rule for an entry's text (EntryText.h), so what
// goes out comes back the same. All throw Failure with a sentence naming the
// file.

// No list of searches comes near this; a larger file is refused unread.
constexpr qint64 kLargestSearchesFile = qint64(256) << 20;

// The bytes of the file for `entries`: each one and a line feed.
QByteArray searchesFileBytes(const QStringList& entries);

// Writes the file. An ordinary file (or none yet) is replaced whole or not
// at all: an earlier file of that name stays as it was when the write fails.
// Anything else there (a pipe, a FIFO, a terminal, a device such as
// /dev/stdout) is written straight into, never replaced. The settings file
// `settingsFile` itself, by any name or link, is refused: the list would
// take the place of every setting in it.
void writeSearchesFile(const QString& path, const QStringList& entries, const QString& settingsFile);
// Writes `bytes`, another kind of file of the searches, the same way.
void writeSearchesFileBytes(const QString& path, const QByteArray& bytes, const QString& settingsFile);

// Reads the entries of the file at `path` as it comes, one piece at a time,
// and hands each to `take`. When the file turns out to be in another code
// page and is read again, `restart` is called first: whatever was taken is
// to be dropped. Refused: anything but an ordinary file (a pipe or a device
// would keep the program waiting), a file over kLargestSearchesFile, one that
// holds no text (a NUL outside UTF-16, or control characters in more than
// one character of ten, as in a picture, a program or random bytes), and one
// that changes while it is read. With `takeLink`, a browser's bookmarks
// file hands it each link instead, read whole (see BookmarksHtml.h).
void forEachSearchInFile(const QString& path, const std::function<void(QString&& entry)>& take,
    const std::function<void()>& restart, const std::function<void(Bookmark&& link)>& takeLink = nullptr);

// All the entries of the file at `path`, read as above.
QStringList readSearchEntries(const QString& path);

} // namespace quillmoor
