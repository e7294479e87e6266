#pragma once

#include <QMenu>

namespace quillmoor {

// The saved-search list's context menu: open the searches, and choose where
// they open (engine, pages' age, one page for several cities). It keeps the
// choices as checked entries and says when the user changes one; what the
// choices mean is for the layers above, which name them.
class SearchMenu : public QMenu {
    Q_OBJECT
public:
    enum class Entry { OpenSelected, OpenAll, Engine, PagesFrom, CombineCities, Undo, StopOpening };

    // A choice of a submenu: the value it stands for and the name shown.
    struct Choice {
        QString key;
        QString name;
    };

    explicit SearchMenu(QWidget* parent = nullptr);

    QAction* action(Entry entry) const;
    QMenu* engineMenu() const { return engines_; }
    QMenu* ageMenu() const { return ages_; }

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
    // Undo and Stop Opening start disabled; whoever offers them enables them.
    void setUndoEnabled(bool enabled) { action(Entry::Undo)->setEnabled(enabled); }
    void setStopOpeningEnabled(bool enabled) { action(Entry::StopOpening)->setEnabled(enabled); }

signals:
    void openSelected();
    void openAll();
    // The user picked a choice (also one already checked).
    void engineChosen(const QString& key);
    void ageChosen(const QString& key);
    void combineCitiesChosen(bool on);
    void undo();
    void stopOpening();

private:
    static void fill(QMenu* menu, QActionGroup* group, const QList<Choice>& choices);
    static QString checkedKey(const QActionGroup* group);
    static void check(const QActionGroup* group, const QString& key);

    QMenu* engines_;
    QMenu* ages_;
    QActionGroup* engineGroup_;
    QActionGroup* ageGroup_;
    QList<QAction*> entries_;
};

} // namespace quillmoor
