#include "NameMatcher.h"

namespace quillmoor {

NameMatcher::NameMatcher(QStringView filter)
{
    folded_.reserve(size_t(filter.size()));
    for (qsizetype i = 0; i < filter.size(); ++i) {
        const QChar u = filter[i];
        // A surrogate without its partner stands for itself, as in QString.
        if (u.isHighSurrogate() && i + 1 < filter.size() && filter[i + 1].isLowSurrogate())
            folded_.push_back(fold(QChar::surrogateToUcs4(u, filter[++i])));
        else
            folded_.push_back(fold(u.unicode()));
    }
}

bool NameMatcher::in(QStringView a, QStringView b, QStringView c) const
{
    const qsizetype n = qsizetype(folded_.size());
    if (n == 0)
        return true;
    // Every code point takes at least one UTF-16 unit.
    const qsizetype total = a.size() + b.size() + c.size();
    if (n > total)
        return false;
    const auto at = [&](qsizetype i) -> char16_t {
        if (i < a.size())
            return a[i].unicode();
        i -= a.size();
        if (i < b.size())
            return b[i].unicode();
        return c[i - b.size()].unicode();
    };
    // The folded code point at unit `i`, and in `i` the unit after it.
    const auto next = [&](qsizetype& i) -> char32_t {
        const char16_t u = at(i++);
        if (u < 0x80)
            return (u >= u'A' && u <= u'Z') ? char32_t(u + 32) : char32_t(u);
        if (QChar::isHighSurrogate(u) && i < total) {
            const char16_t low = at(i);
            if (QChar::isLowSurrogate(low)) {
                ++i;
                return fold(QChar::surrogateToUcs4(u, low));
            }
        }
        return fold(u);
    };
    const char32_t* needle = folded_.data();
    const char32_t first = needle[0];
    for (qsizetype start = 0; start + n <= total; ++start) {
        qsizetype i = start;
        if (next(i) != first)
            continue;
        qsizetype j = 1;
        while (j < n && i < total && next(i) == needle[j])
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

} // namespace quillmoor
