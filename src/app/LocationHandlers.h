#pragma once

#include "CityListModel.h"
#include "ItemBatch.h"
#include "LocationFile.h"
#include "NearbyQuery.h"
#include "ReadAhead.h"
#include "StateQuery.h"

#include <QCoreApplication>
#include <QPoint>
#include <QString>
#include <functional>
#include <optional>

namespace quillmoor {

class Form1;
class Trap;
struct Platform;

// The handlers of the location list and its filter box. cityList is filled
// from list.txt at start-up and rebuilt on every change of the filter box.
// The file is the only record of the locations: nothing is cached between
// keystrokes, so an edit of list.txt shows at the next one.
class LocationHandlers {
    Q_DECLARE_TR_FUNCTIONS(LocationList)

public:
    // The city list shows the cities these handlers keep.
    LocationHandlers(Form1& form, Platform& platform);

    // The cities the filter gives, as the city list shows them.
    CityListModel& cities() { return cities_; }

    // Appends every location of list.txt to cityList, as `ahead` read it
    // when it read the file as it stands. Throws Failure at the first fault,
    // with the locations before it already in the list.
    void LoadLocations(ReadAhead<LocationFile::WholeList>* ahead = nullptr);

    // The filter: keeps the lines whose display name contains the text of
    // filterBox. A fault is reported once; typing on while the same fault
    // persists stays quiet.
    void Text1_Change();

    // The context menu of row `row` of cityList, at `globalPos`: the
    // cities within a distance of that one. Its entries are disabled when
    // list.txt gives the city no position. Below the cities (row -1) it
    // offers only the list itself to edit.
    void ListView1_ContextMenu(qsizetype row, const QPoint& globalPos);
    // A distance of the menu chosen: the whole list comes back and exactly
    // the cities within `km` of the menu's city are selected. When list.txt
    // no longer holds that city as it did when the menu opened, that is
    // reported and nothing changes.
    void mnuNearby_Click(double km);
    // Select Cities in <State>: as a distance, but exactly the cities whose
    // state is the menu's city's.
    void mnuState_Click();
    // Edit City List: the user's own list.txt, made the first time from the
    // shipped one, opens in the desktop's editor for text. The next
    // keystroke in the filter shows what was saved there.
    void mnuEditList_Click();

private:
    QString path() const;
    // Shows the lines of `file` that match `filter`; answers the fault that
    // ended the reading early, if any.
    std::optional<QString> refill(LocationFile& file, QStringView filter);
    // The whole list back and `find`'s rows of it selected, the steps of
    // the menu's choices from line 100 on.
    void selectInWholeList(Trap& trap, const std::function<QList<qsizetype>()>& find);

    Form1& form_;
    Platform& platform_;
    CityListModel cities_;
    // The fault reported last by the filter, until the list reads whole.
    QString lastFault_;
    // The rows the list showed before the last keystroke. Refilling memory
    // that is already mapped is far cheaper than fresh memory.
    ItemBatch spare_;
    // The city whose menu is open.
    std::optional<City> menuCity_;
    std::optional<CityState> menuState_;
};

} // namespace quillmoor
