#include "view/Peaking.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace kelvaris {

namespace {

using namespace peaking;

// Read around the crop for the seven-pixel steps of its edge pixels.
constexpr int Margin = 4;
// The median of |x| for a normal x is this many standard deviations.
constexpr double MedianOfNormal = 0.6745;

// The green level of `area` of `picture`, row by row.
std::vector<std::uint8_t> greenOf(const QImage& picture, const QRect& area)
{
    std::vector<std::uint8_t> green(std::size_t(area.width()) * std::size_t(area.height()));
    for (int y = 0; y < area.height(); ++y) {
        const auto* line =
            reinterpret_cast<const QRgb*>(picture.constScanLine(area.top() + y)) + area.left();
        std::uint8_t* out = green.data() + std::size_t(y) * std::size_t(area.width());
        for (int x = 0; x < area.width(); ++x)
            out[x] = std::uint8_t(qGreen(line[x]));
    }
    return green;
}

// The first value at which `histogram` reaches `share` of its `total`.
int percentile(const std::array<int, 256>& histogram, qint64 total, double share)
{
    const double wanted = share * double(total);
    qint64 sum = 0;
    for (int v = 0; v < 256; ++v) {
        sum += histogram[std::size_t(v)];
        if (double(sum) >= wanted)
            return v;
    }
    return 255;
}

} // namespace

QImage focusPeaking(const QImage& picture, const QRect& crop, QRgb colour)
{
    const QRect part = crop.intersected(picture.rect());
    if (picture.isNull() || part.isEmpty())
        return {};
    const QRect area = part.adjusted(-Margin, -Margin, Margin, Margin).intersected(picture.rect());
    // Shots are decoded as RGB32; anything else is converted, only the area.
    const bool direct =
        picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    const std::vector<std::uint8_t> green =
        direct ? greenOf(picture, area)
               : greenOf(picture.copy(area).convertToFormat(QImage::Format_RGB32),
                         QRect(QPoint(0, 0), area.size()));
    const int w = area.width();
    const int h = area.height();
    const auto at = [&](int x, int y) {
        return int(green[std::size_t(std::clamp(y, 0, h - 1)) * std::size_t(w) +
                         std::size_t(std::clamp(x, 0, w - 1))]);
    };
    // The pairs that touch the crop or the ring of pixels around it, whose
    // marks the crop's pixels count as neighbours: [x0, x1) x [y0, y1) in
    // the area's coordinates, each pair's first pixel.
    const int x0 = std::max(part.left() - area.left() - 2, 0);
    const int x1 = std::min(part.right() - area.left() + 2, w - 1);
    const int y0 = std::max(part.top() - area.top() - 2, 0);
    const int y1 = std::min(part.bottom() - area.top() + 2, h - 1);
    // A step across the edge of an 8x8 block is not the picture's own.
    const auto acrossBlocks = [](int absolute) { return (absolute & 7) == 7; };

    // The steps of the crop itself, for its noise and its detail.
    std::array<int, 256> histogram{};
    qint64 steps = 0;
    for (int y = part.top() - area.top(); y <= part.bottom() - area.top(); ++y) {
        const bool rowAcross = acrossBlocks(area.top() + y) || y + 1 >= h;
        for (int x = part.left() - area.left(); x <= part.right() - area.left(); ++x) {
            if (!acrossBlocks(area.left() + x) && x + 1 < w) {
                ++histogram[std::size_t(std::abs(at(x + 1, y) - at(x, y)))];
                ++steps;
            }
            if (!rowAcross) {
                ++histogram[std::size_t(std::abs(at(x, y + 1) - at(x, y)))];
                ++steps;
            }
        }
    }
    if (steps == 0)
        return {};
    const double noise = percentile(histogram, steps, 0.5) / MedianOfNormal;
    const int threshold =
        std::max({Threshold, int(std::ceil(NoiseFactor * noise)),
                  int(std::ceil(DetailShare * percentile(histogram, steps, 0.99)))});

    // Marks, over the pairs' span plus one pixel.
    std::vector<std::uint8_t> marks(std::size_t(w) * std::size_t(h), 0);
    const auto mark = [&](int x, int y) {
        marks[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 1;
    };
    for (int y = y0; y < y1; ++y) {
        const bool rowAcross = acrossBlocks(area.top() + y);
        for (int x = x0; x < x1; ++x) {
            const int here = at(x, y);
            if (!acrossBlocks(area.left() + x)) {
                const int step = std::abs(at(x + 1, y) - here);
                if (step >= threshold && step >= Acuity * std::abs(at(x + 4, y) - at(x - 3, y))) {
                    mark(x, y);
                    mark(x + 1, y);
                }
            }
            if (!rowAcross) {
                const int step = std::abs(at(x, y + 1) - here);
                if (step >= threshold && step >= Acuity * std::abs(at(x, y + 4) - at(x, y - 3))) {
                    mark(x, y);
                    mark(x, y + 1);
                }
            }
        }
    }

    QImage out(part.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QRgb ink = colour | 0xff000000u;
    const auto marked = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < w && y < h &&
               marks[std::size_t(y) * std::size_t(w) + std::size_t(x)] != 0;
    };
    for (int y = 0; y < part.height(); ++y) {
        const int ay = part.top() - area.top() + y;
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < part.width(); ++x) {
            const int ax = part.left() - area.left() + x;
            if (!marked(ax, ay))
                continue;
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    neighbours += (dx || dy) && marked(ax + dx, ay + dy);
            if (neighbours >= 2)
                line[x] = ink;
        }
    }
    return out;
}

QRect paneCrop(const QRect& client, const QRect& shown, QSize pixels, double ratio)
{
    const QRect visible = client.intersected(shown);
    if (visible.isEmpty() || pixels.isEmpty() || !(ratio > 0))
        return {};
    // Logical pixels from the picture's corner, at `ratio` picture pixels each.
    const QRectF inPicture(QPointF(visible.topLeft() - shown.topLeft()) * ratio,
                           QSizeF(visible.size()) * ratio);
    return inPicture.toAlignedRect().intersected(QRect(QPoint(0, 0), pixels));
}

} // namespace kelvaris
