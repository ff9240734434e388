#pragma once

#include <QImage>
#include <QRect>

namespace kelvaris {

// Turning a decoded shot upright as the camera's EXIF orientation says.

// The EXIF orientation, 1 to 8, read from IFD0 of the TIFF data that an
// APP1 "Exif" segment holds; 1 when absent or implausible. Every offset in
// the data is checked, so any bytes are safe.
int exifOrientation(const uchar* tiff, qsizetype size);

// The RGB32 `image`, stored as EXIF `orientation` says, turned upright:
// 2 mirrors it, 3 turns it half round, 4 flips it, 5 transposes it, 6 and
// 8 turn it a quarter clockwise and anticlockwise, 7 transverses it.
// Null when memory is short.
QImage upright(QImage image, int orientation);

// Where the parts of a picture stored as EXIF `orientation` says go once
// it is upright. `stored` is the picture's size as stored.
QSize uprightSize(QSize stored, int orientation);
// The stored picture's rectangle that turns into `upright`...
QRect storedRect(const QRect& upright, QSize stored, int orientation);
// ...and the upright rectangle that `storedPart` turns into.
QRect uprightRect(const QRect& storedPart, QSize stored, int orientation);

} // namespace kelvaris
