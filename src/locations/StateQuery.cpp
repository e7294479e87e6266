#include "StateQuery.h"

#include "Failure.h"
#include "LocationFile.h"
#include "LocationLine.h"
#include "NameMatcher.h"

#include <QCoreApplication>

namespace quillmoor {

namespace {
    QString changedFile()
    {
        return QCoreApplication::translate("LocationList",
            "The location file has changed since the list was shown; change the filter to read it again.");
    }
} // namespace

std::optional<CityState> stateAtRow(const QString& path, const QString& filter, qsizetype row, const QString& address)
{
    const NameMatcher matcher(filter);
    qsizetype line = 0;
    qsizetype shown = 0;
    bool same = false;
    std::optional<CityState> found;
    LocationFile(path).forEachLocation(
        {},
        [&](const LocationLine& location) {
            const qsizetype at = line++;
            if (!matcher.inDisplayName(location) || shown++ != row)
                return;
            same = location.address == address;
            if (!location.addition.isEmpty())
                found = CityState { at, address, location.addition.toString() };
        },
        [&] {
            line = shown = 0;
            same = false;
            found.reset();
        });
    // The list shows list.txt as it was at the last change of the filter.
    if (!same)
        throw Failure(changedFile());
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
        throw Failure(changedFile());
    return rows;
}

} // namespace quillmoor
