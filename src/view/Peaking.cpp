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

// A step across the edge of an 8x8 block is not the picture's own: the
// pair whose first pixel is at `first` along a row or a column.
bool acrossBlocks(int first)
{
    return (first & 7) == 7;
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

// The green levels of `part` of a picture and Margin pixels around it, the
// picture's edge pixels repeated beyond it, so that no read needs a test.
class GreenPlane
{
public:
    GreenPlane(const QImage& picture, const QRect& part)
        : m_stride(part.width() + 2 * Margin), m_origin(part.topLeft() - QPoint(Margin, Margin))
    {
        // Shots are decoded as RGB32; anything else is converted, only around the crop.
        const QRect area =
            part.adjusted(-Margin, -Margin, Margin, Margin).intersected(picture.rect());
        QImage converted;
        const QImage* source = &picture;
        QPoint offset;
        if (picture.format() != QImage::Format_RGB32 && picture.format() != QImage::Format_ARGB32) {
            converted = picture.copy(area).convertToFormat(QImage::Format_RGB32);
            source = &converted;
            offset = area.topLeft();
        }
        const int rows = part.height() + 2 * Margin;
        std::vector<int> columns(static_cast<std::size_t>(m_stride));
        for (int x = 0; x < m_stride; ++x)
            columns[std::size_t(x)] =
                std::clamp(m_origin.x() + x, area.left(), area.right()) - offset.x();
        m_levels.resize(std::size_t(m_stride) * std::size_t(rows));
        for (int y = 0; y < rows; ++y) {
            const int row = std::clamp(m_origin.y() + y, area.top(), area.bottom()) - offset.y();
            const auto* line = reinterpret_cast<const QRgb*>(source->constScanLine(row));
            std::uint8_t* out = m_levels.data() + std::size_t(y) * std::size_t(m_stride);
            for (int x = 0; x < m_stride; ++x)
                out[x] = std::uint8_t(qGreen(line[columns[std::size_t(x)]]));
        }
    }

    // The row of picture row `y`, indexed by picture column.
    const std::uint8_t* row(int y) const
    {
        return m_levels.data() + std::size_t(y - m_origin.y()) * std::size_t(m_stride) -
               m_origin.x();
    }
    std::ptrdiff_t stride() const { return m_stride; }

private:
    int m_stride;
    QPoint m_origin;
    std::vector<std::uint8_t> m_levels;
};

} // namespace

QImage focusPeaking(const QImage& picture, const QRect& crop, QRgb colour)
{
    const QRect part = crop.intersected(picture.rect());
    if (picture.isNull() || part.isEmpty())
        return {};
    QImage out(part.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const GreenPlane green(picture, part);
    const std::ptrdiff_t down = green.stride();
    // Pairs along a row whose second pixel is on the picture, along a column likewise.
    const int lastColumn = picture.width() - 2;
    const int lastRow = picture.height() - 2;

    // The steps inside the crop, for its noise and its detail.
    std::array<int, 256> histogram{};
    qint64 steps = 0;
    for (int y = part.top(); y <= part.bottom(); ++y) {
        const std::uint8_t* g = green.row(y);
        const bool vertical = !acrossBlocks(y) && y < part.bottom();
        for (int x = part.left(); x <= part.right(); ++x) {
            if (!acrossBlocks(x) && x < part.right()) {
                ++histogram[std::size_t(std::abs(g[x + 1] - g[x]))];
                ++steps;
            }
            if (vertical) {
                ++histogram[std::size_t(std::abs(g[x + down] - g[x]))];
                ++steps;
            }
        }
    }
    if (steps == 0)
        return out;
    const double noise = percentile(histogram, steps, 0.5) / MedianOfNormal;
    const int threshold =
        std::max({Threshold, int(std::ceil(NoiseFactor * noise)),
                  int(std::ceil(DetailShare * percentile(histogram, steps, 0.99)))});

    // Every pair with a pixel in the crop: both its pixels are marked.
    const QRgb ink = colour | 0xff000000u;
    // The pair at `at` climbs by `step`; `apart` leads to the next pixel
    // along its direction. The range of the eight pixels around it is only
    // read for the few pairs that climb enough.
    const auto sharp = [threshold](const std::uint8_t* at, std::ptrdiff_t apart) {
        const int step = std::abs(at[apart] - at[0]);
        if (step < threshold)
            return false;
        int low = 255, high = 0;
        for (std::ptrdiff_t i = -3; i <= 4; ++i) {
            low = std::min<int>(low, at[i * apart]);
            high = std::max<int>(high, at[i * apart]);
        }
        return step >= Acuity * (high - low);
    };
    const auto mark = [&](int x, int y) {
        if (part.contains(x, y))
            reinterpret_cast<QRgb*>(out.scanLine(y - part.top()))[x - part.left()] = ink;
    };
    for (int y = part.top() - 1; y <= part.bottom(); ++y) {
        if (y < 0)
            continue;
        const std::uint8_t* g = green.row(y);
        const bool inCrop = y >= part.top();
        const bool vertical = !acrossBlocks(y) && y <= lastRow;
        for (int x = std::max(part.left() - 1, 0); x <= part.right(); ++x) {
            if (inCrop && !acrossBlocks(x) && x <= lastColumn && sharp(g + x, 1)) {
                mark(x, y);
                mark(x + 1, y);
            }
            if (vertical && x >= part.left() && sharp(g + x, down)) {
                mark(x, y);
                mark(x, y + 1);
            }
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
