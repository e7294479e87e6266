#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>
#include <utility>

namespace quillmoor {

// The text of an INI file exactly as QSettings (Qt 6.4, IniFormat) reads it,
// without the file. Other programs' sections may hold serialized values that
// must come back byte for byte, and decoding those could ask for any amount
// of memory, so only the INI escapes of a value are ever decoded, and a save
// changes only the lines it must.
//
// The reading follows QSettings' whole-file reading (as for allKeys(); one
// lookup on a fresh QSettings parses a single section and misses a key when
// another section, "[Quillmoor/A]" say, sorts between its section and it): a
// UTF-8 mark is skipped to find the headers; a line ends at a line break or
// a ";" outside quotes, so an unclosed quote runs to the end of the file; "%"
// escapes and "\" in section and key names are decoded; repeated sections
// are one section; of several lines with one key, the one in the most
// specific section wins, and within it the last. Two differences are
// deliberate: commas are text (a value is never a list), and a value that is
// not text ("@Variant(…)" and the like) is never decoded.

// One line of the file that gives a key a value.
struct IniEntry {
    QString key; // the full key: "section/name", or "name" in [General]
    qsizetype sectionLength = 0; // how much of `key` the section gives
    qsizetype start = 0, end = 0; // the line, up to a comment
    qsizetype valueStart = 0;
};

// A "[section]" line.
struct IniHeader {
    QString section; // as QSettings reads it, "" for [General]
    qsizetype end = 0; // where the line ends
    bool closed = true; // false when its "]" is missing
};

struct IniScan {
    qsizetype bodyStart = 0; // after a UTF-8 mark
    bool startsInGeneral = false; // a line stands before the first header
    QList<IniEntry> entries;
    QList<IniHeader> headers;
    bool hasUnclosedHeader() const;
    // The entry QSettings takes for a full key, or -1.
    qsizetype winner(const QString& key) const;
    // The entry QSettings takes for every key, by full key.
    QHash<QString, qsizetype> winners() const;
};

// A line ends at a line feed or a carriage return.
inline bool isIniBreak(char c) { return c == '\n' || c == '\r'; }

IniScan scanIni(QByteArrayView data);

// A value's text as QSettings decodes its escapes and quotes. With
// `commasSplit` the unquoted commas separate items, as QSettings reads a
// list; otherwise they are text, with the blanks beside them.
QStringList decodeIniValue(QByteArrayView raw, bool commasSplit, bool* isList = nullptr);

// The text a decoded value stands for ("@@x" is "@x"), or nothing when it
// holds a value of another type. Half of a surrogate pair reads as U+FFFD.
std::optional<QString> iniText(const QString& decoded);

// A section or key name as QSettings writes it.
QByteArray encodeIniName(const QString& name);

// Half of a surrogate pair is no character: it reads as U+FFFD, the way it
// would be written.
QString withoutLoneSurrogates(QString text);

// A text as an INI value that both this reading and QSettings read back the
// same.
// The pieces `before` come first, and room is left for `after` more bytes,
// so a file with a long value is made in one piece.
QByteArray encodeIniValue(const QString& text, std::initializer_list<QByteArrayView> before = {}, qsizetype after = 0);

// What one key of the file holds.
struct IniRead {
    bool present = false;
    bool isText = true;
    QString text;
};
IniRead readIniKey(QByteArrayView data, const IniScan& scan, const QString& section, const QString& key);

// Whether the key reads as the text `text`, as readIniKey() would read it,
// decoded a piece at a time and compared as it goes: a value of hundreds of
// megabytes is never decoded whole beside the text it is compared with.
bool iniKeyReads(
    QByteArrayView data, const IniScan& scan, const QString& section, const QString& key, const QString& text);
bool iniValueReads(QByteArrayView raw, const QString& text);

} // namespace quillmoor
