#include "StoredLookup.h"

#include "SavedList.h"

#include <QHash>
#include <algorithm>

namespace quillmoor {

StoredLookup::StoredLookup(const QString& value)
    : value_(value)
    , escaped_(isEscapedValue(value))
{
    entries_.reserve(size_t(value.count(u'|')) + 1);
    for (qsizetype from = 0; from <= value.size();) {
        const QStringView at = piece(from);
        if (!at.isEmpty())
            entries_.emplace_back(escaped_ ? qHash(unescapeEntry(at)) : qHash(at), from);
        from += at.size() + 1;
    }
    std::sort(entries_.begin(), entries_.end());
}

QStringView StoredLookup::piece(qsizetype from) const
{
    const qsizetype bar = value_.indexOf(u'|', from);
    return QStringView(value_).sliced(from, (bar < 0 ? value_.size() : bar) - from);
}

bool StoredLookup::contains(QStringView entry) const
{
    const size_t hash = qHash(entry);
    auto it = std::lower_bound(entries_.cbegin(), entries_.cend(), std::pair<size_t, qsizetype>(hash, -1));
    for (; it != entries_.cend() && it->first == hash; ++it) {
        const QStringView at = piece(it->second);
        if (escaped_ ? unescapeEntry(at) == entry : at == entry)
            return true;
    }
    return false;
}

} // namespace quillmoor
