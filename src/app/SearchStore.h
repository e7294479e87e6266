#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace quillmoor {

// What the store holds under one key.
struct StoredText {
    QString value;
    // Set when the file could not be taken as it stands and was kept whole
    // beside itself: a sentence saying so and naming the copy.
    QString notice;
};

// Throws the notice as a Failure, so the handler reports it once.
void reportNotice(const QString& notice);

// The per-user settings store: one INI file, texts under section and key.
// Reading an absent value gives the empty text. A symbolic link is followed
// to its target; anything that is not an ordinary file is refused, never
// waited on. Both throw Failure when the store cannot be read or written.
StoredText GetSetting(const QString& file, const QString& section, const QString& key);

// Replaces the value under the store's lock, writing through a link to its
// target and leaving every other line of the file as it was. `compose` gets
// the value stored at that moment and answers the value to write. A failed
// write leaves the previous file whole and no staged file behind. Answers a
// notice when the old file had to be kept aside.
QString SaveSetting(const QString& file, const QString& section, const QString& key,
    const std::function<QString(const QString& stored)>& compose);
QString SaveSetting(const QString& file, const QString& section, const QString& key, const QString& value);

// The text of an INI file as both of the above read and write it, without
// the file: the value under section and key (`whole` is false when the
// text is not all INI or the value is no text), and the text with that
// value replaced and every other line kept, or nothing when the value
// would not read back as it is.
QString iniValue(const QByteArray& data, const QString& section, const QString& key, bool* whole = nullptr);
std::optional<QByteArray> withIniValue(
    const QByteArray& data, const QString& section, const QString& key, const QString& value);

// The saved searches are stored as each entry followed by "|". An entry that
// holds a "|" itself would come back split, so a list with such an entry is
// stored with one leading "|" and every entry escaped ("%" as "%25", "|" as
// "%7C"); values without the leading bar read exactly as they always have.
bool needsEscaping(const QString& entry);
QString escapeEntry(const QString& entry);
QString unescapeEntry(QStringView piece);
inline bool isEscapedValue(const QString& value) { return value.startsWith(u'|'); }

// The stored value of a list of entries and back (empty entries drop out).
QString storedValue(const QStringList& entries);
QStringList storedEntries(const QString& value);

// Another copy of the program saved its list since this one read `atStart`:
// `storedNow` with this copy's changes applied. Entries in `mine` beyond
// those of `atStart` (counted with repeats) are appended in their order;
// entries of `atStart` missing from `mine` are removed once each.
QStringList mergeSearches(const QStringList& atStart, const QStringList& mine, const QStringList& storedNow);

} // namespace quillmoor
