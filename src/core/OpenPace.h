#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace quillmoor {

// How fast pages go to the browser: the least milliseconds from one page
// to the next. As fast as the browser takes them by default; search
// engines take a burst of searches from one address for a robot, so the
// user may slow it down.
struct OpenPace {
    int ms;
    const char* name; // for the menu
};

// The paces offered, the default first.
QList<OpenPace> openPaces();

// The pace `text` stands for in the settings file (its milliseconds);
// nothing for a text that is none of the paces offered.
std::optional<int> openPaceFromText(const QString& text);

// "about 1 min 40 s" for the time `ms` takes, rounded up to the second.
QString timeLeftText(qint64 ms);

} // namespace quillmoor
