#include "Application.h"

#include "ListTabs.h"
#include "ListView.h"
#include "MenuEntries.h"
#include "SearchMenu.h"

#include <utility>

namespace quillmoor {

void Application::connectLists()
{
    // The view shows the list the lists say is shown; the tabs and the
    // menu follow whatever changes the lists, an undo step or another
    // copy's change as much as the user's own.
    connect(&lists_, &SearchLists::namesChanged, this, &Application::showLists);
    connect(&lists_, &SearchLists::shownChanged, this, &Application::showLists);
    ListTabs* const tabs = form_.listTabs;
    connect(tabs, &ListTabs::listChosen, &lists_, &SearchLists::show);
    connect(tabs, &ListTabs::renameAsked, &listHandlers_, &ListHandlers::renameList);
    connect(tabs, &ListTabs::deleteAsked, &listHandlers_, &ListHandlers::deleteList);
    connect(tabs, &ListTabs::searchesDropped, &listHandlers_, &ListHandlers::moveToList);
    SearchMenu* const menu = form_.searchMenu;
    connect(menu, &SearchMenu::newList, &listHandlers_, &ListHandlers::newList);
    connect(menu, &SearchMenu::renameList, this, [this] { listHandlers_.renameList(lists_.shownIndex()); });
    connect(menu, &SearchMenu::deleteList, this, [this] { listHandlers_.deleteList(lists_.shownIndex()); });
    connect(menu, &SearchMenu::moveToList, &listHandlers_, &ListHandlers::moveToList);
    // A test without the user's data folder writes no menu entry.
    if (!platform_.userDataFolder.isEmpty())
        listHandlers_.applications = applicationsFolder(platform_.userDataFolder);
    connect(menu, &SearchMenu::addToApplicationsMenu, &listHandlers_, &ListHandlers::addToMenu);
    connect(menu, &SearchMenu::removeFromApplicationsMenu, &listHandlers_, &ListHandlers::removeFromMenu);
    connect(
        menu, &QMenu::aboutToShow, this, [this] { form_.searchMenu->setInApplicationsMenu(listHandlers_.inMenu()); });
}

void Application::showLists()
{
    SearchListModel* const shown = &lists_.shown();
    if (std::exchange(viewed_, shown) != shown)
        form_.savedList->setModel(shown);
    form_.showLists(lists_.names(), lists_.shownIndex());
    form_.searchMenu->setLists(lists_.names(), lists_.shownIndex());
}

} // namespace quillmoor
