#include "StateQuery.h"

#include "Failure.h"
#include "LocationFile.h"
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
    QList<qsizetype> rows;
    qsizetype row = 0;
    bool same = false;
    LocationFile(path).forEachLocation(
        {},
        [&](const LocationLine& location) {
            if (row == city.line)
                same = location.address == city.address && location.addition == city.state;
            if (location.addition == city.state)
                rows.append(row);
            ++row;
        },
        [&] {
            rows.clear();
            row = 0;
            same = false;
        });
    // Else another state's cities might be selected in its name.
    if (!same)
        throw Failure(changedFileText());
    return rows;
}

} // namespace quillmoor
