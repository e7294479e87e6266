#include "StateQuery.h"

#include "LocationLine.h"
#include "ShownRow.h"

namespace quillmoor {

std::optional<CityState> stateAtRow(const QString& path, const QString& filter, qsizetype row, const QString& address)
{
    std::optional<CityState> found;
    readShownRow(
        path, filter, row, address,
        [&](qsizetype line, const LocationLine& location) {
            if (!location.addition.isEmpty())
                found = CityState { line, address, location.addition.toString() };
        },
        [&] { found.reset(); });
    return found;
}

QList<qsizetype> rowsInState(const QString& path, const CityState& city)
{
    // Else another state's cities might be selected in its name.
    return rowsWhere(
        path, city.line,
        [&](const LocationLine& location) {
            return location.address == city.address && location.addition == city.state;
        },
        [&](const LocationLine& location) { return location.addition == city.state; });
}

} // namespace quillmoor
