#pragma once

#include <QString>
#include <QStringView>

namespace quillmoor {

// Finds a filter text in a display name without regard to case. The display
// name may be given in pieces (name, ", ", addition), so matching across
// them needs no joined copy. This runs once per line of list.txt on every
// keystroke: ASCII letters fold with one comparison, others through
// Unicode case folding.
class NameMatcher {
public:
    explicit NameMatcher(QStringView filter);

    bool matchesAll() const { return folded_.isEmpty(); }
    bool in(QStringView a, QStringView b = {}, QStringView c = {}) const;

    static char16_t fold(char16_t c)
    {
        if (c < 0x80)
            return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
        return QChar::toCaseFolded(c);
    }

private:
    QString folded_;
};

} // namespace quillmoor
