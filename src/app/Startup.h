#pragma once

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QUrl>

class QWidget;

namespace quillmoor {

class Form1;
class SkinFramework;
struct Platform;

inline const QString kProductName = QStringLiteral("Quillmoor");
inline const QUrl kHomePage = QUrl(QStringLiteral("https://marrowfen.example/"));

// Whether the last-modified time of `path` can be read. Never fails.
bool FileExists(const QString& path);

// Gives the window, its frames and labels the button-face colour and hands
// the window to the skin, when x/o.cjs is an ordinary file. Throws Failure
// when the skin cannot be read or applied.
void ApplySkin(Form1& form, SkinFramework& skin, const QString& applicationFolder);

// About one start in a hundred also opens the maker's home page.
void ShowHomePageAtRandom(Platform& platform);

// The application title for a product name: cut at its last blank until it
// is at most 40 characters long; a name without a blank is kept whole, cut to
// 40 characters when longer.
QString shortenTitle(const QString& name);
void SetApplicationTitle();

// A pointer image and the point of it that points.
struct PointerImage {
    QImage image;
    QPoint hotSpot;
};
// A cursor file holds a few images of at most 256 by 256 pixels; a larger
// file is no pointer image, and is not read into memory.
constexpr qint64 kLargestPointerFile = 4 << 20;
constexpr int kLargestPointerImageMiB = 4;

// The image of a cursor file's bytes. Throws Failure when they are not a
// cursor (an icon has no hot spot), and never asks for more memory than an
// image of at most 256 by 256 pixels needs.
PointerImage readPointerImage(const QByteArray& bytes);

// Makes the pointer file the window's custom pointer image. Throws Failure
// when it is not a pointer image, leaving the window as it was.
void loadMouseIcon(Form1& form, const QString& path);

// The application icon in all its sizes.
QIcon applicationIcon();

} // namespace quillmoor
