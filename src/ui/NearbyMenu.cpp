#include "NearbyMenu.h"

#include "MenuText.h"

#include <QLocale>

namespace quillmoor {

NearbyMenu::NearbyMenu(QWidget* parent)
    : QMenu(parent)
{
    setObjectName(QStringLiteral("mnuNearby"));
}

void NearbyMenu::offer(const QString& city, const QString& state, const QString& why)
{
    clear();

    // A city's name shows as it is written.
    const QString shownCity = menuText(city);
    if (!why.isEmpty()) {
        addAction(menuText(why))->setEnabled(false);
        addSeparator();
    }
    const bool miles = locale().measurementSystem() != QLocale::MetricSystem;
    const auto add = [&](int distance, const QString& unit, double km) {
        QAction* action = addAction(tr("Select Cities Within %1 %2 of %3").arg(distance).arg(unit, shownCity));
        action->setEnabled(why.isEmpty());
        connect(action, &QAction::triggered, this, [this, km] { emit distanceChosen(km); });
    };
    if (miles) {
        for (const int distance : kMiles)
            add(distance, tr("mi"), distance * kKmPerMile);
    } else {
        for (const int distance : kKilometres)
            add(distance, tr("km"), distance);
    }
    addSeparator();
    // A whole state, which the filter cannot give: "Kansas" also finds
    // Arkansas and Kansas City, Missouri.
    if (!state.isEmpty()) {
        connect(addAction(tr("Select Cities &in %1").arg(menuText(state))), &QAction::triggered, this,
            &NearbyMenu::stateChosen);
        addSeparator();
    }
    addEditEntry();
}

void NearbyMenu::offerListOnly()
{
    clear();
    addEditEntry();
}

void NearbyMenu::addEditEntry()
{
    connect(addAction(tr("&Edit City List\u2026")), &QAction::triggered, this, &NearbyMenu::editCityList);
}

} // namespace quillmoor
