#include "NearbyQuery.h"

#include "Failure.h"
#include "LocationFile.h"
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
    QList<qsizetype> rows;
    qsizetype row = 0;
    bool same = false;
    LocationFile(path).forEachLocation(
        {},
        [&](const LocationLine& location) {
            const std::optional<GeoPosition> at = positionIn(location);
            if (row == city.line)
                same = location.address == city.address && at == city.at;
            if (at && distanceKm(city.at, *at) <= km)
                rows.append(row);
            ++row;
        },
        [&] {
            rows.clear();
            row = 0;
            same = false;
        });
    // Else the city itself might be left out, or the cities near where it
    // no longer is selected.
    if (!same)
        throw Failure(changedFileText());
    return rows;
}

} // namespace quillmoor
