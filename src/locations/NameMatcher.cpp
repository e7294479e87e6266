#include "NameMatcher.h"

namespace quillmoor {

NameMatcher::NameMatcher(QStringView filter)
{
    folded_.reserve(filter.size());
    for (QChar c : filter)
        folded_.append(QChar(fold(c.unicode())));
}

bool NameMatcher::in(QStringView a, QStringView b, QStringView c) const
{
    const qsizetype n = folded_.size();
    if (n == 0)
        return true;
    const qsizetype total = a.size() + b.size() + c.size();
    if (n > total)
        return false;
    const char16_t* needle = reinterpret_cast<const char16_t*>(folded_.constData());
    const auto at = [&](qsizetype i) -> char16_t {
        if (i < a.size())
            return a[i].unicode();
        i -= a.size();
        if (i < b.size())
            return b[i].unicode();
        return c[i - b.size()].unicode();
    };
    const char16_t first = needle[0];
    for (qsizetype start = 0; start + n <= total; ++start) {
        if (fold(at(start)) != first)
            continue;
        qsizetype j = 1;
        while (j < n && fold(at(start + j)) == needle[j])
            ++j;
        if (j == n)
            return true;
    }
    return false;
}

} // namespace quillmoor
