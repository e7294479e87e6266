#pragma once

#include "Dialogs.h"
#include "ListEdits.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace quillmoor {

class Form1;
class OpenChoices;
class SavedListUndo;
class SearchListModel;
class SearchLists;
struct Platform;

// The saved list's edits beyond the buttons: the clipboard, moving entries,
// a new search text for several, and the list as a file of its own. Each
// handler is one undo step and reports through the trap like every other.
class SavedListEditing : public QObject {
    Q_OBJECT
public:
    // Each acts on the list shown. `choices` say where pages open: an import
    // reads results pages back by them, an export writes bookmarks of those
    // pages.
    SavedListEditing(
        Form1& form, Platform& platform, SearchLists& lists, SavedListUndo& undo, const OpenChoices& choices);

    // The questions the edits ask, as dialogs; tests answer them instead.
    // An empty answer (or none) means the user changed their mind.
    std::function<std::optional<QString>(const QString& shown)> askSearchText;
    std::function<QString()> askImportFile;
    std::function<QString()> askExportFile;
    // Says what an edit did that the list alone does not show (what an
    // import left out, how many duplicates went).
    std::function<void(const QString& title, const QString& text)> tell;
    // Which of the backups, described by `choices`, to restore (-1: none);
    // `later` is set while it asks to what changes a choice's text.
    std::function<int(const QStringList& choices, const QString& folder, ChoiceText* later)> askBackup;
    // Keeps a backup of the list before a change of all of it; where backups
    // are kept.
    std::function<void()> backUp;
    std::function<QString()> backups;

    void copy();
    void cut();
    void paste();
    void move(int by);
    // The selected entries dragged to where row `to` is.
    void drop(qsizetype to);
    void editText();
    void importSearches();
    void exportSearches();
    // Takes out every search saved before, leaving the first of each, as
    // one step, and says how many went.
    void removeDuplicates();
    // Selects every search with the search text of the current one.
    void selectSameText();
    // The list becomes that of a backup the user picks, as one step.
    void restoreBackup();

private:
    // The selected rows, or none when nothing is selected.
    QList<qsizetype> selected() const;
    // Moves the selected entries as `rearrange` says, as one step.
    void moveTo(const QString& procedure, const QString& step,
        const std::function<Rearranged(const QStringList&, const QList<qsizetype>&)>& rearrange);

    Form1& form_;
    Platform& platform_;
    SearchListModel& searches() const;
    SearchLists& lists_;
    SavedListUndo& undo_;
    const OpenChoices& choices_;
};

} // namespace quillmoor
