#include "ShownRow.h"

#include "Failure.h"
#include "LocationFile.h"
#include "LocationLine.h"
#include "NameMatcher.h"

#include <QCoreApplication>

namespace quillmoor {

QString changedFileText()
{
    return QCoreApplication::translate(
        "LocationList", "The location file has changed since the list was shown; change the filter to read it again.");
}

void readShownRow(const QString& path, const QString& filter, qsizetype row, const QString& address,
    const std::function<void(qsizetype line, const LocationLine& location)>& take, const std::function<void()>& restart)
{
    const NameMatcher matcher(filter);
    qsizetype line = 0;
    qsizetype shown = 0;
    bool same = false;
    LocationFile(path).forEachLocation(
        {},
        [&](const LocationLine& location) {
            const qsizetype at = line++;
            if (!matcher.inDisplayName(location) || shown++ != row)
                return;
            same = location.address == address;
            take(at, location);
        },
        [&] {
            line = shown = 0;
            same = false;
            restart();
        });
    if (!same)
        throw Failure(changedFileText());
}

QList<qsizetype> rowsWhere(const QString& path, qsizetype line,
    const std::function<bool(const LocationLine& location)>& same,
    const std::function<bool(const LocationLine& location)>& picks)
{
    QList<qsizetype> rows;
    qsizetype row = 0;
    bool found = false;
    LocationFile(path).forEachLocation(
        {},
        [&](const LocationLine& location) {
            if (row == line)
                found = same(location);
            if (picks(location))
                rows.append(row);
            ++row;
        },
        [&] {
            rows.clear();
            row = 0;
            found = false;
        });
    if (!found)
        throw Failure(changedFileText());
    return rows;
}

} // namespace quillmoor
