#include "focus/SharpnessMap.h"

#include "focus/BandSums.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace kelvaris {

namespace {

// Tiles are at least this wide: a smaller tile holds too few cells for a
// steady mean, and small pictures fit the budget anyway.
constexpr int MinTileSize = 32;
constexpr int Strips = SharpnessMap::Strips;
constexpr std::size_t Parts = std::size_t(Strips) * Strips;

// Where strip k of a tile of `side` pixels starts, from the tile's left
// (top): strips are whole 8-pixel columns (4-pixel bands) wide.
int stripStart(int side, int k, int unit)
{
    return k * side / Strips / unit * unit;
}

// What a tile column gathers over the bands of one row of tiles.
struct TileSums
{
    BandSums band;
    quint64 cells = 0;
    quint64 coarser = 0;
    quint64 blocks = 0;                      // 8x8 blocks summed into coarser
    std::array<quint64, Parts> cellEnergy{}; // row after row
    std::array<quint64, 4> quadrantLevel{};  // row after row
    std::array<quint64, 4> quadrantPixels{};
};

// The sum of gx^2 + gy^2 between the 4x4 cells of the 8x8 blocks whose
// cells' level sums are `top` and `bottom`, cells [from, to) (from even):
// inside each block, so inside each JPEG block too.
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

// The largest finite half-precision value: only a picture of nothing but
// single-pixel black and white checks comes near it.
qfloat16 half(double value)
{
    return qfloat16(float(std::clamp(value, -65504.0, 65504.0)));
}

// A mean level in eight bits: half a level apart below 64, where a level
// is a larger part of the figure's divisor, 1.5 above.
quint8 levelByte(double level)
{
    if (level < 64)
        return quint8(std::lround(std::max(level, 0.0) * 2));
    return quint8(std::min(128 + std::lround((level - 64) * 127 / 191), 255L));
}

double fromLevelByte(quint8 code)
{
    return code < 128 ? code / 2.0 : 64 + (code - 128) * 191.0 / 127;
}

// A noise in eight bits, an eighth of a stop apart (9 %): enough for a
// verdict and a choice of scales; 0 for nothing.
quint8 logByte(double value)
{
    if (!(value > 0))
        return 0;
    return quint8(std::clamp(std::lround(8 * std::log2(value)) + 96, 1L, 255L));
}

double fromLogByte(quint8 code)
{
    return code ? std::exp2((int(code) - 96) / 8.0) : 0.0;
}

// Each part's energy in four bits, relative to the strongest part's: a
// strong edge in one part stands out of the rest.
std::array<quint8, 8> profile(const std::array<quint64, Parts>& energy)
{
    const quint64 strongest = *std::max_element(energy.begin(), energy.end());
    quint64 out = 0;
    for (int k = 0; k < Strips * Strips; ++k) {
        const quint64 q =
            strongest
                ? quint64(std::llround(15.0 * double(energy[std::size_t(k)]) / double(strongest)))
                : 0;
        out |= q << (4 * k);
    }
    std::array<quint8, 8> bytes;
    for (int i = 0; i < 8; ++i)
        bytes[std::size_t(i)] = quint8(out >> (8 * i));
    return bytes;
}

// In double: the sides of a rectangle spanning all of int overflow 32 bits,
// and their product 64.
double area(const QRect& rect)
{
    return double(qint64(rect.right()) - rect.left() + 1) *
           double(qint64(rect.bottom()) - rect.top() + 1);
}

// The overlap of [from, to] with part k of a tile's extent [start, end]
// (pixels, inclusive), as a share of the part; its width through `width`.
double partOverlap(int start, int end, int side, int unit, int k, int from, int to, int& width)
{
    const int p0 = start + stripStart(side, k, unit);
    const int p1 = std::min(start + stripStart(side, k + 1, unit), end + 1) - 1;
    width = std::max(p1 - p0 + 1, 0);
    const int o0 = std::max(p0, from), o1 = std::min(p1, to);
    return width > 0 && o1 >= o0 ? double(o1 - o0 + 1) / width : 0.0;
}

// The share of a tile's energy that lies in the rectangle [left, right] x
// [top, bottom] of its extent, from its parts' profile; a part the
// rectangle cuts counts as much as it covers of it.
double shareWithin(const std::array<quint8, 8>& bytes, const QRect& tile, int side,
                   const QRect& inside)
{
    quint64 parts = 0;
    for (int i = 0; i < 8; ++i)
        parts |= quint64(bytes[std::size_t(i)]) << (8 * i);
    double total = 0, within = 0, area = 0, areaWithin = 0;
    for (int row = 0; row < Strips; ++row) {
        int height = 0;
        const double fy = partOverlap(tile.top(), tile.bottom(), side, 4, row, inside.top(),
                                      inside.bottom(), height);
        for (int column = 0; column < Strips; ++column) {
            int width = 0;
            const double fx = partOverlap(tile.left(), tile.right(), side, 8, column, inside.left(),
                                          inside.right(), width);
            if (width == 0 || height == 0)
                continue;
            const double q = double((parts >> (4 * (row * Strips + column))) & 15);
            total += q;
            within += q * fx * fy;
            area += double(width) * height;
            areaWithin += double(width) * height * fx * fy;
        }
    }
    // No energy anywhere: as the area.
    return total > 0 ? within / total : (area > 0 ? areaWithin / area : 0.0);
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
    // Whole 8x8 blocks only, as JPEG cuts them.
    const int width = picture.width() & ~7;
    const int height = picture.height() & ~7;
    if (width < 8 || height < 8)
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
    // The cell level sums of the band before, for the 8x8 blocks.
    const int cells = width / 4;
    std::vector<quint16> cellRows(2 * std::size_t(cells));
    const int bands = height / 4;
    for (int band = 0; band < bands; ++band) {
        const int y = 4 * band;
        const uchar* const rows[4] = {source->constScanLine(y), source->constScanLine(y + 1),
                                      source->constScanLine(y + 2), source->constScanLine(y + 3)};
        quint16* current = cellRows.data() + std::size_t(band % 2) * cells;
        const quint16* previous = cellRows.data() + std::size_t((band + 1) % 2) * cells;
        const int rowStrip = [&] {
            const int local = y % side;
            int k = Strips - 1;
            while (k > 0 && local < stripStart(side, k, 4))
                --k;
            return k;
        }();
        for (int column = 0; column < map.m_columns; ++column) {
            TileSums& tile = sums[std::size_t(column)];
            const int x0 = column * side;
            const int x1 = std::min(x0 + side, width);
            for (int k = 0; k < Strips; ++k) {
                const int s0 = x0 + stripStart(side, k, 8);
                const int s1 = std::min(x0 + stripStart(side, k + 1, 8), x1);
                BandSums strip;
                for (int x = s0; x < s1; x += MaxRunWidth)
                    sumBand(rows, x, std::min(x + MaxRunWidth, s1), strip, current);
                tile.band.level += strip.level;
                tile.band.fine += strip.fine;
                tile.band.coarse += strip.coarse;
                tile.band.noise += strip.noise;
                tile.band.coarseNoise += strip.coarseNoise;
                tile.cellEnergy[std::size_t(rowStrip) * Strips + std::size_t(k)] += strip.coarse;
                const std::size_t quadrant = std::size_t(rowStrip / 2) * 2 + std::size_t(k / 2);
                tile.quadrantLevel[quadrant] += strip.level;
                tile.quadrantPixels[quadrant] += quint64(std::max(s1 - s0, 0)) * 4;
            }
            tile.cells += quint64(x1 - x0) / 4;
            // An odd band completes a row of 8x8 blocks.
            if (band % 2 == 1) {
                tile.coarser += blockDifferences(previous, current, x0 / 4, x1 / 4);
                tile.blocks += quint64(x1 - x0) / 8;
            }
        }

        const bool rowOfTilesEnds = (y + 4) % side == 0 || band == bands - 1;
        if (!rowOfTilesEnds)
            continue;
        Tile* out = tiles.data() + std::size_t(y / side) * std::size_t(map.m_columns);
        for (int column = 0; column < map.m_columns; ++column) {
            const TileSums& s = sums[std::size_t(column)];
            const double cellCount = double(s.cells);
            // Each scale's squared differences divided by the pixels they
            // span squared, so that a smooth ramp scores its squared slope
            // at every scale.
            for (std::size_t q = 0; q < 4; ++q)
                out[column].levels[q] = levelByte(
                    s.quadrantPixels[q] ? double(s.quadrantLevel[q]) / double(s.quadrantPixels[q])
                                        : 0.0);
            out[column].fine = half(double(s.band.fine) / (16 * cellCount));
            out[column].coarse = half(double(s.band.coarse) / (256 * cellCount));
            out[column].coarser =
                half(s.blocks ? double(s.coarser) / (16384.0 * double(s.blocks)) : 0);
            out[column].noise = logByte(double(s.band.noise) / (16 * cellCount));
            out[column].coarseNoise = logByte(double(s.band.coarseNoise) / (256 * cellCount));
            out[column].parts = profile(s.cellEnergy);
            sums[std::size_t(column)] = TileSums();
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

    // The level: each quarter of a tile weighs as much as it covers of the
    // region. The energies: a tile the region cuts counts the share of its energy that
    // its strips place inside the region, so that a strong edge just
    // outside the region is not spread into it.
    double weight = 0, level = 0, fine = 0, coarse = 0, coarser = 0, noise = 0, coarseNoise = 0;
    const int side = m_tileSize;
    // Where a tile's quarters meet, and their areas in a whole tile.
    const int middleX = stripStart(side, 2, 8), middleY = stripStart(side, 2, 4);
    const double fullArea = double(side) * side;
    const std::array<double, 4> quarterArea = {
        double(middleX) * middleY, double(side - middleX) * middleY,
        double(middleX) * (side - middleY), double(side - middleX) * (side - middleY)};
    for (int row = part.top() / side; row <= part.bottom() / side; ++row) {
        const int tileTop = row * side;
        const int tileBottom = std::min(tileTop + side, m_measured.bottom() + 1) - 1;
        const int top = std::max(tileTop, part.top());
        const int bottom = std::min(tileBottom, part.bottom());
        const Tile* tiles = m_tiles.data() + std::size_t(row) * std::size_t(m_columns);
        for (int column = part.left() / side; column <= part.right() / side; ++column) {
            const int tileLeft = column * side;
            const int tileRight = std::min(tileLeft + side, m_measured.right() + 1) - 1;
            const int left = std::max(tileLeft, part.left());
            const int right = std::min(tileRight, part.right());
            const double w = double(bottom - top + 1) * double(right - left + 1);
            const Tile& tile = tiles[column];
            const double whole =
                double(tileBottom - tileTop + 1) * double(tileRight - tileLeft + 1);
            const bool cut = w < whole;
            const double e =
                cut ? whole * shareWithin(
                                  tile.parts,
                                  QRect(QPoint(tileLeft, tileTop), QPoint(tileRight, tileBottom)),
                                  side, QRect(QPoint(left, top), QPoint(right, bottom)))
                    : w;
            weight += w;
            // Each quarter's level as much as the region covers of it.
            if (!cut && whole == fullArea) {
                for (std::size_t q = 0; q < 4; ++q)
                    level += quarterArea[q] * fromLevelByte(tile.levels[q]);
            } else {
                for (int q = 0; q < 4; ++q) {
                    const int qx = q % 2, qy = q / 2;
                    const int x0 = tileLeft + (qx ? middleX : 0);
                    const int x1 =
                        std::min(qx ? tileLeft + side : tileLeft + middleX, tileRight + 1) - 1;
                    const int y0 = tileTop + (qy ? middleY : 0);
                    const int y1 =
                        std::min(qy ? tileTop + side : tileTop + middleY, tileBottom + 1) - 1;
                    const int ow = std::min(x1, right) - std::max(x0, left) + 1;
                    const int oh = std::min(y1, bottom) - std::max(y0, top) + 1;
                    if (ow > 0 && oh > 0)
                        level +=
                            double(ow) * double(oh) * fromLevelByte(tile.levels[std::size_t(q)]);
                }
            }
            fine += e * float(tile.fine);
            coarse += e * float(tile.coarse);
            coarser += e * float(tile.coarser);
            noise += w * fromLogByte(tile.noise);
            coarseNoise += w * fromLogByte(tile.coarseNoise);
        }
    }
    result.level = level / weight;
    result.fine = fine / weight;
    result.coarse = coarse / weight;
    result.coarser = coarser / weight;
    result.noise = noise / weight;
    result.coarseNoise = coarseNoise / weight;
    result.value = figure(result, FigureScales::Fine);
    result.enoughDetail = detail(result) >= MinDetail;
    return result;
}

double SharpnessMap::figure(const RegionSharpness& region, FigureScales scales)
{
    // A black region would divide by almost nothing; it has no detail
    // either, so its verdict is false whatever its figure.
    const double energy =
        scales == FigureScales::Fine ? region.fine + region.coarse : region.coarse + region.coarser;
    return std::sqrt(std::max(energy, 0.0)) / std::max(region.level, 1.0);
}

double SharpnessMap::detail(const RegionSharpness& region)
{
    return region.coarse - region.coarser - NoiseInDetail * region.coarseNoise;
}

std::size_t SharpnessMap::memoryBytes() const
{
    return sizeof(SharpnessMap) + m_tiles.capacity() * sizeof(Tile);
}

} // namespace kelvaris
