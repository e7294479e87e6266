#pragma once

#include <QStringList>
#include <QTabBar>

namespace quillmoor {

// The lists of saved searches as tabs above the saved list, one a list,
// while there are two or more; with one list the window is as it always
// was. A long name is cut short on its tab and shown whole in its tool tip.
// Ctrl+Page Down and Ctrl+Page Up go to the next and the previous list from
// anywhere in the window, as in every tabbed program; a tab's own menu
// renames or deletes its list.
class ListTabs : public QTabBar {
    Q_OBJECT
public:
    // `window` hears the keys; rows dragged from `rows` onto another tab
    // are said as searchesDropped().
    ListTabs(QWidget* window, QWidget* rows, QWidget* parent);

    // The lists' names, and the one shown.
    void setLists(const QStringList& names, qsizetype shown);
    // Whether there are lists enough to show tabs.
    bool wanted() const { return count() >= 2; }

signals:
    // The user chose another list, by a tab or a key.
    void listChosen(qsizetype index);
    void renameAsked(qsizetype index);
    void deleteAsked(qsizetype index);
    // The rows being dragged from the saved list were dropped on the tab of
    // list `index`.
    void searchesDropped(qsizetype index);

protected:
    QSize tabSizeHint(int index) const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void step(int by);
    // The tab a drag from the saved list may drop on, or -1.
    int dropTab(const QDropEvent* event) const;
    QWidget* rows_;
    bool setting_ = false;
};

} // namespace quillmoor
