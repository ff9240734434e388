#pragma once

#include <QtGlobal>
#include <turbojpeg.h>

namespace kelvaris {

// The TurboJPEG pixel format laid out as QImage::Format_RGB32 (0xffRRGGBB
// in native order: B, G, R, X in memory on a little-endian machine), so
// that pictures are encoded and decoded straight out of and into a QImage.
// The shot decoder takes libjpeg's matching colour space from it. Decoding
// fills the X byte with 0xff.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr int Rgb32PixelFormat = TJPF_BGRX;
#else
constexpr int Rgb32PixelFormat = TJPF_XRGB;
#endif

} // namespace kelvaris
