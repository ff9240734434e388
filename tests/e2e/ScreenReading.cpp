#include "e2e/ScreenReading.h"

#include "focus/FocusSamples.h"

#include <QString>

#include <climits>
#include <cstdlib>
#include <functional>

namespace kelvaris::e2e {

bool near(QRgb pixel, const QColor& colour, int tolerance)
{
    return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
           std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
           std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

namespace {

QRect boxOf(const QImage& screen, const QRect& area, const std::function<bool(QRgb)>& wanted)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (screen.valid(x, y) && wanted(screen.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

} // namespace

// The cursor is drawn in pure red (255, 0, 0).
QRect redBox(const QImage& screen, const QRect& area)
{
    return boxOf(screen, area,
                 [](QRgb p) { return qRed(p) >= 200 && qGreen(p) <= 70 && qBlue(p) <= 70; });
}

QRect greenBox(const QImage& screen, const QRect& area)
{
    return boxOf(screen, area, [](QRgb p) { return near(p, QColor(0, 192, 0), 40); });
}

bool writeShot(const QString& path, const Shot& shot)
{
    QImage image(ShotWidth, ShotHeight, QImage::Format_RGB32);
    for (int y = 0; y < ShotHeight; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const bool top = y < ShotHeight / 2;
        const QRgb left = (top ? shot.topLeft : shot.bottomLeft).rgb();
        const QRgb right = (top ? shot.topRight : shot.bottomRight).rgb();
        for (int x = 0; x < ShotWidth; ++x)
            line[x] = x < ShotWidth / 2 ? left : right;
    }
    return image.save(path, "JPG", 90);
}

bool writeDetailedShot(const QString& path, int blur)
{
    return test::halves(1200, 800, blur, blur).save(path, "JPG", 92);
}

bool showsShot(const QImage& screen, const QRect& overview, const Shot& shot)
{
    auto at = [&](double fx, double fy) {
        const QPoint p(overview.left() + int(overview.width() * fx),
                       overview.top() + int(overview.height() * fy));
        return screen.valid(p) ? screen.pixel(p) : QRgb(0);
    };
    constexpr int tolerance = 40;
    return near(at(0.25, 0.25), shot.topLeft, tolerance) &&
           near(at(0.75, 0.25), shot.topRight, tolerance) &&
           near(at(0.25, 0.75), shot.bottomLeft, tolerance) &&
           near(at(0.75, 0.75), shot.bottomRight, tolerance);
}

QRect measuredFrame(const QImage& screen, const QRect& expected)
{
    const QColor border(128, 128, 128);
    const QPoint mid = expected.center();
    auto edge = [&](int from, int to, const std::function<QPoint(int)>& point) {
        const int step = from < to ? 1 : -1;
        for (int i = from; i != to + step; i += step) {
            const QPoint p = point(i);
            if (screen.valid(p) && near(screen.pixel(p), border, 12))
                return i;
        }
        return INT_MIN;
    };
    auto onRow = [&](int x) { return QPoint(x, mid.y()); };
    auto onColumn = [&](int y) { return QPoint(mid.x(), y); };
    const int left = edge(expected.left() - 3, expected.left() + 3, onRow);
    const int right = edge(expected.right() + 3, expected.right() - 3, onRow);
    const int top = edge(expected.top() - 3, expected.top() + 3, onColumn);
    const int bottom = edge(expected.bottom() + 3, expected.bottom() - 3, onColumn);
    if (left == INT_MIN || right == INT_MIN || top == INT_MIN || bottom == INT_MIN)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

int measuredOverviewWidth(const QImage& screen, const QRect& expected)
{
    const QColor panel(224, 224, 224);
    const int y = expected.top() + expected.height() * 3 / 4;
    int left = expected.left() - 3, right = expected.right() + 3;
    while (left <= right && near(screen.pixel(left, y), panel, 8))
        ++left;
    while (right >= left && near(screen.pixel(right, y), panel, 8))
        --right;
    return right - left + 1;
}

QLine curveAxis(const QImage& screen, const QRect& curve)
{
    const QColor axis(170, 170, 170);
    for (int y = curve.bottom(); y >= curve.top(); --y) {
        int runStart = 0, bestStart = 0, best = 0;
        for (int x = curve.left(); x <= curve.right() + 1; ++x) {
            if (x <= curve.right() && screen.valid(x, y) && near(screen.pixel(x, y), axis, 12))
                continue;
            if (x - runStart > best && runStart > 0) {
                best = x - runStart;
                bestStart = runStart;
            }
            runStart = x + 1;
        }
        if (best >= curve.width() / 2)
            return QLine(bestStart, y, bestStart + best - 1, y);
    }
    return {};
}

QString describe(const QRect& r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace kelvaris::e2e
