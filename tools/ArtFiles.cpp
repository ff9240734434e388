#include "ArtFiles.h"

#include <QtEndian>

#include <climits>
#include <vector>

namespace kelvaris {
namespace {

void putU16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

void putU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putInfoHeader(QByteArray& out, int width, int height, int bitCount, quint32 imageSize,
                   quint32 coloursUsed)
{
    putU32(out, 40);
    putU32(out, quint32(width));
    putU32(out, quint32(height));
    putU16(out, 1); // planes
    putU16(out, quint16(bitCount));
    putU32(out, 0); // no compression
    putU32(out, imageSize);
    putU32(out, 3780); // 96 dpi
    putU32(out, 3780);
    putU32(out, coloursUsed);
    putU32(out, 0);
}

// The icon palette: a 6 x 6 x 6 colour cube, then 40 greys between its steps.
std::vector<QRgb> iconPalette()
{
    std::vector<QRgb> palette;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 1; palette.size() < 256; ++i) {
        const int level = i * 255 / 41;
        palette.push_back(qRgb(level, level, level));
    }
    return palette;
}

int nearestColour(const std::vector<QRgb>& palette, QRgb pixel)
{
    int best = 0;
    int bestDistance = INT_MAX;
    for (int i = 0; i < int(palette.size()); ++i) {
        const int dr = qRed(palette[size_t(i)]) - qRed(pixel);
        const int dg = qGreen(palette[size_t(i)]) - qGreen(pixel);
        const int db = qBlue(palette[size_t(i)]) - qBlue(pixel);
        // Weighted towards green, as the eye is.
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

} // namespace

QByteArray encodeBmp(const QImage& image)
{
    const int stride = (image.width() * 3 + 3) & ~3;
    const quint32 imageSize = quint32(stride * image.height());
    QByteArray out;
    out.append("BM", 2);
    putU32(out, 14 + 40 + imageSize);
    putU32(out, 0);
    putU32(out, 14 + 40);
    putInfoHeader(out, image.width(), image.height(), 24, imageSize, 0);
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const qsizetype at = 3 * qsizetype(x);
            row[at] = char(qBlue(pixel));
            row[at + 1] = char(qGreen(pixel));
            row[at + 2] = char(qRed(pixel));
        }
        out.append(row);
    }
    return out;
}

QByteArray encodeIco(const QImage& image)
{
    const int size = image.width();
    const std::vector<QRgb> palette = iconPalette();
    const int maskStride = ((size + 31) / 32) * 4;
    const quint32 imageSize = quint32(size * size + maskStride * size);

    QByteArray bitmap;
    putInfoHeader(bitmap, size, size * 2, 8, imageSize, 256);
    for (const QRgb colour : palette) {
        const char bgra[] = {char(qBlue(colour)), char(qGreen(colour)), char(qRed(colour)), 0};
        bitmap.append(bgra, 4);
    }
    // Half-covered pixels count as opaque, in their own unpremultiplied colour.
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            bitmap.append(char(qAlpha(pixel) >= 128 ? nearestColour(palette, pixel) : 0));
        }
    for (int y = size - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < size; ++x)
            if (qAlpha(image.pixel(x, y)) < 128)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        bitmap.append(row);
    }

    QByteArray out;
    putU16(out, 0);
    putU16(out, 1); // an icon, not a cursor
    putU16(out, 1); // one image
    out.append(char(size));
    out.append(char(size));
    out.append(char(0)); // 256 colours
    out.append(char(0));
    putU16(out, 1);
    putU16(out, 8);
    putU32(out, quint32(bitmap.size()));
    putU32(out, 6 + 16);
    out.append(bitmap);
    return out;
}

} // namespace kelvaris
