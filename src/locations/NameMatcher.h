#pragma once

#include "LocationLine.h"

#include <QString>
#include <QStringView>
#include <vector>

namespace quillmoor {

// Finds a filter text in a display name without regard to case. The display
// name may be given in pieces (name, ", ", addition), so matching across
// them needs no joined copy. This runs once per line of list.txt on every
// keystroke: ASCII letters fold with one comparison, others through
// Unicode case folding of whole code points, so that letters outside the
// Basic Multilingual Plane (written as two UTF-16 units) fold too.
class NameMatcher {
public:
    explicit NameMatcher(QStringView filter);

    bool in(QStringView a, QStringView b = {}, QStringView c = {}) const;
    // In the display name of `location`.
    bool inDisplayName(const LocationLine& location) const
    {
        // The empty filter of every start takes each line without a call.
        return folded_.empty()
            || in(location.name, location.addition.isEmpty() ? QStringView() : u", ", location.addition);
    }

    static char32_t fold(char32_t c)
    {
        if (c < 0x80)
            return (c >= u'A' && c <= u'Z') ? c + 32 : c;
        return QChar::toCaseFolded(c);
    }

private:
    std::vector<char32_t> folded_; // the filter's code points, folded
};

} // namespace quillmoor
