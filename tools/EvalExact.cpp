#include "EvalExact.h"

#include <algorithm>

namespace kelvaris::eval {

RegionSharpness exactRegion(const QImage& shot, const QRect& crop)
{
    double weight = 0, level = 0, fine = 0, coarse = 0, coarser = 0, noise = 0, coarseNoise = 0;
    for (int y = crop.top() / 8 * 8; y <= crop.bottom() && y + 8 <= shot.height(); y += 8) {
        for (int x = crop.left() / 8 * 8; x <= crop.right() && x + 8 <= shot.width(); x += 8) {
            const double w = double(std::min(y + 7, crop.bottom()) - std::max(y, crop.top()) + 1) *
                             double(std::min(x + 7, crop.right()) - std::max(x, crop.left()) + 1);
            if (w <= 0)
                continue;
            double g[8][8];
            for (int r = 0; r < 8; ++r) {
                const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y + r));
                for (int c = 0; c < 8; ++c)
                    g[r][c] = qGreen(line[x + c]);
            }
            double sum = 0, f1 = 0, h1 = 0, f2 = 0, h2 = 0;
            double cell[2][2] = {};
            for (int cy = 0; cy < 2; ++cy) {
                for (int cx = 0; cx < 2; ++cx) {
                    double b[2][2];
                    for (int by = 0; by < 2; ++by) {
                        for (int bx = 0; bx < 2; ++bx) {
                            const int r = 4 * cy + 2 * by, c = 4 * cx + 2 * bx;
                            const double a = g[r][c], bb = g[r][c + 1], cc = g[r + 1][c],
                                         d = g[r + 1][c + 1];
                            const double gx = bb + d - a - cc, gy = cc + d - a - bb,
                                         hh = a - bb - cc + d;
                            f1 += gx * gx + gy * gy;
                            h1 += hh * hh;
                            b[by][bx] = a + bb + cc + d;
                        }
                    }
                    const double gx = b[0][1] + b[1][1] - b[0][0] - b[1][0];
                    const double gy = b[1][0] + b[1][1] - b[0][0] - b[0][1];
                    const double hh = b[0][0] - b[0][1] - b[1][0] + b[1][1];
                    f2 += gx * gx + gy * gy;
                    h2 += hh * hh;
                    cell[cy][cx] = b[0][0] + b[0][1] + b[1][0] + b[1][1];
                    sum += cell[cy][cx];
                }
            }
            const double gx = cell[0][1] + cell[1][1] - cell[0][0] - cell[1][0];
            const double gy = cell[1][0] + cell[1][1] - cell[0][0] - cell[0][1];
            // Per pixel, in the map's units.
            weight += w;
            level += w * sum / 64;
            fine += w * f1 / 64;
            noise += w * h1 / 64;
            coarse += w * f2 / (4 * 256);
            coarseNoise += w * h2 / (4 * 256);
            coarser += w * (gx * gx + gy * gy) / 16384;
        }
    }
    RegionSharpness out;
    if (weight <= 0)
        return out;
    out.level = level / weight;
    out.fine = fine / weight;
    out.coarse = coarse / weight;
    out.coarser = coarser / weight;
    out.noise = noise / weight;
    out.coarseNoise = coarseNoise / weight;
    out.measuredFraction = 1;
    return out;
}

} // namespace kelvaris::eval
