#include "platform/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace kelvaris {

namespace {
double g_twipsPerPixelOverride = 0.0;

int pixelEdge(double twips, double perPixel)
{
    const double px = roundHalfEven(twips / perPixel);
    // Qt's coordinates are ints; a control far off its container is clipped anyway.
    constexpr double limit = 1 << 24;
    return static_cast<int>(std::clamp(px, -limit, limit));
}
} // namespace

double twipsPerPixel()
{
    if (g_twipsPerPixelOverride > 0.0)
        return g_twipsPerPixelOverride;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const double dpi = screen->logicalDotsPerInch();
            if (dpi > 0.0)
                return 1440.0 / dpi;
        }
    }
    return 15.0;
}

void setTwipsPerPixelForTesting(double perPixel) { g_twipsPerPixelOverride = perPixel; }

double roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which the program never changes
    // from its default of round-to-nearest-even.
    return std::nearbyint(value);
}

std::int32_t toInt32(double value)
{
    const double r = roundHalfEven(value);
    if (!(r >= std::numeric_limits<std::int32_t>::min() &&
          r <= std::numeric_limits<std::int32_t>::max()))
        throw std::range_error("overflow converting to a 32-bit integer");
    return static_cast<std::int32_t>(r);
}

std::int16_t toInt16(double value)
{
    const double r = roundHalfEven(value);
    if (!(r >= std::numeric_limits<std::int16_t>::min() &&
          r <= std::numeric_limits<std::int16_t>::max()))
        throw std::range_error("overflow converting to a 16-bit integer");
    return static_cast<std::int16_t>(r);
}

QRect twipsToPixelRect(double left, double top, double width, double height)
{
    const double perPixel = twipsPerPixel();
    const int x0 = pixelEdge(left, perPixel);
    const int y0 = pixelEdge(top, perPixel);
    const int x1 = pixelEdge(left + width, perPixel);
    const int y1 = pixelEdge(top + height, perPixel);
    return QRect(x0, y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

} // namespace kelvaris
