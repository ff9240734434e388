#include "Lens.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <thread>
#include <vector>

// Runs fn(begin, end) over [0, n) split between the processor's cores.
void parallelFor(int n, const std::function<void(int, int)>& fn)
{
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 16);
    std::vector<std::thread> workers;
    const int step = (n + threads - 1) / threads;
    for (int begin = 0; begin < n; begin += step)
        workers.emplace_back(fn, begin, std::min(n, begin + step));
    for (std::thread& worker : workers)
        worker.join();
}

namespace {

// A box average over 2r + 1 pixels, taken wholly (weight 256) or in part:
// a part of the radius-1 box gives the kernel [a, 1 - 2a, a] of the blurs
// finer than the smallest box, so that focus changes smoothly near the
// sharpest shot.
struct Box
{
    Box(int r, int weight) : factor((quint64(1) << 32) / quint64(2 * r + 1) + 1), weight(weight) {}
    QRgb operator()(QRgb centre, const int* sums) const
    {
        auto channel = [this](int c, int sum) {
            return c + (((int((quint64(sum) * factor) >> 32) - c) * weight) >> 8);
        };
        return qRgb(channel(qRed(centre), sums[0]), channel(qGreen(centre), sums[1]),
                    channel(qBlue(centre), sums[2]));
    }
    quint64 factor;
    int weight;
};

// A box blur of radius r along each row, `in` into `out`; the edges repeat
// the border pixel.
void boxRows(const QImage& in, QImage& out, int r, int weight)
{
    const int w = in.width();
    const Box box(r, weight);
    parallelFor(in.height(), [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(in.constScanLine(y));
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            int s[3] = {};
            for (int i = -r; i <= r; ++i) {
                const QRgb c = src[std::clamp(i, 0, w - 1)];
                s[0] += qRed(c), s[1] += qGreen(c), s[2] += qBlue(c);
            }
            for (int x = 0; x < w; ++x) {
                dst[x] = box(src[x], s);
                const QRgb add = src[std::min(x + r + 1, w - 1)];
                const QRgb sub = src[std::max(x - r, 0)];
                s[0] += qRed(add) - qRed(sub);
                s[1] += qGreen(add) - qGreen(sub);
                s[2] += qBlue(add) - qBlue(sub);
            }
        }
    });
}

// The same down the columns, keeping a running sum per column so that the
// picture is still read row by row.
void boxColumns(const QImage& in, QImage& out, int r, int weight)
{
    const int w = in.width();
    const int h = in.height();
    const Box box(r, weight);
    parallelFor(h, [&](int begin, int end) {
        std::vector<int> sums(size_t(w) * 3, 0);
        auto row = [&](int y) {
            return reinterpret_cast<const QRgb*>(in.constScanLine(std::clamp(y, 0, h - 1)));
        };
        for (int i = begin - r; i <= begin + r; ++i) {
            const QRgb* src = row(i);
            for (int x = 0; x < w; ++x) {
                int* s = &sums[3 * size_t(x)];
                s[0] += qRed(src[x]);
                s[1] += qGreen(src[x]);
                s[2] += qBlue(src[x]);
            }
        }
        for (int y = begin; y < end; ++y) {
            auto* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
            const QRgb* centre = row(y);
            const QRgb* add = row(y + r + 1);
            const QRgb* sub = row(y - r);
            for (int x = 0; x < w; ++x) {
                int* s = &sums[3 * size_t(x)];
                dst[x] = box(centre[x], s);
                s[0] += qRed(add[x]) - qRed(sub[x]);
                s[1] += qGreen(add[x]) - qGreen(sub[x]);
                s[2] += qBlue(add[x]) - qBlue(sub[x]);
            }
        }
    });
}

// The radii of three box blurs that together come closest to a Gaussian of
// the given sigma (box widths 2r + 1 differing by at most 2).
std::array<int, 3> boxRadii(double sigma)
{
    const double variance12 = 12 * sigma * sigma;
    int lower = int(std::floor(std::sqrt(variance12 / 3 + 1)));
    if (lower % 2 == 0)
        --lower;
    const double ideal = (variance12 - 3.0 * lower * lower - 12.0 * lower - 9) / (-4.0 * lower - 4);
    const int m = std::clamp(int(std::lround(ideal)), 0, 3);
    std::array<int, 3> radii;
    for (int i = 0; i < 3; ++i)
        radii[i] = ((i < m ? lower : lower + 2) - 1) / 2;
    return radii;
}

} // namespace

QImage defocused(const QImage& scene, double sigma)
{
    QImage image = scene.copy();
    QImage scratch(image.size(), QImage::Format_RGB32);
    // Finer than the radius-1 box (variance 2/3): part of that box.
    const bool fine = sigma * sigma < 2.0 / 3;
    const int weight = fine ? int(std::lround(sigma * sigma * 1.5 * 256)) : 256;
    for (int r : fine ? std::array<int, 3>{1, 0, 0} : boxRadii(sigma)) {
        if (r > 0) {
            boxRows(image, scratch, r, weight);
            boxColumns(scratch, image, r, weight);
        }
    }
    return image;
}

void addSensorNoise(QImage& image, quint32 seed)
{
    parallelFor(image.height(), [&](int begin, int end) {
        quint32 state = seed * 2654435761u + quint32(begin) * 40503u + 1;
        for (int y = begin; y < end; ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                state ^= state << 13, state ^= state >> 17, state ^= state << 5;
                const int n = int(state % 5) - 2;
                const QRgb c = row[x];
                row[x] = qRgb(std::clamp(qRed(c) + n, 0, 255), std::clamp(qGreen(c) + n, 0, 255),
                              std::clamp(qBlue(c) + n, 0, 255));
            }
        }
    });
}

QImage shoot(const QImage& scene, double sigma, quint32 seed)
{
    QImage image = defocused(scene, sigma);
    addSensorNoise(image, seed);
    return image;
}
