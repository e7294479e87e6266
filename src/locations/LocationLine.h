#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace quillmoor {

// One line of list.txt: "address,name,addition[,anything]". Fields are split
// at every comma and kept exactly, blanks and quotes included.
struct LocationLine {
    QStringView address;  // the sub-site address, the list item's text
    QStringView name;     // start of the display name
    QStringView addition; // appended after ", " when not empty

    // The fields of `line`, or nothing when it has fewer than three.
    static std::optional<LocationLine> split(QStringView line);
    // How many comma-separated fields `line` has.
    static qsizetype fieldCount(QStringView line);

    QString displayName() const;
};

} // namespace quillmoor
