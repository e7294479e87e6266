#pragma once

#include "SearchStore.h"

#include <QList>
#include <QString>
#include <utility>

namespace quillmoor {

class Form1;

// Where searches open, kept in the settings file beside the saved searches
// under Engine, PagesFrom and CombineCities. A value this program does not
// know counts as the default and stays in the file as it is: only a choice
// the user makes is written back.
class OpenChoices {
public:
    // Offers the stored choices in the window's menu.
    void restore(Form1& form, const QString& settingsFile);
    // The keys of the choices the user made since the start, with their
    // new texts, for the save that writes the searches.
    QList<std::pair<QString, ComposeSetting>> chosenKeys(const Form1& form) const;

    void engineChosen() { engine_ = true; }
    void ageChosen() { age_ = true; }
    void combineCitiesChosen() { combine_ = true; }

private:
    bool engine_ = false;
    bool age_ = false;
    bool combine_ = false;
};

} // namespace quillmoor
