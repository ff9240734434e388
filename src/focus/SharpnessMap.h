#pragma once

#include "focus/RegionSharpness.h"

#include <QFloat16>
#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstddef>
#include <vector>

namespace kelvaris {

// The sharpness of every part of one shot, measured once when the shot is
// taken, so that the figure of whatever crop the photographer looks at comes
// at once, for every shot of the session, without keeping their pictures.
//
// The measure. A focus figure must rank shots by focus and nothing else:
//  - Gradient energy at the finest scales is what defocus removes first, and
//    gradient and Laplacian measures are the most reliable families on real
//    scenes. The map keeps the mean squared gradient at three scales: inside
//    2x2 blocks (1 pixel), between the 2x2 halves of 4x4 cells (2 pixels)
//    and between the 4x4 halves of 8x8 blocks (4 pixels), each divided by
//    its span squared so that a smooth ramp scores its slope squared at
//    every scale. Every difference lies inside an 8x8 block, as JPEG cuts
//    the picture: block edges that compression leaves are never detail.
//  - The figure takes the 1- and 2-pixel scales where sensor noise is low:
//    the 1-pixel scale is the most sensitive near best focus, the 2-pixel
//    scale keeps the ranking where compression has thinned the finest
//    detail. Where noise is high the 1-pixel scale is mostly noise, which
//    a darker shot or a finer JPEG keeps more of: the figure then takes the
//    2- and 4-pixel scales. The choice is the session's (judgeRegion), so
//    that all its shots' figures compare.
//  - The noise: the mean squared diagonal difference a - b - c + d of 2x2
//    blocks (of pixels, and of blocks in a 4x4 cell), which sensor noise
//    fills as much as a gradient does and a lens's detail barely reaches
//    (it is the product of both gradients).
//  - Gradients scale with exposure; sRGB is close to a power of linear
//    light, so a change of exposure scales them and the mean level alike.
//    The figure is therefore sqrt(energy) / mean level: a flicker of light
//    does not pass for focus.
//  - The verdict ("too little detail") measures detail at the 2-pixel scale
//    beyond the 4-pixel one (a ramp or the soft shading of an out-of-focus
//    background scores the same at both) and beyond the region's own noise
//    at that scale (which a JPEG of lower quality thins as it thins the
//    gradients there, unlike the 1-pixel noise): detail() must reach
//    MinDetail. judgeRegion() takes it from the session's
//    sharpest shot, so that one shot is never excluded alone.
//  - The green channel alone: it carries most of a photograph's luminance
//    and detail, and reading it costs one shift.
// Tried and left: dividing by the region's variance instead of its level
// squared ranks flickering shots a little better but blunts the figure on
// pure texture, whose variance falls with the blur; gradients above a noise
// threshold reorder shots under flicker as pixels cross the threshold; the
// 1-pixel scale alone lets q80 shots pass for blurrier q95 ones; a verdict
// on the clipped area alone flags snowy mountains whose edges survive; a
// verdict shot by shot excluded sharp shots of bright texture that a
// flicker of light brought near clipping, and named a blurrier one;
// subtracting twice the diagonal energy from each scale (exact for white
// noise) ranks no better than choosing the scales, as JPEG quantises the
// diagonal of noise more than its gradients; telling shaken shots by the
// direction of their detail (the share of energy along each of four
// directions, against the session's other shots) does not separate them:
// a 2-4 px stroke removes a fifth to a third of a region's gradient energy,
// and steady shots' directions vary as much between focus steps; nor does
// the ratio of the 1- to the 2-pixel energy along each direction, against
// the sharpest shots', even measured on every pixel of the crop. Keeping
// the mean level of 4x4 parts rather than quarters would bring a 200 px
// crop's figure within 3.2 % of its exact value at the 90th percentile
// rather than 5.8 %, for 12 more bytes a tile; the curve, which shows each
// shot against the best, does not carry that error (1.8 %).
//
// Measured on real photographs made into sessions (tools/sharpness_eval,
// see its header for the table).
//
// The map. The picture is cut into square tiles whose side, a multiple of 8
// pixels, is the smallest that keeps the map within MemoryBudget; each tile
// keeps the mean level of each of its quarters in a byte, three half-
// precision energies, its two noises in a byte each and the 2-pixel
// energy of each of its 4x4 parts in four bits: 20 bytes. A crop
// that cuts a tile counts the share of the tile's energy its strips place
// inside the crop, so that a strong edge just outside the crop is not
// spread into it. A crop's figure adds a few dozen tiles, in microseconds.
// One pass over every pixel, four rows at a time, integer SSE2 arithmetic
// (kelvaris_bench --only sharpness).
class SharpnessMap
{
public:
    // What a shot of the session may keep in all: its map, and beside it its
    // name, path and figure and the focus map's two figures a tile, which
    // take under 2.5 KB. The map has the rest.
    static constexpr std::size_t ShotBudget = std::size_t(32) * 1024;
    static constexpr std::size_t MemoryBudget = ShotBudget - 2560;
    static constexpr int Strips = 4;
    static constexpr double MinDetail = 1.5;
    // White noise gives `coarse` twice its `coarseNoise`; a little more
    // covers what JPEG compression reshapes.
    static constexpr double NoiseInDetail = 2.5;

    // An empty map: every region is unmeasured.
    SharpnessMap() = default;

    // Measures `picture` (RGB32 as the loader decodes it; other formats are
    // converted first). A pure function of the picture, safe on any thread.
    static SharpnessMap measure(const QImage& picture);
    // The same with tiles of `tileSize` pixels (a multiple of 8, at least
    // 16), whatever the picture's size: a part of a large shot measured as
    // the whole shot's map would measure it (tools/sharpness_eval).
    static SharpnessMap measure(const QImage& picture, int tileSize);

    // The tile side chosen for a picture of `size`.
    static int tileSizeFor(QSize size);

    RegionSharpness region(const QRect& crop) const;

    // A region's figure from the scales given.
    static double figure(const RegionSharpness& region, FigureScales scales);
    // A region's detail at the 2-pixel scale beyond the 4-pixel scale and
    // its own noise: the verdict's measure.
    static double detail(const RegionSharpness& region);

    bool isEmpty() const { return m_tiles.empty(); }
    QSize pictureSize() const { return m_pictureSize; }
    int tileSize() const { return m_tileSize; }
    // Columns and rows of tiles.
    QSize tileCount() const { return QSize(m_columns, m_rows); }
    // The map's own size and its tiles'.
    std::size_t memoryBytes() const;

private:
    struct Tile
    {
        // Mean green level of each quarter, row after row (levelByte()).
        std::array<quint8, 4> levels;
        qfloat16 fine;    // mean squared gradient at the 1-pixel scale, level^2
        qfloat16 coarse;  // the same at the 2-pixel scale
        qfloat16 coarser; // the same at the 4-pixel scale
        // Mean squared diagonal differences at the 1- and 2-pixel scales,
        // logarithmic (an eighth of a stop a step).
        quint8 noise;
        quint8 coarseNoise;
        // The 2-pixel energy of each of its 4x4 parts, four bits each (in
        // bytes, so that tiles pack without padding).
        std::array<quint8, 8> parts;
    };

    QSize m_pictureSize;
    // Whole 8x8 blocks are measured; a picture's last few columns and rows
    // may be left out.
    QRect m_measured;
    int m_tileSize = 0;
    int m_columns = 0;
    int m_rows = 0;
    std::vector<Tile> m_tiles;
};

} // namespace kelvaris
