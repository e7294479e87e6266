#pragma once

#include "SettingsKeys.h"

#include <QString>
#include <optional>

namespace quillmoor {

// The list a command acts on, by the keys its entries and its version are
// stored under: the first list's ("Searches") when no name is given.
struct ChosenList {
    QString name;
    QString entriesKey = settings::kSearches;
    QString versionKey = settings::kSearchesVersion;
    // Named on the command line, not yet in the file: an import makes it.
    bool isNew = false;
};

// The list named `name` in the settings file (the first for an empty
// name). A name the file does not hold is said on standard error with the
// lists it does hold, and answers nothing, unless `mayMake`.
std::optional<ChosenList> chooseList(const QString& settingsFile, const QString& name, bool mayMake);

// The names the file holds under "Lists" once `list` is among them, or the
// stored text as it is when it is.
QString namesWith(const QString& stored, const ChosenList& list);

// Prints each list with its number of searches, one a line; the status.
int printLists(const QString& settingsFile);

} // namespace quillmoor
