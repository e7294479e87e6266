#include "NearbyQuery.h"

#include "LocationLine.h"
#include "ShownRow.h"

namespace quillmoor {

namespace {

    // The fourth field of a line: what follows the addition, up to the next comma.
    std::optional<GeoPosition> positionIn(const LocationLine& location)
    {
        const qsizetype comma = location.rest.indexOf(u',');
        return parsePosition(comma < 0 ? location.rest : location.rest.first(comma));
    }

} // namespace

std::optional<City> cityAtRow(const QString& path, const QString& filter, qsizetype row, const QString& address)
{
    std::optional<City> found;
    readShownRow(
        path, filter, row, address,
        [&](qsizetype line, const LocationLine& location) {
            if (const std::optional<GeoPosition> position = positionIn(location))
                found = City { line, address, *position };
        },
        [&] { found.reset(); });
    return found;
}

QList<qsizetype> rowsNear(const QString& path, const City& city, double km)
{
    // Else the city itself might be left out, or the cities near where it
    // no longer is selected.
    return rowsWhere(
        path, city.line,
        [&](const LocationLine& location) {
            return location.address == city.address && positionIn(location) == city.at;
        },
        [&](const LocationLine& location) {
            const std::optional<GeoPosition> at = positionIn(location);
            return at && distanceKm(city.at, *at) <= km;
        });
}

} // namespace quillmoor
