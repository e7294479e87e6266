#pragma once

#include "SearchStore.h"

#include <QList>
#include <QRect>
#include <QString>
#include <optional>
#include <utility>

namespace quillmoor {

class Form1;
struct Platform;

// What the settings file keeps of the window beside the saved searches:
// its place and size (WindowPlace, "left top width height", the frame's
// corner and the inside's size; WindowMaximized), and whether many pages
// at once are asked about first (AskBeforeManyPages). Each is written only
// once the user has changed it, so a file the user changed nothing of
// keeps those lines as they were.
class WindowSettings {
public:
    // The keys read at start-up.
    static QStringList keys();
    // Whether many pages at once are asked about, as stored.
    void restoreAsking(Platform& platform, const StoredTexts& stored);
    // The window's stored place, before it shows.
    static void restorePlace(Form1& form, const StoredTexts& stored);
    // The keys the user changed since the start, with their new texts, for
    // the save that writes the searches.
    QList<std::pair<QString, QString>> chosenKeys(const Form1& form, const Platform& platform) const;

private:
    bool askedAtStart_ = true;
};

// "left top width height" as a rectangle; nothing unless it is four whole
// numbers with a width and height above 0.
std::optional<QRect> placeFromText(const QString& text);
QString placeText(const QRect& place);

} // namespace quillmoor
