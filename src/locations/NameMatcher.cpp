#include "NameMatcher.h"

namespace quillmoor {

namespace {

    // The folded code point that starts at unit `i` of `units`, of which
    // there are `size`; `i` moves past it. A surrogate without its partner
    // stands for itself, as in QString. `units` is anything that gives a
    // UTF-16 unit by index: a pointer, or the pieces of a display name.
    template <class Units> char32_t foldedAt(const Units& units, qsizetype& i, qsizetype size)
    {
        const char16_t u = units[i++];
        if (QChar::isHighSurrogate(u) && i < size && QChar::isLowSurrogate(units[i]))
            return NameMatcher::fold(QChar::surrogateToUcs4(u, units[i++]));
        return NameMatcher::fold(u);
    }

    // Whether unit `u` may begin a code point that folds to `first`: a
    // character beyond ASCII may fold to an ASCII letter (the Kelvin sign
    // to "k"), so only an ASCII unit can be ruled out this cheaply.
    bool mayStart(char16_t u, char32_t first) { return u >= 0x80 || NameMatcher::fold(u) == first; }

    // Whether the folded `needle` begins at a unit from `from` on.
    template <class Units>
    bool contains(const Units& units, qsizetype from, qsizetype size, const std::vector<char32_t>& needle)
    {
        const qsizetype n = qsizetype(needle.size());
        for (qsizetype start = from; start + n <= size; ++start) {
            if (!mayStart(units[start], needle[0]))
                continue;
            qsizetype i = start;
            qsizetype j = 0;
            while (j < n && i < size && foldedAt(units, i, size) == needle[size_t(j)])
                ++j;
            if (j == n)
                return true;
        }
        return false;
    }

    // Three views read as one text, without joining them.
    struct Pieces {
        QStringView a, b, c;
        char16_t operator[](qsizetype i) const
        {
            if (i < a.size())
                return a[i].unicode();
            i -= a.size();
            if (i < b.size())
                return b[i].unicode();
            return c[i - b.size()].unicode();
        }
    };

} // namespace

NameMatcher::NameMatcher(QStringView filter)
{
    folded_.reserve(size_t(filter.size()));
    const char16_t* units = filter.utf16();
    for (qsizetype i = 0; i < filter.size();)
        folded_.push_back(foldedAt(units, i, filter.size()));
}

bool NameMatcher::in(QStringView a, QStringView b, QStringView c) const
{
    const qsizetype n = qsizetype(folded_.size());
    if (n == 0)
        return true;
    // Most matches lie in the name alone, which needs none of the joining
    // below; then only the starts from which a match may reach past the
    // name are left (a code point takes at most two units).
    if (contains(a.utf16(), 0, a.size(), folded_))
        return true;
    if (b.isEmpty() && c.isEmpty())
        return false;
    return contains(
        Pieces { a, b, c }, qMax<qsizetype>(0, a.size() - 2 * n + 1), a.size() + b.size() + c.size(), folded_);
}

} // namespace quillmoor
