#pragma once

#include "ItemBatch.h"

#include <QString>

namespace quillmoor {

class Form1;
struct Platform;

// Fills ListView1 from list.txt at start-up and rebuilds it on every change of
// the filter box. The file is the only record of the locations: nothing is
// cached between keystrokes, so an edit of list.txt shows at the next one.
class LocationList {
public:
    LocationList(Form1& form, Platform& platform);

    // Appends every location of list.txt to ListView1. Throws Failure at the
    // first fault, with the locations before it already in the list.
    void LoadLocations();

    // The filter: keeps the lines whose display name contains the text of
    // Text1. A fault is reported once; typing on while the same fault
    // persists stays quiet.
    void Text1_Change();

private:
    void tell(int line, const QString& description);

    Form1& form_;
    Platform& platform_;
    QString lastFault_;
    // The rows the list showed before the last keystroke. Refilling memory
    // that is already mapped is far cheaper than fresh memory.
    ItemBatch spare_;
};

} // namespace quillmoor
