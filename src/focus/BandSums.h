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
//  - its fine energy: the sum over its blocks of gx^2 + gy^2, with gx (gy)
//    the difference of the block's right and left columns (bottom and top
//    rows): the 1-pixel scale;
//  - its coarse energy: the same between the cell's halves of blocks, the
//    2-pixel scale;
//  - its noise: the sum over its blocks of the diagonal difference
//    (a - b - c + d)^2, which a lens's detail barely reaches (it falls off
//    as the product of both gradients) and sensor noise fills as much as
//    either gradient: the measure of how much of the fine energy is noise;
//  - its coarse noise: the same between its four blocks, the noise of the
//    2-pixel scale (which JPEG compression thins less than the 1-pixel one).
// Every difference lies inside the cell, and so inside one 8x8 JPEG block:
// block edges that compression leaves are never taken for detail.
// The cell's level sum is also written to `cellSums` for the terms the map
// computes across bands (the 4-pixel scale).
struct BandSums
{
    quint64 level = 0;
    quint64 fine = 0;
    quint64 coarse = 0;
    quint64 noise = 0;
    quint64 coarseNoise = 0;
};

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
