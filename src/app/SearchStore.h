#pragma once

#include <QString>

namespace quillmoor {

// The per-user settings store: one INI file, texts under section and key.
// Reading an absent value gives the empty text; both throw Failure when the
// store cannot be read or written, and a failed write leaves the previous
// file whole.
QString GetSetting(const QString& file, const QString& section, const QString& key);
void SaveSetting(const QString& file, const QString& section, const QString& key, const QString& value);

// The saved searches are stored as each entry followed by "|". An entry that
// holds a "|" itself would come back split, so a list with such an entry is
// stored with one leading "|" and every entry escaped ("%" as "%25", "|" as
// "%7C"); values without the leading bar read exactly as they always have.
bool needsEscaping(const QString& entry);
QString escapeEntry(const QString& entry);
QString unescapeEntry(QStringView piece);
inline bool isEscapedValue(const QString& value) { return value.startsWith(u'|'); }

} // namespace quillmoor
