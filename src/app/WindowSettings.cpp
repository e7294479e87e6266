#include "WindowSettings.h"

#include "Form1.h"
#include "Platform.h"
#include "SettingsKeys.h"

#include <QtNumeric>

namespace quillmoor {

namespace {
    QString value(const StoredTexts& stored, const QString& key)
    {
        // A file that is not all INI has been reported with the searches;
        // what it holds then counts as not there.
        return stored.allIni ? stored.values.value(key) : QString();
    }

    QString boolText(bool on) { return on ? QStringLiteral("true") : QStringLiteral("false"); }
} // namespace

QStringList WindowSettings::keys()
{
    return { settings::kAskBeforeManyPages, settings::kWindowPlace, settings::kWindowMaximized };
}

void WindowSettings::restoreAsking(Platform& platform, const StoredTexts& stored)
{
    platform.askBeforeManyPages = askedAtStart_ = value(stored, settings::kAskBeforeManyPages) != u"false";
}

void WindowSettings::restorePlace(Form1& form, const StoredTexts& stored)
{
    if (const auto place = placeFromText(value(stored, settings::kWindowPlace)))
        form.restorePlace(*place, value(stored, settings::kWindowMaximized) == u"true");
}

QList<std::pair<QString, QString>> WindowSettings::chosenKeys(const Form1& form, const Platform& platform) const
{
    QList<std::pair<QString, QString>> chosen;
    if (platform.askBeforeManyPages != askedAtStart_)
        chosen.append({ settings::kAskBeforeManyPages, boolText(platform.askBeforeManyPages) });
    // A window closed before it showed has no place of the user's.
    if (form.isVisible() && form.placeChanged()) {
        chosen.append({ settings::kWindowPlace, placeText(form.keptPlace()) });
        chosen.append({ settings::kWindowMaximized, boolText(form.isMaximized()) });
    }
    return chosen;
}

std::optional<QRect> placeFromText(const QString& text)
{
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 4)
        return std::nullopt;
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = parts.at(i).toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (numbers[2] <= 0 || numbers[3] <= 0)
        return std::nullopt;
    // The far edges must be numbers too: a hand-edited "2147483647 0 100
    // 100" would wrap round to the far side of the plane.
    int right = 0;
    int bottom = 0;
    if (qAddOverflow(numbers[0], numbers[2], &right) || qAddOverflow(numbers[1], numbers[3], &bottom))
        return std::nullopt;
    return QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
}

QString placeText(const QRect& place)
{
    return QStringLiteral("%1 %2 %3 %4").arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height());
}

} // namespace quillmoor
