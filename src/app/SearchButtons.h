#pragma once

#include "SearchLists.h"

#include <QtGlobal>
#include <functional>

namespace quillmoor {

class CityListModel;
class PagesOpening;
class Form1;
class SavedListUndo;
class SearchListModel;
struct Platform;
struct WhereToOpen;

// What the search buttons work on beyond the window: the cities picked
// from, the saved searches, their undo history and where their pages open.
struct SavedListParts {
    const CityListModel& cities;
    // Every list; the buttons act on the one shown.
    SearchLists& lists;
    SearchListModel& searches() const { return lists.shown(); }
    SavedListUndo& undo;
    const WhereToOpen& where;
    // The pages on their way, their pace, and when searches were opened.
    PagesOpening& opening;
    // Keeps the whole list as a backup, before Clear All empties it.
    std::function<void()> backUp = {};
};

// More pages than this at once are asked about first.
constexpr int kAskAbovePages = 20;
// Whether `pages` pages may open: asked, above the limit, unless the user
// said not to be asked again.
bool mayOpenPages(Platform& platform, qsizetype pages);

// The click handlers of the search buttons. Each numbers its steps and
// reports a failing one, then carries on with the next; an edit of the
// saved list is one undo step named after the button.
void PushButton7_Click(Form1& form, Platform& platform, SavedListParts& saved); // Add Search
void PushButton2_Click(Form1& form, Platform& platform, SavedListParts& saved); // Open Selected
void PushButton6_Click(Form1& form, Platform& platform, SavedListParts& saved); // Open All
// The saved list's menu: the pages kept when opening stopped, and the
// searches not opened today.
void mnuOpenRest_Click(Form1& form, Platform& platform, SavedListParts& saved);
void mnuOpenNotToday_Click(Form1& form, Platform& platform, SavedListParts& saved);
void PushButton3_Click(Form1& form, Platform& platform, SavedListParts& saved); // Clear All
void PushButton4_Click(Form1& form, Platform& platform, SavedListParts& saved); // Delete Selected Search From List
void PushButton5_Click(Form1& form, Platform& platform, SavedListParts& saved); // Load Example/Sample Searches

} // namespace quillmoor
