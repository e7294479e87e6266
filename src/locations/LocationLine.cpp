#include "LocationLine.h"

namespace quillmoor {

std::optional<LocationLine> LocationLine::split(QStringView line)
{
    const qsizetype first = line.indexOf(u',');
    if (first < 0)
        return std::nullopt;
    const qsizetype second = line.indexOf(u',', first + 1);
    if (second < 0)
        return std::nullopt;
    qsizetype third = line.indexOf(u',', second + 1);
    if (third < 0)
        third = line.size();
    return LocationLine{line.first(first), line.sliced(first + 1, second - first - 1),
                        line.sliced(second + 1, third - second - 1)};
}

qsizetype LocationLine::fieldCount(QStringView line)
{
    return line.count(u',') + 1;
}

QString LocationLine::displayName() const
{
    if (addition.isEmpty())
        return name.toString();
    return name.toString().append(u", ").append(addition);
}

} // namespace quillmoor
