#pragma once

#include "SearchStore.h"
#include "WhereToOpen.h"

#include <QList>
#include <QString>
#include <utility>

namespace quillmoor {

class Form1;
class SearchMenu;

// The choices checked in the menu; an unchecked one counts as the default.
WhereToOpen whereToOpen(const SearchMenu& menu);

// Offers the engines (with `where`'s own address when it has one) and the
// ages in the menu, checks `where`'s choices and shows them.
void offerWhereToOpen(Form1& form, const WhereToOpen& where);

// Disables the choices the checked engine lacks, and tells in the tool tips
// of the two Open buttons and entries where pages open.
void showWhereToOpen(Form1& form);


// Where searches open, kept in the settings file beside the saved searches
// under Engine, PagesFrom and CombineCities. A value this program does not
// know counts as the default and stays in the file as it is: only a choice
// the user makes is written back.
class OpenChoices {
public:
    // The keys read at start-up, after the saved searches.
    static QStringList keys();
    // Offers the stored choices in the window's menu.
    void restore(Form1& form, const StoredTexts& stored);
    // The keys of the choices the user made since the start, with their
    // new texts, for the save that writes the searches.
    QList<std::pair<QString, ComposeSetting>> chosenKeys(const Form1& form) const;

    // The choices kept under `keys` count as the user's (a list taken
    // back after a close that could not save them).
    void chosen(const QList<std::pair<QString, QString>>& keys);

    void engineChosen() { engine_ = true; }
    void ageChosen() { age_ = true; }
    void combineCitiesChosen() { combine_ = true; }

private:
    bool engine_ = false;
    bool age_ = false;
    bool combine_ = false;
};

} // namespace quillmoor
