#include "focus/SharpnessMap.h"

#include "focus/BandSums.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kelvaris {

namespace {

// Tiles are at least this wide: a smaller tile holds too few cells for a
// steady mean, and small pictures fit the budget anyway.
constexpr int MinTileSize = 16;

// What a tile column gathers over the bands of one row of tiles.
struct TileSums
{
    BandSums band;
    quint64 cells = 0;
    quint64 coarser = 0;
    quint64 blocks = 0; // 8x8 blocks summed into coarser
    quint64 structure = 0;
    quint64 structureSamples = 0;
};

// The sum of (a[i] - 2 b[i] + c[i])^2 over [from, to). Partial sums of 32
// terms of at most 8160^2 fit 32 bits, and the compiler vectorises them.
// The sum of gx^2 + gy^2 between the 4x4 cells of the 8x8 blocks whose
// cells' level sums are `top` and `bottom`, cells [from, to) (from even).
// Inside each block, so inside each JPEG block too.
quint64 blockDifferences(const quint16* top, const quint16* bottom, int from, int to)
{
    quint64 total = 0;
    for (int i = from; i + 1 < to; i += 2) {
        const qint64 gx = qint64(top[i + 1]) + bottom[i + 1] - top[i] - bottom[i];
        const qint64 gy = qint64(bottom[i]) + bottom[i + 1] - top[i] - top[i + 1];
        total += quint64(gx * gx + gy * gy);
    }
    return total;
}

quint64 secondDifferences(const quint16* a, const quint16* b, const quint16* c, int from, int to)
{
    quint64 total = 0;
    for (int start = from; start < to; start += 32) {
        const int end = std::min(start + 32, to);
        quint32 partial = 0;
        for (int i = start; i < end; ++i) {
            const int d = int(a[i]) - 2 * int(b[i]) + int(c[i]);
            partial += quint32(d * d);
        }
        total += partial;
    }
    return total;
}

// The largest finite half-precision value: only a picture of nothing but
// single-pixel black and white checks comes near it.
qfloat16 half(double value)
{
    return qfloat16(float(std::min(value, 65504.0)));
}

// In double: the sides of a rectangle spanning all of int overflow 32 bits,
// and their product 64.
double area(const QRect& rect)
{
    return double(qint64(rect.right()) - rect.left() + 1) *
           double(qint64(rect.bottom()) - rect.top() + 1);
}

} // namespace

int SharpnessMap::tileSizeFor(QSize size)
{
    const std::size_t maxTiles = (MemoryBudget - sizeof(SharpnessMap)) / sizeof(Tile);
    const qint64 width = std::max(size.width(), 1);
    const qint64 height = std::max(size.height(), 1);
    int side = MinTileSize;
    while (std::size_t(((width + side - 1) / side) * ((height + side - 1) / side)) > maxTiles)
        side += 8;
    return side;
}

SharpnessMap SharpnessMap::measure(const QImage& picture)
{
    return measure(picture, tileSizeFor(picture.size()));
}

SharpnessMap SharpnessMap::measure(const QImage& picture, int tileSize)
{
    SharpnessMap map;
    map.m_pictureSize = picture.size();
    // Whole strips of 8x4 pixels only.
    const int width = picture.width() & ~7;
    const int height = picture.height() & ~3;
    if (width < 8 || height < 4)
        return map;
    // ARGB32 has the same layout; anything else is converted once.
    QImage converted;
    const QImage* source = &picture;
    if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32) {
        converted = picture.convertToFormat(QImage::Format_RGB32);
        if (converted.isNull())
            return map;
        source = &converted;
    }

    const int side = std::max(MinTileSize, tileSize / 8 * 8);
    map.m_measured = QRect(0, 0, width, height);
    map.m_tileSize = side;
    map.m_columns = (width + side - 1) / side;
    map.m_rows = (height + side - 1) / side;
    std::vector<Tile> tiles(std::size_t(map.m_columns) * std::size_t(map.m_rows));

    std::vector<TileSums> sums(std::size_t(map.m_columns));
    // The cell level sums of the last three bands, for the vertical second
    // differences; the horizontal ones come from the current band alone.
    const int cells = width / 4;
    std::vector<quint16> cellRows(3 * std::size_t(cells));
    const int bands = height / 4;
    for (int band = 0; band < bands; ++band) {
        const int y = 4 * band;
        const uchar* const rows[4] = {source->constScanLine(y), source->constScanLine(y + 1),
                                      source->constScanLine(y + 2), source->constScanLine(y + 3)};
        quint16* current = cellRows.data() + std::size_t(band % 3) * cells;
        const quint16* previous = cellRows.data() + std::size_t((band + 2) % 3) * cells;
        const quint16* beforePrevious = cellRows.data() + std::size_t((band + 1) % 3) * cells;
        for (int column = 0; column < map.m_columns; ++column) {
            const int x0 = column * side;
            const int x1 = std::min(x0 + side, width);
            for (int x = x0; x < x1; x += MaxRunWidth)
                sumBand(rows, x, std::min(x + MaxRunWidth, x1), sums[column].band, current);
            sums[column].cells += quint64(x1 - x0) / 4;
        }
        for (int column = 0; column < map.m_columns; ++column) {
            TileSums& tile = sums[column];
            const int from = column * side / 4;
            const int to = std::min(from + side / 4, cells);
            // Horizontal: each cell between its two neighbours.
            const int inner0 = std::max(from, 1);
            const int inner1 = std::min(to, cells - 1);
            if (inner0 < inner1) {
                tile.structure +=
                    secondDifferences(current - 1, current, current + 1, inner0, inner1);
                tile.structureSamples += quint64(inner1 - inner0);
            }
            // Vertical: the cells of the band before between their
            // neighbours above and below.
            if (band >= 2) {
                tile.structure += secondDifferences(beforePrevious, previous, current, from, to);
                tile.structureSamples += quint64(to - from);
            }
            // An odd band completes a row of 8x8 blocks.
            if (band % 2 == 1) {
                tile.coarser += blockDifferences(previous, current, from, to);
                tile.blocks += quint64(to - from) / 2;
            }
        }

        const bool rowOfTilesEnds = (y + 4) % side == 0 || band == bands - 1;
        if (!rowOfTilesEnds)
            continue;
        Tile* out = tiles.data() + std::size_t(y / side) * std::size_t(map.m_columns);
        for (int column = 0; column < map.m_columns; ++column) {
            const TileSums& s = sums[column];
            const double cellCount = double(s.cells);
            // Each scale's squared differences divided by the pixels they
            // span squared, so that a smooth ramp scores its squared slope
            // at every scale.
            out[column].level = half(double(s.band.level) / (16 * cellCount));
            out[column].fine = half(double(s.band.fine) / (16 * cellCount));
            out[column].coarse = half(double(s.band.coarse) / (256 * cellCount));
            out[column].coarser =
                half(s.blocks ? double(s.coarser) / (16384.0 * double(s.blocks)) : 0);
            out[column].noise = half(double(s.band.noise) / (16 * cellCount));
            out[column].structure =
                half(s.structureSamples ? double(s.structure) / (256.0 * s.structureSamples) : 0);
            sums[column] = TileSums();
        }
    }
    map.m_tiles = std::move(tiles);
    return map;
}

RegionSharpness SharpnessMap::region(const QRect& crop) const
{
    RegionSharpness result;
    if (crop.isEmpty() || m_tiles.empty())
        return result;
    // Not QRect's intersection: it takes a rectangle whose width overflows
    // int for an inverted one.
    const QRect part(QPoint(std::max(crop.left(), 0), std::max(crop.top(), 0)),
                     QPoint(std::min(crop.right(), m_measured.right()),
                            std::min(crop.bottom(), m_measured.bottom())));
    if (part.isEmpty())
        return result;
    result.measuredFraction = area(part) / area(crop);

    // Each tile weighs as much as it covers of the region.
    double weight = 0, level = 0, fine = 0, coarse = 0, coarser = 0, noise = 0, structure = 0;
    const int side = m_tileSize;
    for (int row = part.top() / side; row <= part.bottom() / side; ++row) {
        const int top = std::max(row * side, part.top());
        const int bottom = std::min(row * side + side - 1, part.bottom());
        const Tile* tiles = m_tiles.data() + std::size_t(row) * std::size_t(m_columns);
        for (int column = part.left() / side; column <= part.right() / side; ++column) {
            const int left = std::max(column * side, part.left());
            const int right = std::min(column * side + side - 1, part.right());
            const double w = double(bottom - top + 1) * double(right - left + 1);
            const Tile& tile = tiles[column];
            weight += w;
            level += w * float(tile.level);
            fine += w * float(tile.fine);
            coarse += w * float(tile.coarse);
            coarser += w * float(tile.coarser);
            noise += w * float(tile.noise);
            structure += w * float(tile.structure);
        }
    }
    result.level = level / weight;
    result.fine = fine / weight;
    result.coarse = coarse / weight;
    result.coarser = coarser / weight;
    result.noise = noise / weight;
    result.structure = structure / weight;
    result.value = figure(result, FigureScales::Fine);
    result.enoughDetail = detail(result) >= MinStructure;
    return result;
}

double SharpnessMap::figure(const RegionSharpness& region, FigureScales scales)
{
    // A black region would divide by almost nothing; it has no structure
    // either, so its verdict is false whatever its figure.
    const double energy =
        scales == FigureScales::Fine ? region.fine + region.coarse : region.coarse + region.coarser;
    return std::sqrt(std::max(energy, 0.0)) / std::max(region.level, 1.0);
}

double SharpnessMap::detail(const RegionSharpness& region)
{
    return region.structure - NoiseInStructure * region.noise;
}

std::size_t SharpnessMap::memoryBytes() const
{
    return sizeof(SharpnessMap) + m_tiles.capacity() * sizeof(Tile);
}

} // namespace kelvaris
