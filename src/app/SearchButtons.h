#pragma once

namespace quillmoor {

class CityListModel;
class Form1;
class SavedListUndo;
class SearchListModel;
struct Platform;
struct WhereToOpen;

// What the search buttons work on beyond the window: the cities picked
// from, the saved searches, their undo history and where their pages open.
struct SavedListParts {
    const CityListModel& cities;
    SearchListModel& searches;
    SavedListUndo& undo;
    const WhereToOpen& where;
};

// The click handlers of the search buttons. Each numbers its steps and
// reports a failing one, then carries on with the next; an edit of the
// saved list is one undo step named after the button.
void PushButton7_Click(Form1& form, Platform& platform, SavedListParts& saved); // Add Search
void PushButton2_Click(Form1& form, Platform& platform, SavedListParts& saved); // Open Selected
void PushButton6_Click(Form1& form, Platform& platform, SavedListParts& saved); // Open All
void PushButton3_Click(Form1& form, Platform& platform, SavedListParts& saved); // Clear All
void PushButton4_Click(Form1& form, Platform& platform, SavedListParts& saved); // Delete Selected Search From List
void PushButton5_Click(Form1& form, Platform& platform, SavedListParts& saved); // Load Example/Sample Searches

} // namespace quillmoor
