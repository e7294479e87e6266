#pragma once

#include <QMenu>

namespace quillmoor {

// The location list's context menu: select every city of one city's state,
// or within a distance of it, and edit the list itself. The distances are offered in
// kilometres, or in miles where the locale measures in miles; the choice
// always arrives in kilometres.
class NearbyMenu : public QMenu {
    Q_OBJECT
public:
    explicit NearbyMenu(QWidget* parent = nullptr);

    // Refills the menu for `city` of `state` (none offered when empty).
    // When `why` is not empty the distances are there but disabled, and the
    // menu shows `why` above them.
    void offer(const QString& city, const QString& state, const QString& why = {});
    // Refills the menu where no city is: only the list itself to edit.
    void offerListOnly();

    static constexpr int kKilometres[] = { 50, 100, 200, 400 };
    static constexpr int kMiles[] = { 30, 60, 120, 250 };
    static constexpr double kKmPerMile = 1.609344;

signals:
    void distanceChosen(double km);
    void stateChosen();
    void editCityList();

private:
    void addEditEntry();
};

} // namespace quillmoor
