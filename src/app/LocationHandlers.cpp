#include "LocationHandlers.h"

#include "Failure.h"
#include "Form1.h"
#include "ListView.h"
#include "LocationFile.h"
#include "NearbyMenu.h"
#include "OwnList.h"
#include "Platform.h"
#include "Trap.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace quillmoor {

namespace {
    // Past this many characters the old rows' memory is given back rather than
    // kept for the next keystroke.
    constexpr qsizetype kSpareLimit = 32 << 20;
} // namespace

LocationHandlers::LocationHandlers(Form1& form, Platform& platform)
    : form_(form)
    , platform_(platform)
{
    form_.cityList->setModel(&cities_);
}

QString LocationHandlers::path() const { return chosenListPath(platform_.userDataFolder, platform_.applicationFolder); }

void LocationHandlers::LoadLocations(ReadAhead<LocationFile::WholeList>* ahead)
{
    // Whatever goes wrong here is remembered: the same fault would otherwise
    // come back at the first keystroke in the filter box.
    try {
        std::optional<LocationFile::WholeList> read = ahead ? ahead->take(path()) : std::nullopt;
        if (!read)
            read = LocationFile::readWhole(path());
        cities_.append(std::move(read->items));
        if (read->fault)
            throw Failure(*read->fault);
    } catch (...) {
        lastFault_ = describeFailure(std::current_exception());
        throw;
    }
}

void LocationHandlers::Text1_Change()
{
    Trap trap(platform_, QStringLiteral("Text1_Change"));
    trap.quietRepeats(lastFault_);
    std::optional<LocationFile> file;
    // Opened before the list is emptied: a file that cannot be read leaves
    // the list as it was.
    if (!trap.run(100, [&] { file.emplace(path()); }))
        return;
    trap.run(102, [&] {
        if (const std::optional<QString> fault = refill(*file, form_.filterBox->text()))
            throw Failure(*fault);
        lastFault_.clear();
    });
}

std::optional<QString> LocationHandlers::refill(LocationFile& file, QStringView filter)
{
    spare_.reset();
    const std::optional<QString> fault = file.read(filter, spare_);
    cities_.swapAll(spare_);
    if (spare_.capacity() > kSpareLimit)
        spare_.clear();
    return fault;
}

void LocationHandlers::ListView1_ContextMenu(qsizetype row, const QPoint& globalPos)
{
    Trap trap(platform_, QStringLiteral("ListView1_ContextMenu"));
    QString city;
    menuCity_.reset();
    menuState_.reset();
    if (row < 0) {
        trap.run(102, [&] { form_.nearbyMenu->offerListOnly(); });
        trap.run(104, [&] { form_.nearbyMenu->popup(globalPos); });
        return;
    }
    if (!trap.run(100, [&] {
            city = cities_.name(row);
            menuCity_ = cityAtRow(path(), form_.filterBox->text(), row, cities_.address(row));
            menuState_ = stateAtRow(path(), form_.filterBox->text(), row, cities_.address(row));
        }))
        return;
    trap.run(102, [&] {
        form_.nearbyMenu->offer(city, menuState_ ? menuState_->state : QString(),
            menuCity_ ? QString() : tr("list.txt gives no position for %1").arg(city));
    });
    trap.run(104, [&] { form_.nearbyMenu->popup(globalPos); });
}

void LocationHandlers::mnuNearby_Click(double km)
{
    Trap trap(platform_, QStringLiteral("mnuNearby_Click"));
    if (const std::optional<City> city = menuCity_)
        selectInWholeList(trap, [&] { return rowsNear(path(), *city, km); });
}

void LocationHandlers::mnuState_Click()
{
    Trap trap(platform_, QStringLiteral("mnuState_Click"));
    if (const std::optional<CityState> city = menuState_)
        selectInWholeList(trap, [&] { return rowsInState(path(), *city); });
}

void LocationHandlers::selectInWholeList(Trap& trap, const std::function<QList<qsizetype>()>& find)
{
    std::optional<LocationFile> file;
    QList<qsizetype> rows;
    // Opened and searched first: a file that cannot be read, or that has
    // changed since the menu opened, leaves the list and the filter as they
    // were.
    if (!trap.run(100, [&] {
            file.emplace(path());
            rows = find();
        }))
        return;
    // The whole list, so that every city asked for can be selected.
    trap.run(102, [&] {
        const QSignalBlocker quiet(form_.filterBox);
        form_.filterBox->clear();
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
        while (!rows.isEmpty() && rows.last() >= cities_.count())
            rows.removeLast();
        form_.cityList->selectRows(rows);
    });
    trap.run(108, [&] { form_.cityList->setFocus(); });
}

void LocationHandlers::mnuEditList_Click()
{
    Trap trap(platform_, QStringLiteral("mnuEditList_Click"));
    QString own;
    if (!trap.run(100, [&] { own = makeOwnList(platform_.userDataFolder, platform_.applicationFolder); }))
        return;
    // Through the desktop's opener, as pages go, so it is the user's
    // choice of editor.
    trap.run(102, [&] { trap.openUrl(QUrl::fromLocalFile(own)); });
}

} // namespace quillmoor
