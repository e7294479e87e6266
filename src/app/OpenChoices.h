#pragma once

#include <QString>

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
    // Writes the choices the user made since the start; answers a notice
    // when the old file had to be kept aside.
    QString save(const Form1& form, const QString& settingsFile) const;

    void engineChosen() { engine_ = true; }
    void ageChosen() { age_ = true; }
    void combineCitiesChosen() { combine_ = true; }

private:
    bool engine_ = false;
    bool age_ = false;
    bool combine_ = false;
};

} // namespace quillmoor
