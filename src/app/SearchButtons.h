#pragma once

#include <QtGlobal>

namespace quillmoor {

class Form1;
struct Platform;

// More pages than this at once are asked about first.
constexpr int kAskAbovePages = 20;
// Whether `pages` pages may open: asked, above the limit, unless the user
// said not to be asked again.
bool mayOpenPages(Platform& platform, qsizetype pages);

// The click handlers of the search buttons. Each numbers its steps and
// reports a failing one, then carries on with the next.
void PushButton7_Click(Form1& form, Platform& platform); // Add Search
void PushButton2_Click(Form1& form, Platform& platform); // Open Selected
void PushButton6_Click(Form1& form, Platform& platform); // Open All
void PushButton3_Click(Form1& form, Platform& platform); // Clear All
void PushButton4_Click(Form1& form, Platform& platform); // Delete Selected Search From List
void PushButton5_Click(Form1& form, Platform& platform); // Load Example/Sample Searches

} // namespace quillmoor
