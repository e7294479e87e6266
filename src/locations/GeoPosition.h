#pragma once

#include <QStringView>
#include <optional>

namespace quillmoor {

// Where a city lies, in decimal degrees: north and east are positive.
struct GeoPosition {
    double latitude = 0;
    double longitude = 0;

    bool operator==(const GeoPosition& other) const
    {
        return latitude == other.latitude && longitude == other.longitude;
    }
};

// The position a line of list.txt may carry as its fourth field: latitude
// and longitude as decimal numbers ("42.35843 -71.05977") separated, and
// perhaps surrounded, by any white space. Anything else, numbers out of
// range included, is no position.
std::optional<GeoPosition> parsePosition(QStringView field);

// The great-circle distance between two positions in kilometres, on a
// sphere of the Earth's mean radius (off by at most half a percent).
double distanceKm(const GeoPosition& a, const GeoPosition& b);

} // namespace quillmoor
