#include "GeoPosition.h"

#include <algorithm>
#include <cmath>

namespace quillmoor {

namespace {

    constexpr double kEarthRadiusKm = 6371.0088;
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

    // A plain decimal number: an optional sign, digits, and a fraction after
    // a point. No blanks, exponents, "nan" or "inf", which a general number
    // reader would take.
    std::optional<double> decimal(QStringView text)
    {
        qsizetype i = 0;
        if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
            ++i;
        qsizetype digits = 0;
        bool point = false;
        for (; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c >= u'0' && c <= u'9')
                ++digits;
            else if (c == u'.' && !point)
                point = true;
            else
                return std::nullopt;
        }
        if (digits == 0)
            return std::nullopt;
        bool ok = false;
        const double value = text.toDouble(&ok);
        return ok ? std::optional<double>(value) : std::nullopt;
    }

} // namespace

std::optional<GeoPosition> parsePosition(QStringView field)
{
    const qsizetype blank = field.indexOf(u' ');
    if (blank < 0)
        return std::nullopt;
    const std::optional<double> latitude = decimal(field.first(blank));
    const std::optional<double> longitude = decimal(field.sliced(blank + 1));
    if (!latitude || !longitude || std::abs(*latitude) > 90 || std::abs(*longitude) > 180)
        return std::nullopt;
    return GeoPosition { *latitude, *longitude };
}

double distanceKm(const GeoPosition& a, const GeoPosition& b)
{
    // The haversine form stays accurate for short distances, where the
    // cosine form loses its digits.
    const double lat1 = a.latitude * kRadiansPerDegree, lat2 = b.latitude * kRadiansPerDegree;
    const double sinLat = std::sin((lat2 - lat1) / 2);
    const double sinLon = std::sin((b.longitude - a.longitude) * kRadiansPerDegree / 2);
    const double h = sinLat * sinLat + std::cos(lat1) * std::cos(lat2) * sinLon * sinLon;
    return 2 * kEarthRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

} // namespace quillmoor
