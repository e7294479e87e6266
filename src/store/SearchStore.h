#pragma once

#include "CarefulFile.h"
#include "IniEdit.h"
#include "SavedList.h"
#include "SearchMerge.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <utility>

namespace quillmoor {

// The per-user settings store: one INI file, texts under section and key,
// read exactly as QSettings reads them (see IniText.h and IniEdit.h). A symbolic link is
// followed to its target; anything that is not an ordinary file is refused,
// never waited on. Reading and writing throw Failure when the store cannot
// be read or written.

// What the store holds under one key.
struct StoredText {
    QString value;
    // Set when the file could not be taken as it stands and was kept whole
    // beside itself: a sentence saying so and naming the copy.
    QString notice;
};

// What the store holds under several keys of one section, by key (an absent
// key, or one after the first that holds no text, reads as the empty text),
// with the notice as above for the file and the first key.
struct StoredTexts {
    QHash<QString, QString> values;
    QString notice;
    bool allIni = true; // false when a header misses its "]"
};

// Throws the notice as a Failure, so the handler reports it once.
void reportNotice(const QString& notice);

// A key that ends in "*" stands for every key of the section that begins
// as it does (a family), read after the keys named in full: the texts are
// stored under the keys' own names.
StoredText GetSetting(const QString& file, const QString& section, const QString& key);
StoredTexts GetSettings(const QString& file, const QString& section, const QStringList& keys);
// As GetSettings, but only where it writes nothing and reports nothing: empty
// when the file cannot be read or is not whole. For a read made on a thread
// of its own, to be made again where it gives nothing.
std::optional<StoredTexts> GetWholeSettings(const QString& file, const QString& section, const QStringList& keys);

// Reads one key as GetSetting does, for a command that only reads: the file
// is left as it is, with no copy made beside it. A value that is no text is
// a Failure, as nothing could be taken from it; a file not all in INI format
// gives what could be read and a notice saying so.
// Reads several keys for a file that is only read, as the one key above:
// a file that cannot be read, or whose first key's value is no text, is a
// Failure; one not all in INI format gives what could be read.
StoredTexts ReadSettingsOnly(const QString& file, const QString& section, const QStringList& keys);
StoredText ReadSettingOnly(const QString& file, const QString& section, const QString& key);

// Writes several keys of one section in one careful save: under the store's
// lock, through a link to its target, staged and synced, so a failed write
// leaves the previous file whole and nothing staged behind. `compose` gets
// the texts stored under `keys` at the moment of the save, in order, and
// answers the texts to store there: for keys whose new texts depend on each
// other or on what is stored. A stored text is null (QString::isNull) when
// nothing is stored under its key: no file, an empty one, no such section or
// key; a key stored with the empty text gives an empty text that is not
// null. A null text answered leaves a key that is not there out. Every other
// key of the file, and a key whose text does not change, keeps its line
// byte for byte. A save never fails because of what the file holds: where
// the new lines cannot stand beside it, the old file is kept whole beside
// itself and a new one holds them. Answers a notice when the old file had to
// be kept aside.
// The texts are handed over: a composer that takes them by value may grow
// one into its new text rather than copy it.
using ComposeSettings = std::function<QStringList(QStringList stored)>;
struct SaveOptions {
    // How long the save waits for another holder of the lock.
    int lockWaitMs = kLockWaitMs;
    // Runs once the new file is in place (or nothing needed writing), still
    // under the lock: what must not be seen apart from the save.
    std::function<void()> whileLocked;
    // Where `keys` name a family (as GetSettings reads them), hears every
    // key the composer's texts stand for, in order, before it is asked.
    std::function<void(const QStringList& names)> spelt = {};
};
QString SaveSettings(const QString& file, const QString& section, const QStringList& keys,
    const ComposeSettings& compose, const SaveOptions& options = {});

} // namespace quillmoor
