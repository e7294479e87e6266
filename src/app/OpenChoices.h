#pragma once

#include "SearchStore.h"
#include "WhereToOpen.h"

#include <QList>
#include <QString>
#include <utility>

namespace quillmoor {

class Form1;
class SearchMenu;

// Where searches open as the settings file holds it; a value that is no
// text, or a file that is not all INI, means the default.
WhereToOpen storedWhereToOpen(const StoredTexts& stored);

// Where searches open, as the program holds it; the saved-search list's
// menu shows it. Kept in the settings file beside the saved searches under
// Engine, PagesFrom and CombineCities. A value this program does not know
// counts as the default and stays in the file as it is: only a choice the
// user makes is written back.
class OpenChoices {
public:
    // The keys read at start-up, after the saved searches.
    static QStringList keys();

    const WhereToOpen& where() const { return where_; }
    // Offers the engines and ages in the window's menu, checks the current
    // choices and shows them.
    void offer(Form1& form) const;
    // Takes `where` as it stands, not as the user's choice, and offers it.
    void set(Form1& form, const WhereToOpen& where);
    // Takes the stored choices and offers them.
    void restore(Form1& form, const StoredTexts& stored);
    // The user chose in the menu: the engine or age of `key`, or whether
    // Open All combines cities.
    void chooseEngine(Form1& form, const QString& key);
    void chooseAge(Form1& form, const QString& key);
    void chooseCombineCities(Form1& form, bool on);
    // The keys of the choices the user made since the start, with their
    // new texts, for the save that writes the searches.
    QList<std::pair<QString, QString>> chosenKeys() const;
    // The choices kept under `keys` count as the user's (a list taken
    // back after a close that could not save them).
    void chosen(const QList<std::pair<QString, QString>>& keys);

private:
    // Disables the choices the engine lacks, and tells in the tool tips of
    // the two Open buttons and entries where pages open.
    void show(Form1& form) const;

    WhereToOpen where_;
    bool engine_ = false;
    bool age_ = false;
    bool combine_ = false;
};

} // namespace quillmoor
