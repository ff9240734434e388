#pragma once

// A subject that recedes from left to right, shot with the focus on one
// depth of it: fine grain everywhere, sharp at one place along the picture's
// width and blurred more the farther a column lies from it.

#include "focus/FocusSamples.h"

#include <QImage>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace kelvaris::test {

// The grain of `width` x `height`, sharp where x / width is `focus` and
// blurred by up to `maxBlur` pixels (box radius) `reach` of the width away
// and beyond (a deeper field for a larger reach); `flatLeft` pixels on the
// left are a flat grey.
inline QImage tiltedSubject(int width, int height, double focus, int maxBlur = 3, int flatLeft = 0,
                            double reach = 0.25, quint32 seed = 11)
{
    const std::vector<int> sharp = grain(width, height, seed);
    std::vector<std::vector<int>> blurs{sharp};
    for (int r = 1; r <= maxBlur; ++r)
        blurs.push_back(blurred(sharp, width, height, r));
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double distance = std::abs(double(x) / width - focus);
            const int r = std::min(maxBlur, int(std::lround(distance / reach * maxBlur)));
            const int v = x < flatLeft ? 128 : blurs[std::size_t(r)][std::size_t(y) * width + x];
            row[x] = qRgb(v, v, v);
        }
    }
    return image;
}

} // namespace kelvaris::test
