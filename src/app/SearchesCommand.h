#pragma once

#include "ListChoice.h"

#include <QString>

namespace quillmoor {

// The saved searches from the command line, with no window and no display.
// Export and import go through the same careful save as the window (under
// the store's lock, merged with what is stored at that moment), so nothing
// stored is lost. Each answers the exit status: 0 when done, 1 when refused
// or failed, said in one line on standard error; the settings file is then
// unchanged.

// Each acts on `list`, the first list unless another is chosen.

// Writes the stored list to `path`, one entry a line in UTF-8; "-" is
// standard output.
int exportSearches(const QString& settingsFile, const QString& path, const ChosenList& list = {});

// Adds the lines of the text file at `path` to the end of the stored list;
// a list not yet in the file is made.
int importSearches(const QString& settingsFile, const QString& path, const ChosenList& list = {});

// Prints the backups in `folder`, newest first: when each was made, how
// many searches it holds, and its file.
int listSearchBackups(const QString& folder);

// Makes the stored list the entries of the file at `path`, read as import
// reads it, after keeping the stored list as a backup in `backups`.
int restoreSearches(
    const QString& settingsFile, const QString& path, const QString& backups, const ChosenList& list = {});

// Opens every stored search as Open All does (the engine, age and combining
// chosen in the window, the same queue, order and pace) and answers once the
// last page is handed over; 1 when a launcher failed or the settings file
// could not be read. `argc` and `argv` go to the application object that
// runs the queue.
int openAllSearches(int argc, char* argv[], const QString& settingsFile, const ChosenList& list = {});

// Stops the pages the program's other copies are opening (windows, and
// --open-all), through the session bus, where each copy with a run going
// offers its stop; says what it stopped, or that nothing was being opened
// (status 0 both), or why it could not ask (status 1).
int stopOpeningElsewhere(int argc, char* argv[]);

} // namespace quillmoor
