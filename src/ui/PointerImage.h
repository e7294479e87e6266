#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>

namespace quillmoor {

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

} // namespace quillmoor
