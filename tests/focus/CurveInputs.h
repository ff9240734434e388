#pragma once

// Inputs of the focus curve's placement for the tests: a font of 6 pixels a
// character and 14 a line, in which the plot of a 352 x 139 widget is
// 300 x 98 pixels, from (38, 22).

#include "focus/CurvePlacement.h"

#include <cmath>
#include <vector>

namespace kelvaris::test {

constexpr double CharWidth = 6;
constexpr double LineHeight = 14;
constexpr double PlotLeft = curve::Pad + 5 * CharWidth + curve::LabelGap / 2; // "100 %": 38
constexpr double PlotTop = LineHeight + 4 + curve::Pad;                       // 22
constexpr double Width = 352;
constexpr double Height = 139;
constexpr double PlotBottom = Height - curve::TickLength - LineHeight - 2; // 120
constexpr double PlotHeight = PlotBottom - PlotTop;                        // 98

// Shot `id`, IMG_0001.JPG for 1, measured at `sharpness`, judged.
inline CurveShot shot(int id, double sharpness, bool measured = true)
{
    CurveShot shot;
    shot.id = id;
    shot.name = QStringLiteral("IMG_%1.JPG").arg(id, 4, 10, QLatin1Char('0'));
    shot.measured = measured;
    shot.sharpness = sharpness;
    shot.enoughDetail = true;
    shot.figure = 1000;
    return shot;
}

// Shots of ids 1, 2, 3… of the given sharpness, the sharpest the best.
inline CurveInput input(const std::vector<double>& sharpness, double width = Width,
                        double height = Height)
{
    CurveInput in;
    in.width = width;
    in.height = height;
    in.lineHeight = LineHeight;
    in.textWidth = [](const QString& text) { return CharWidth * double(text.size()); };
    for (std::size_t i = 0; i < sharpness.size(); ++i) {
        in.shots.push_back(shot(int(i) + 1, sharpness[i]));
        if (in.best < 0 || sharpness[i] > sharpness[std::size_t(in.best)])
            in.best = int(i);
    }
    return in;
}

// The y of `value` when the sharpest is `best`: 100 % sits 1/1.08 up the plot.
inline double yOf(double value, double best)
{
    return PlotBottom - value / (best * curve::Headroom) * PlotHeight;
}

inline bool near(double a, double b)
{
    return std::abs(a - b) < 1e-6;
}

} // namespace kelvaris::test
