#include "focus/BandSums.h"

#include <QRgb>

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kelvaris {

void sumBandPortable(const uchar* const rows[4], int x0, int x1, BandSums& sums, quint16* cellSums)
{
    const auto* r0 = reinterpret_cast<const QRgb*>(rows[0]);
    const auto* r1 = reinterpret_cast<const QRgb*>(rows[1]);
    const auto* r2 = reinterpret_cast<const QRgb*>(rows[2]);
    const auto* r3 = reinterpret_cast<const QRgb*>(rows[3]);
    const QRgb* const row[4] = {r0, r1, r2, r3};
    for (int x = x0; x < x1; x += 4) {
        int g[4][4];
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c)
                g[r][c] = qGreen(row[r][x + c]);
        }
        int fine = 0;
        int noise = 0;
        int block[2][2];
        for (int by = 0; by < 2; ++by) {
            for (int bx = 0; bx < 2; ++bx) {
                const int top = 2 * by, left = 2 * bx;
                const int a = g[top][left], b = g[top][left + 1];
                const int c = g[top + 1][left], d = g[top + 1][left + 1];
                const int gx = (b + d) - (a + c);
                const int gy = (c + d) - (a + b);
                const int hh = (a + d) - (b + c);
                fine += gx * gx + gy * gy;
                noise += hh * hh;
                block[by][bx] = a + b + c + d;
            }
        }
        const int gx = (block[0][1] + block[1][1]) - (block[0][0] + block[1][0]);
        const int gy = (block[1][0] + block[1][1]) - (block[0][0] + block[0][1]);
        const int level = block[0][0] + block[0][1] + block[1][0] + block[1][1];
        sums.level += quint64(level);
        sums.fine += quint64(fine);
        const int hh = (block[0][0] + block[1][1]) - (block[0][1] + block[1][0]);
        sums.coarse += quint64(gx * gx + gy * gy);
        sums.coarseNoise += quint64(hh * hh);
        sums.noise += quint64(noise);
        cellSums[x / 4] = quint16(level);
    }
}

#if defined(__SSE2__)

namespace {

// The green channel of 8 pixels as 16-bit lanes.
inline __m128i greens(const uchar* pixels)
{
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + 16));
    // B, G, R, X in memory: green is bits 8..15 of each 32-bit lane.
    const __m128i ga = _mm_srli_epi32(_mm_slli_epi32(a, 16), 24);
    const __m128i gb = _mm_srli_epi32(_mm_slli_epi32(b, 16), 24);
    return _mm_packs_epi32(ga, gb);
}

// gx^2 + gy^2 of the four 2x2 blocks of a row pair, from the pair's column
// sums `s` and column differences `d` (16-bit lanes): one per 32-bit lane.
inline __m128i blockNoise(__m128i d, __m128i low16)
{
    // (d - c) - (b - a), from the columns' differences: low half.
    const __m128i hh = _mm_and_si128(_mm_sub_epi16(_mm_srli_epi32(d, 16), d), low16);
    return _mm_madd_epi16(hh, hh);
}

inline __m128i blockEnergy(__m128i s, __m128i d, __m128i low16)
{
    const __m128i gx = _mm_sub_epi16(_mm_srli_epi32(s, 16), s); // right - left, low half
    const __m128i gy = _mm_add_epi16(_mm_srli_epi32(d, 16), d); // both columns, low half
    const __m128i both = _mm_or_si128(_mm_and_si128(gx, low16), _mm_slli_epi32(gy, 16));
    return _mm_madd_epi16(both, both);
}

quint64 laneSum(__m128i v)
{
    alignas(16) quint32 lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
    return quint64(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
}

} // namespace

// The same arithmetic as sumBandPortable, two cells at a time: cell 0 of a
// strip ends up in 32-bit lane 0, cell 1 in lane 2.
void sumBand(const uchar* const rows[4], int x0, int x1, BandSums& sums, quint16* cellSums)
{
    const __m128i low16 = _mm_set1_epi32(0xffff);
    const __m128i evenLow16 = _mm_set_epi32(0, 0xffff, 0, 0xffff);
    __m128i level = _mm_setzero_si128();
    __m128i fineSum = _mm_setzero_si128();
    __m128i coarseSum = _mm_setzero_si128();
    __m128i noiseSum = _mm_setzero_si128();
    __m128i coarseNoiseSum = _mm_setzero_si128();
    for (int x = x0; x < x1; x += 8) {
        const std::ptrdiff_t offset = std::ptrdiff_t(x) * 4;
        const __m128i g0 = greens(rows[0] + offset);
        const __m128i g1 = greens(rows[1] + offset);
        const __m128i g2 = greens(rows[2] + offset);
        const __m128i g3 = greens(rows[3] + offset);
        const __m128i s01 = _mm_add_epi16(g0, g1);
        const __m128i s23 = _mm_add_epi16(g2, g3);
        const __m128i d01 = _mm_sub_epi16(g1, g0);
        const __m128i d23 = _mm_sub_epi16(g3, g2);
        fineSum = _mm_add_epi32(
            fineSum, _mm_add_epi32(blockEnergy(s01, d01, low16), blockEnergy(s23, d23, low16)));
        noiseSum =
            _mm_add_epi32(noiseSum, _mm_add_epi32(blockNoise(d01, low16), blockNoise(d23, low16)));
        // Block sums, one per 32-bit lane, then the cells' halves.
        const __m128i b01 = _mm_and_si128(_mm_add_epi16(_mm_srli_epi32(s01, 16), s01), low16);
        const __m128i b23 = _mm_and_si128(_mm_add_epi16(_mm_srli_epi32(s23, 16), s23), low16);
        const __m128i columns = _mm_add_epi32(b01, b23);
        const __m128i halves = _mm_sub_epi32(b23, b01);
        const __m128i gx = _mm_sub_epi32(_mm_srli_epi64(columns, 32), columns);
        const __m128i gy = _mm_add_epi32(_mm_srli_epi64(halves, 32), halves);
        const __m128i both = _mm_or_si128(_mm_and_si128(gx, evenLow16),
                                          _mm_slli_epi32(_mm_and_si128(gy, evenLow16), 16));
        coarseSum = _mm_add_epi32(coarseSum, _mm_madd_epi16(both, both));
        const __m128i hh =
            _mm_and_si128(_mm_sub_epi32(_mm_srli_epi64(halves, 32), halves), evenLow16);
        coarseNoiseSum = _mm_add_epi32(coarseNoiseSum, _mm_madd_epi16(hh, hh));
        level = _mm_add_epi32(level, columns);

        const __m128i cellLevel = _mm_add_epi32(columns, _mm_srli_epi64(columns, 32));
        cellSums[x / 4] = quint16(_mm_cvtsi128_si32(cellLevel));
        cellSums[x / 4 + 1] = quint16(_mm_cvtsi128_si32(_mm_srli_si128(cellLevel, 8)));
    }
    sums.level += laneSum(level);
    sums.fine += laneSum(fineSum);
    sums.coarse += laneSum(coarseSum);
    sums.noise += laneSum(noiseSum);
    sums.coarseNoise += laneSum(coarseNoiseSum);
}

#else

void sumBand(const uchar* const rows[4], int x0, int x1, BandSums& sums, quint16* cellSums)
{
    sumBandPortable(rows, x0, x1, sums, cellSums);
}

#endif

} // namespace kelvaris
