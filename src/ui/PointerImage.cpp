#include "PointerImage.h"

#include "Failure.h"

#include <QBuffer>
#include <QImageReader>
#include <QtEndian>

namespace quillmoor {

PointerImage readPointerImage(const QByteArray& bytes)
{
    // A cursor file starts with the words 0 and 2; an icon (1) has no hot spot.
    if (bytes.size() < 14 || qFromLittleEndian<quint16>(bytes.constData()) != 0
        || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        throw Failure(QString());
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "cur");
    // A pointer image is at most 256 by 256 pixels; a header that claims
    // more must not make the reader ask for the memory it names.
    reader.setAllocationLimit(kLargestPointerImageMiB);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > 256 || size.height() > 256))
        throw Failure(QString());
    PointerImage pointer;
    pointer.image = reader.read();
    if (pointer.image.isNull() || pointer.image.width() > 256 || pointer.image.height() > 256)
        throw Failure(QString());
    const int hotX = qFromLittleEndian<quint16>(bytes.constData() + 10);
    const int hotY = qFromLittleEndian<quint16>(bytes.constData() + 12);
    pointer.hotSpot = QPoint(qMin(hotX, pointer.image.width() - 1), qMin(hotY, pointer.image.height() - 1));
    return pointer;
}

} // namespace quillmoor
