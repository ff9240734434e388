#pragma once

#include <QImage>

namespace kelvaris {

// Turning a decoded shot upright as the camera's EXIF orientation says.

// An RGB32 image, its pixels not yet set, for a decoder to fill; null when
// memory is short.
// On Linux a large one lives in huge pages: the kernel then maps 2 MB at each
// first touch instead of 4 KB, and for a 45-megapixel shot those page faults
// can cost more than decoding it.
QImage newRgb32Image(int width, int height);

// The EXIF orientation, 1 to 8, read from IFD0 of the TIFF data that an
// APP1 "Exif" segment holds; 1 when absent or implausible. Every offset in
// the data is checked, so any bytes are safe.
int exifOrientation(const uchar* tiff, qsizetype size);

// The RGB32 `image`, stored as EXIF `orientation` says, turned upright:
// 2 mirrors it, 3 turns it half round, 4 flips it, 5 transposes it, 6 and
// 8 turn it a quarter clockwise and anticlockwise, 7 transverses it.
// Null when memory is short.
QImage upright(QImage image, int orientation);

} // namespace kelvaris
