#pragma once

#include <QRect>
#include <cstdint>

namespace kelvaris {

// Lengths in the program are twips: 1440 to the inch. Only the Qt side
// turns them into pixels, so the program's arithmetic never depends on
// pixel snapping.

// Twips per logical screen pixel: 1440 / the primary screen's logical DPI
// (15 at 96 DPI, and 15 when there is no screen at all).
double twipsPerPixel();

// Overrides the figure above (tests; 0 restores the screen's own figure).
void setTwipsPerPixelForTesting(double twipsPerPixel);

// Rounds to nearest, halves to even, as every conversion of the program does.
double roundHalfEven(double value);

// Whole-number conversions of the program. A value that does not fit is a
// program error: std::range_error is thrown, never a wrapped value.
std::int32_t toInt32(double value);
std::int16_t toInt16(double value);

// The pixel rectangle that a twips rectangle covers. Edges are rounded, not
// sizes, so that abutting controls never leave a gap between them.
QRect twipsToPixelRect(double left, double top, double width, double height);

} // namespace kelvaris
