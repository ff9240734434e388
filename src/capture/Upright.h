#pragma once

#include <QImage>

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

} // namespace kelvaris
