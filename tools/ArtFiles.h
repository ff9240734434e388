#pragma once

#include <QByteArray>
#include <QImage>

namespace kelvaris {

// Encoders for the art that make_art writes. They write every byte
// themselves, so the formats are exactly these whatever QImage's writers
// would choose.

// A Windows BMP: BITMAPFILEHEADER and BITMAPINFOHEADER, 24 bits per pixel,
// bottom-up rows padded to 4 bytes. Any alpha is ignored.
QByteArray encodeBmp(const QImage& image);

// An ICO holding `image` (square, at most 255 pixels) as one 8-bit image:
// its colours quantised to a fixed 256-colour palette (a 6 x 6 x 6 cube and
// greys), pixels under half opaque made transparent by the 1-bit mask.
QByteArray encodeIco(const QImage& image);

} // namespace kelvaris
