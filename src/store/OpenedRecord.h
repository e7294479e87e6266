#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace quillmoor {

// When each saved search was last handed to the browser: the entry's text
// and the seconds since 1970 (UTC). Kept by text, so a search keeps its
// time wherever it moves, and loses it when its text changes.
using OpenedRecord = QHash<QString, qint64>;

// The stored form, under a key of its own beside the saved searches (whose
// value other programs read and which keeps its format): for each entry
// that has a time, the seconds, a blank and the entry with "%" and "|"
// escaped, then "|". A piece that does not read so is skipped.
OpenedRecord openedRecordFromText(const QString& value);

// What a save stores over `stored`: the newer time of the two for each
// text, for the texts among `entries` only, in their order and once each.
// Null (leave the key out) while neither side holds a time.
QString mergedOpenedText(const QString& stored, const OpenedRecord& own, const QStringList& entries);

// Adds `own` to the times `settingsFile` keeps, for the searches it lists,
// in one careful save that changes nothing else; answers the save's notice.
// Throws Failure where the file cannot be written.
QString keepOpenedTimes(const QString& settingsFile, const OpenedRecord& own);

// The searches a page stands for, as one line's note carries them (no
// blank or line end in it), and back.
QByteArray openedNote(const QStringList& entries);
QStringList entriesOfNote(const QByteArray& note);

} // namespace quillmoor
