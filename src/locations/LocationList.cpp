#include "LocationList.h"

#include "ErrorReport.h"
#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "LocationFile.h"
#include "LocationLine.h"
#include "NameMatcher.h"
#include "NearbyMenu.h"
#include "Platform.h"
#include "Trap.h"

#include <QLineEdit>
#include <QSignalBlocker>
#include <optional>

namespace quillmoor {

namespace {
    // Past this many characters the old rows' memory is given back rather than
    // kept for the next keystroke.
    constexpr qsizetype kSpareLimit = 32 << 20;

    QString changedFile()
    {
        return LocationList::tr(
            "The location file has changed since the list was shown; change the filter to read it again.");
    }

    // The fourth field of a line: what follows the addition, up to the next comma.
    std::optional<GeoPosition> positionIn(const LocationLine& location)
    {
        const qsizetype comma = location.rest.indexOf(u',');
        return parsePosition(comma < 0 ? location.rest : location.rest.first(comma));
    }
} // namespace

LocationList::LocationList(Form1& form, Platform& platform)
    : form_(form)
    , platform_(platform)
{
}

void LocationList::LoadLocations()
{
    // Whatever goes wrong here is remembered: the same fault would otherwise
    // come back at the first keystroke in the filter box.
    try {
        LocationFile file(LocationFile::pathIn(platform_.applicationFolder));
        ItemBatch items;
        const std::optional<QString> fault = file.read({}, items);
        form_.ListView1->addItems(std::move(items));
        if (fault)
            throw Failure(*fault);
    } catch (const std::exception& e) {
        lastFault_ = QString::fromStdString(e.what());
        throw;
    }
}

void LocationList::Text1_Change()
{
    std::optional<LocationFile> file;
    try {
        // Opened before the list is emptied: a file that cannot be read
        // leaves the list as it was.
        file.emplace(LocationFile::pathIn(platform_.applicationFolder));
    } catch (const std::exception& e) {
        tell(100, QString::fromStdString(e.what()));
        return;
    }
    try {
        const std::optional<QString> fault = refill(*file, form_.Text1->text());
        if (fault)
            tell(102, *fault);
        else
            lastFault_.clear();
    } catch (const std::exception& e) {
        tell(102, QString::fromStdString(e.what()));
    } catch (...) {
        tell(102, QStringLiteral("Unknown failure."));
    }
}

std::optional<QString> LocationList::refill(LocationFile& file, QStringView filter)
{
    spare_.reset();
    const std::optional<QString> fault = file.read(filter, spare_);
    form_.ListView1->swapItems(spare_);
    if (spare_.capacity() > kSpareLimit)
        spare_.clear();
    return fault;
}

void LocationList::tell(int line, const QString& description)
{
    if (description == lastFault_)
        return;
    lastFault_ = description;
    ShowErrorReport(platform_, QStringLiteral("Text1_Change"), line, description);
}

std::optional<LocationList::City> LocationList::cityAt(qsizetype row) const
{
    const QString address = form_.ListView1->itemText(row);
    const NameMatcher matcher(form_.Text1->text());
    qsizetype line = 0;
    qsizetype shown = 0;
    bool same = false;
    std::optional<City> found;
    LocationFile(LocationFile::pathIn(platform_.applicationFolder))
        .forEachLocation(
            {},
            [&](const LocationLine& location) {
                const qsizetype at = line++;
                if (!matcher.inDisplayName(location) || shown++ != row)
                    return;
                same = location.address == address;
                if (const std::optional<GeoPosition> position = positionIn(location))
                    found = City { at, address, *position };
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

void LocationList::ListView1_ContextMenu(qsizetype row, const QPoint& globalPos)
{
    Trap trap(platform_, QStringLiteral("ListView1_ContextMenu"));
    QString city;
    menuCity_.reset();
    if (!trap.run(100, [&] {
            city = form_.ListView1->subItemText(row);
            menuCity_ = cityAt(row);
        }))
        return;
    trap.run(102, [&] {
        form_.mnuNearby->offer(city, menuCity_ ? QString() : tr("list.txt gives no position for %1").arg(city));
    });
    trap.run(104, [&] { form_.mnuNearby->popup(globalPos); });
}

void LocationList::mnuNearby_Click(double km)
{
    Trap trap(platform_, QStringLiteral("mnuNearby_Click"));
    if (!menuCity_)
        return;
    const City city = *menuCity_;
    const QString path = LocationFile::pathIn(platform_.applicationFolder);
    std::optional<LocationFile> file;
    QList<qsizetype> rows;
    // Opened and searched first: a file that cannot be read, or that has
    // changed since the menu opened, leaves the list and the filter as they
    // were.
    if (!trap.run(100, [&] {
            file.emplace(path);
            rows = rowsNear(path, city, km);
        }))
        return;
    // The whole list, so that every city within reach can be selected.
    trap.run(102, [&] {
        const QSignalBlocker quiet(form_.Text1);
        form_.Text1->clear();
    });
    trap.run(104, [&] {
        const std::optional<QString> fault = refill(*file, {});
        // Typing on in the filter box while the fault persists stays quiet.
        lastFault_ = fault.value_or(QString());
        if (fault)
            throw Failure(*fault);
    });
    trap.run(106, [&] {
        // Only rows the list shows: a line that lacks its fields ends both.
        while (!rows.isEmpty() && rows.last() >= form_.ListView1->count())
            rows.removeLast();
        form_.ListView1->selectRows(rows);
    });
    trap.run(108, [&] { form_.ListView1->setFocus(); });
}

QList<qsizetype> LocationList::rowsNear(const QString& path, const City& city, double km)
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
        throw Failure(changedFile());
    return rows;
}

} // namespace quillmoor
