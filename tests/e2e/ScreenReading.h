#pragma once

// Making the shots the program watches for, and reading its window back
// from a screenshot.

#include <QColor>
#include <QImage>
#include <QLine>
#include <QRect>

namespace kelvaris::e2e {

// A shot of four flat quarters.
struct Shot
{
    QColor topLeft, topRight, bottomLeft, bottomRight;
};
constexpr int ShotWidth = 3000, ShotHeight = 2000;

// Writes `shot` as a JPEG of ShotWidth x ShotHeight pixels.
bool writeShot(const QString& path, const Shot& shot);
// Writes a detailed picture (a fine grain) blurred by `blur` pixels, as a
// shot of a focusing sweep.
bool writeDetailedShot(const QString& path, int blur);

// Each channel within `tolerance` of `colour`'s.
bool near(QRgb pixel, const QColor& colour, int tolerance);

// Whether the overview at `overview` shows `shot`: it stretches the whole
// shot, so the middle of each quarter shows that quarter's colour.
bool showsShot(const QImage& screen, const QRect& overview, const Shot& shot);

// The bounding box of the pure red pixels in `area` (the current pane's
// cursor); null when there are none.
QRect redBox(const QImage& screen, const QRect& area);
// The same for the green of the reference's cursor, RGB (0, 192, 0).
QRect greenBox(const QImage& screen, const QRect& area);

// The outer edges of a pane frame's one-pixel grey border, looked for
// within a few pixels of where the layout puts them; null when not found.
QRect measuredFrame(const QImage& screen, const QRect& expected);

// The width of what the overview shows along its lower quarter, told apart
// from the panel grey around it.
int measuredOverviewWidth(const QImage& screen, const QRect& expected);

// The focus curve's axis, the bottom line of its plot, in grey (170, 170,
// 170): the longest run of it across `curve`, found from the bottom up;
// null when there is none.
QLine curveAxis(const QImage& screen, const QRect& curve);

QString describe(const QRect& rect);

} // namespace kelvaris::e2e
