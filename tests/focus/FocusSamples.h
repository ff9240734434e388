#pragma once

// Pictures with detail where a test wants it: a fine random texture, sharp
// or blurred by a few pixels, half and half.

#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <vector>

namespace kelvaris::test {

// A grey texture of fine grain, the same for the same seed: random levels
// smoothed by a 1-2-1 kernel each way, as a lens and a sensor's pixels
// leave the finest detail of a scene. (Grain of independent pixels would
// be indistinguishable from sensor noise, and judged as such.)
inline std::vector<int> grain(int width, int height, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<int> raw(size_t(width) * height);
    for (int& v : raw)
        v = 10 + int(random.bounded(236));
    std::vector<int> across(raw.size()), values(raw.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t row = size_t(y) * width;
            across[row + x] = (raw[row + std::max(x - 1, 0)] + 2 * raw[row + x] +
                               raw[row + std::min(x + 1, width - 1)]) /
                              4;
        }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            values[size_t(y) * width + x] =
                (across[size_t(std::max(y - 1, 0)) * width + x] +
                 2 * across[size_t(y) * width + x] +
                 across[size_t(std::min(y + 1, height - 1)) * width + x]) /
                4;
    return values;
}

// A horizontal then vertical box blur of radius `r`, repeated twice: close
// to a defocus of a few pixels.
inline std::vector<int> blurred(std::vector<int> values, int width, int height, int r)
{
    std::vector<int> scratch(values.size());
    for (int pass = 0; pass < 2; ++pass) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += values[size_t(y) * width + std::clamp(x + k, 0, width - 1)];
                scratch[size_t(y) * width + x] = sum / (2 * r + 1);
            }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                int sum = 0;
                for (int k = -r; k <= r; ++k)
                    sum += scratch[size_t(std::clamp(y + k, 0, height - 1)) * width + x];
                values[size_t(y) * width + x] = sum / (2 * r + 1);
            }
    }
    return values;
}

// The texture, its left half blurred by `leftBlur` pixels and its right half
// by `rightBlur` (0: sharp).
inline QImage halves(int width, int height, int leftBlur, int rightBlur, quint32 seed = 7)
{
    const std::vector<int> sharp = grain(width, height, seed);
    const std::vector<int> left = leftBlur ? blurred(sharp, width, height, leftBlur) : sharp;
    const std::vector<int> right = rightBlur ? blurred(sharp, width, height, rightBlur) : sharp;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int v = (x < width / 2 ? left : right)[size_t(y) * width + x];
            row[x] = qRgb(v, v, v);
        }
    }
    return image;
}

} // namespace kelvaris::test
