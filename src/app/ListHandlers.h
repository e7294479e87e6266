#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QUndoCommand;

namespace quillmoor {

class Form1;
class SavedListUndo;
class SearchLists;
struct Platform;

// The lists of saved searches from the window: New List, Rename List,
// Delete List and Move to List, each one undo step on the history the
// searches' edits share; and the undo steps of a list not shown, which show
// their list and name it. Each handler reports through the trap.
class ListHandlers : public QObject {
    Q_OBJECT
public:
    ListHandlers(Form1& form, Platform& platform, SearchLists& lists, SavedListUndo& undo);

    // The questions, as dialogs; tests answer them instead. A name asked
    // for again says why the last one would not do (`trouble`); no answer
    // means the user changed their mind.
    std::function<std::optional<QString>(const QString& title, const QString& shown, const QString& trouble)>
        askListName;
    std::function<bool(const QString& question)> askDeleteList;

    void newList();
    void renameList(qsizetype index);
    void deleteList(qsizetype index);
    // The picked searches of the list shown go to the end of list `index`.
    void moveToList(qsizetype index);
    // The list shown's entry in the desktop's applications menu, written in
    // `applications` (the user's folder), or taken away. A rename takes
    // the entry along, a deletion takes it away.
    QString applications;
    void addToMenu();
    void removeFromMenu();
    bool inMenu() const;

    // The caption of the undo (or redo) step at `step` of the history:
    // `text`, with the list it edits named where that is not the list shown.
    QString stepText(const QString& text, int step) const;
    // Shows the list the step at `step` edits, before it is undone or made
    // again.
    void showListOf(int step);

private:
    // A name for a list, asked until it would do; `self` may keep its own.
    std::optional<QString> askName(const QString& title, const QString& shown, qsizetype self);
    qsizetype listOf(const QUndoCommand* step) const;

    Form1& form_;
    Platform& platform_;
    SearchLists& lists_;
    SavedListUndo& undo_;
};

} // namespace quillmoor
