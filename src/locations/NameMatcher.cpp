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

namespace {

    // Whether unit `u` may begin a code point that folds to `first`: a
    // character beyond ASCII may fold to an ASCII letter (the Kelvin sign
    // to "k"), so only an ASCII unit can be ruled out this cheaply.
    bool mayStart(char16_t u, char32_t first)
    {
        return u >= 0x80 || char32_t((u >= u'A' && u <= u'Z') ? u + 32 : u) == first;
    }

} // namespace

bool NameMatcher::inOne(QStringView text) const
{
    const qsizetype n = qsizetype(folded_.size());
    const char16_t* s = reinterpret_cast<const char16_t*>(text.data());
    const qsizetype size = text.size();
    const char32_t* needle = folded_.data();
    for (qsizetype start = 0; start + n <= size; ++start) {
        if (!mayStart(s[start], needle[0]))
            continue;
        qsizetype i = start;
        qsizetype j = 0;
        while (j < n && i < size) {
            const char16_t u = s[i++];
            char32_t c;
            if (u < 0x80) {
                c = (u >= u'A' && u <= u'Z') ? char32_t(u + 32) : char32_t(u);
            } else if (QChar::isHighSurrogate(u) && i < size && QChar::isLowSurrogate(s[i])) {
                c = fold(QChar::surrogateToUcs4(u, s[i++]));
            } else {
                c = fold(u);
            }
            if (c != needle[j])
                break;
            ++j;
        }
        if (j == n)
            return true;
    }
    return false;
}

bool NameMatcher::in(QStringView a, QStringView b, QStringView c) const
{
    const qsizetype n = qsizetype(folded_.size());
    if (n == 0)
        return true;
    // Most matches lie in the name alone, which needs none of the joining
    // below; then only the starts from which a match may reach past the
    // name are left (a code point takes at most two units).
    if (inOne(a))
        return true;
    if (b.isEmpty() && c.isEmpty())
        return false;
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
    for (qsizetype start = qMax<qsizetype>(0, a.size() - 2 * n + 1); start + n <= total; ++start) {
        if (!mayStart(at(start), first))
            continue;
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
