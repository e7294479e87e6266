#pragma once

#include <QString>
#include <Qt>

namespace quillmoor {

// The most characters of a text that a list's row shows: several screens
// wide in any font. The rest stays in the list, but laying out and painting
// megabytes for one row would stall the window for many seconds.
constexpr qsizetype kShownLength = 4096;

// The role under which a list's model gives a row's whole text, where the
// display role gives only what is shown: tool tips, copying and the
// handlers read it.
constexpr int kFullTextRole = Qt::UserRole;

// `text` cut to kShownLength, never between the two halves of a surrogate
// pair. Handing in one character more than is shown is enough to tell.
inline QString shownText(QString text)
{
    if (text.size() > kShownLength) {
        qsizetype end = kShownLength;
        if (text.at(end - 1).isHighSurrogate())
            --end;
        text.truncate(end);
    }
    return text;
}

} // namespace quillmoor
