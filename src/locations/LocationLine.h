#pragma once

#include <QStringView>

namespace quillmoor {

// One line of list.txt: "address,name,addition[,anything]". Fields are split
// at every comma and kept exactly, blanks and quotes included; a line needs
// at least three of them. The display name is the name, followed by ", "
// and the addition when the addition is not empty.
struct LocationLine {
    QStringView address; // the sub-site address, the list item's text
    QStringView name; // start of the display name
    QStringView addition; // appended after ", " when not empty
    QStringView rest; // the fields after the addition, commas included; empty when there are none
};

} // namespace quillmoor
