#pragma once

#include <QMenu>

namespace quillmoor {

// The saved-search list's context menu: open the searches, edit the list,
// and choose where they open (engine, pages' age, one page for several
// cities). It keeps the choices as checked entries and says when the user
// changes one; what the choices mean is for the layers above, which name
// them. The entries' keys work without the menu too (addKeys()).
class SearchMenu : public QMenu {
    Q_OBJECT
public:
    enum class Entry {
        OpenSelected,
        OpenAll,
        EditText,
        MoveUp,
        MoveDown,
        Cut,
        Copy,
        Paste,
        Delete,
        SelectAll,
        Engine,
        PagesFrom,
        CombineCities,
        Undo,
        Redo,
        StopOpening,
        Import,
        Export,
        SelectSameText,
        Find,
        RemoveDuplicates,
        Restore,
        OpenRest,
        OpenNotToday,
        Pace,
        NewList,
        RenameList,
        DeleteList,
        MoveToList,
        AddToMenu,
        RemoveFromMenu,
    };

    // A choice of a submenu: the value it stands for and the name shown.
    struct Choice {
        QString key;
        QString name;
    };

    explicit SearchMenu(QWidget* parent = nullptr);

    QAction* action(Entry entry) const;
    QMenu* engineMenu() const { return engines_; }
    QMenu* ageMenu() const { return ages_; }
    QMenu* paceMenu() const { return paces_; }
    QMenu* moveToListMenu() const { return moveTo_; }
    // The lists' names and the one shown: Move to List offers the others,
    // and the first list, which older builds read, cannot be deleted.
    void setLists(const QStringList& names, qsizetype shown);
    // Whether the list shown has its entry in the desktop's applications
    // menu: one of Add to and Remove From is offered.
    void setInApplicationsMenu(bool in);

    // Fill a submenu; the checked choice stays checked when it is offered
    // again.
    void setEngines(const QList<Choice>& engines);
    void setAges(const QList<Choice>& ages);

    // The key of the checked choice; setting a key offered nowhere checks
    // nothing.
    QString engine() const;
    void setEngine(const QString& key);
    QString age() const;
    void setAge(const QString& key);
    bool combinesCities() const;
    void setCombinesCities(bool on);

    void setAgeEnabled(const QString& key, bool enabled);
    // What Open Selected and Open All say they do.
    void setOpenToolTips(const QString& selected, const QString& all);
    void setCombineCitiesEnabled(bool enabled) { action(Entry::CombineCities)->setEnabled(enabled); }
    // Undo, Redo and Stop Opening start disabled; whoever offers them
    // enables them. Undo and Redo name the step they would take back or do
    // again; an empty name disables them.
    void setUndoSteps(const QString& undo, const QString& redo);
    // Nothing can be undone, and `why` says so in Undo's place.
    void setUndoUnavailable(const QString& why);
    // The entries that edit selected searches, Paste, and Select All.
    void setEditEnabled(bool selected, bool canPaste, bool any);

    // The entries' keys, where they act without the menu: Undo and Redo in
    // all of `window` except its text boxes, which keep the keys for their
    // own text; the others in `list`, whose own Delete and Ctrl+A stay.
    void addKeys(QWidget* window, QWidget* list);
    void setStopOpeningEnabled(bool enabled) { action(Entry::StopOpening)->setEnabled(enabled); }
    // How fast pages open: the choices (their key the milliseconds) and the
    // one checked.
    void setPaces(const QList<Choice>& paces) { fill(paces_, paceGroup_, paces); }
    void setPace(const QString& key) { check(paceGroup_, key); }
    QString pace() const { return checkedKey(paceGroup_); }
    // Open the Rest while pages stopped are kept; Open Not Opened Today
    // while there are searches.
    void setOpenRestEnabled(bool enabled) { action(Entry::OpenRest)->setEnabled(enabled); }
    void setOpenNotTodayEnabled(bool enabled) { action(Entry::OpenNotToday)->setEnabled(enabled); }

signals:
    void openSelected();
    void openAll();
    // The user picked a choice (also one already checked).
    void engineChosen(const QString& key);
    void ageChosen(const QString& key);
    void combineCitiesChosen(bool on);
    void editText();
    // One place up (-1) or down (1).
    void moveSelected(int by);
    void copy();
    void cut();
    void deleteSelected();
    void selectAll();
    void paste();
    void undo();
    void redo();
    void stopOpening();
    void importSearches();
    void exportSearches();
    void selectSameText();
    void find();
    void removeDuplicates();
    void restoreSearches();
    void openRest();
    void openNotToday();
    void paceChosen(const QString& key);
    void newList();
    void renameList();
    void deleteList();
    // The picked searches go to the list at `index`.
    void moveToList(qsizetype index);
    void addToApplicationsMenu();
    void removeFromApplicationsMenu();

private:
    // Says that the user asked for `entry`, by the menu or by its key.
    void act(Entry entry);
    // New, Rename and Delete List, Move to List and the applications menu,
    // in a submenu of their own.
    void addListsMenu();
    static void fill(QMenu* menu, QActionGroup* group, const QList<Choice>& choices);
    static QString checkedKey(const QActionGroup* group);
    static void check(const QActionGroup* group, const QString& key);

    QMenu* engines_;
    QMenu* ages_;
    QActionGroup* engineGroup_;
    QActionGroup* ageGroup_;
    QMenu* paces_;
    QActionGroup* paceGroup_;
    QMenu* moveTo_;
    QList<QAction*> entries_;
};

} // namespace quillmoor
