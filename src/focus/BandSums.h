#pragma once

#include <QtGlobal>

namespace kelvaris {

// The sharpness map's inner loop: the sums of one band of four picture rows
// over a run of whole 8-pixel strips, read from the green channel of RGB32
// pixels (green carries most of a photograph's luminance and detail, and
// taking it alone costs one shift).
//
// A strip of 8x4 pixels holds two 4x4 cells, each of four 2x2 blocks. For
// each cell the loop adds up:
//  - its level: the sum of its 16 pixels;
//  - its detail energy, `4 * fine + coarse`, where `fine` is the sum over its
//    blocks of gx^2 + gy^2 with gx (gy) the difference of the block's right
//    and left columns (bottom and top rows), and `coarse` the same between
//    the cell's halves of blocks. Fine and coarse are thereby weighted
//    alike per pixel: the cell's mean squared gradient at the 1- and 2-pixel
//    scales is energy / 64. Every difference lies inside the cell, and so
//    inside one 8x8 JPEG block: block edges that compression leaves are
//    never taken for detail;
//  - its energy again when its mean level is at least `HighlightLevel`:
//    detail in highlights that a third of a stop more light would mostly
//    clip away.
// The cell's level sum is also written to `cellSums` for the structure term
// (second differences between neighbouring cells), which the map computes
// across bands.
struct BandSums
{
    quint64 level = 0;
    quint64 energy = 0;
    quint64 highlightEnergy = 0;
};

// A third of a stop more light in linear light raises sRGB 215 to 237 and
// clips everything from 231: the texture of a cell this bright is mostly
// lost to it. Cells with edges between highlights and shadows are darker on
// average, and their edges survive clipping.
constexpr int HighlightLevel = 215;

// The widest run one call may sum: its 32-bit partial sums cannot overflow.
constexpr int MaxRunWidth = 128;

// Adds the sums of columns [x0, x1) of the band to `sums` and writes the
// level sum of each 4x4 cell i (columns 4i to 4i+3) to cellSums[i]. `rows`
// are the band's four rows of RGB32 pixels; x0 and x1 are multiples of 8
// and x1 - x0 is at most MaxRunWidth.
void sumBand(const uchar* const rows[4], int x0, int x1, BandSums& sums, quint16* cellSums);

// The same in plain C++, one cell at a time: the reference that the
// vectorised path must match exactly, and the path where SSE2 is missing.
void sumBandPortable(const uchar* const rows[4], int x0, int x1, BandSums& sums, quint16* cellSums);

} // namespace kelvaris
