#include "GeoPosition.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quillmoor {

namespace {

    constexpr double kEarthRadiusKm = 6371.0088;
    constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180;

    // A plain decimal number: an optional sign, digits, and a fraction after
    // a point. No blanks, exponents, "nan" or "inf", which a general number
    // reader would take, and never the locale's decimal comma. Every line of
    // a long list is read, so this avoids the general readers' cost too.
    std::optional<double> decimal(QStringView text)
    {
        char latin1[32];
        if (text.size() >= qsizetype(sizeof latin1))
            return std::nullopt;
        qsizetype i = 0;
        const bool negative = !text.isEmpty() && text[0] == u'-';
        if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
            ++i;
        int digits = 0;
        bool point = false;
        char* out = latin1;
        for (; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (c >= u'0' && c <= u'9')
                ++digits;
            else if (c == u'.' && !point)
                point = true;
            else
                return std::nullopt;
            *out++ = char(c);
        }
        double value = 0;
        if (digits == 0 || std::from_chars(latin1, out, value).ptr != out)
            return std::nullopt;
        return negative ? -value : value;
    }

} // namespace

std::optional<GeoPosition> parsePosition(QStringView field)
{
    // Editors and spreadsheets leave tabs, doubled blanks and no-break
    // spaces (0xA0 in Windows-1252) around and between the numbers.
    field = field.trimmed();
    qsizetype end = 0;
    while (end < field.size() && !field[end].isSpace())
        ++end;
    if (end == field.size())
        return std::nullopt;
    qsizetype next = end;
    while (field[next].isSpace()) // trimmed: the field ends in no space
        ++next;
    const std::optional<double> latitude = decimal(field.first(end));
    const std::optional<double> longitude = decimal(field.sliced(next));
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
