// Turns one of the icon's PNG images into the pixels the program shows, made
// when the program is built: decoding a PNG at the start has Qt load every
// image-format plugin it has before the first image, which took longer than
// building the window.
//
//   icon_pixels IN.png OUT.pixels
//
// OUT is "QMPX", then the image's QImage format, width and height as 32-bit
// little-endian numbers, then its rows, four bytes a pixel, with no padding.
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: icon_pixels IN.png OUT.pixels\n");
        return 2;
    }
    QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "icon_pixels: %s is no image\n", argv[1]);
        return 1;
    }
    // An image without transparency keeps its format, as its PNG gave it.
    if (image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    QByteArray out("QMPX");
    for (const int number : { int(image.format()), image.width(), image.height() }) {
        char bytes[4];
        qToLittleEndian<quint32>(quint32(number), bytes);
        out.append(bytes, 4);
    }
    for (int y = 0; y < image.height(); ++y)
        out.append(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
    QFile file(QString::fromLocal8Bit(argv[2]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "icon_pixels: %s could not be written\n", argv[2]);
        return 1;
    }
    return 0;
}
