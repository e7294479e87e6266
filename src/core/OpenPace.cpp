#include "OpenPace.h"

#include <QCoreApplication>

namespace quillmoor {

QList<OpenPace> openPaces()
{
    return {
        { 0, QT_TRANSLATE_NOOP("OpenPace", "As Fast as the Browser Takes Them") },
        { 1000, QT_TRANSLATE_NOOP("OpenPace", "One Page Every Second") },
        { 2000, QT_TRANSLATE_NOOP("OpenPace", "Every 2 Seconds") },
        { 5000, QT_TRANSLATE_NOOP("OpenPace", "Every 5 Seconds") },
        { 10000, QT_TRANSLATE_NOOP("OpenPace", "Every 10 Seconds") },
    };
}

std::optional<int> openPaceFromText(const QString& text)
{
    bool ok = false;
    const int ms = text.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    for (const OpenPace& pace : openPaces())
        if (pace.ms == ms)
            return ms;
    return std::nullopt;
}

QString timeLeftText(qint64 ms)
{
    const qint64 seconds = (ms + 999) / 1000;
    if (seconds < 60)
        return QCoreApplication::translate("OpenPace", "about %1 s").arg(seconds);
    // A round figure is said as one: "about 7 min".
    if (seconds < 3600 && seconds % 60 == 0)
        return QCoreApplication::translate("OpenPace", "about %1 min").arg(seconds / 60);
    if (seconds < 3600)
        return QCoreApplication::translate("OpenPace", "about %1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    return QCoreApplication::translate("OpenPace", "about %1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60);
}

} // namespace quillmoor
