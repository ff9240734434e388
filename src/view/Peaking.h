#pragma once

#include <QImage>
#include <QRect>

namespace kelvaris {

// Focus peaking, as a camera shows it on live view: the finest in-focus
// detail of a crop outlined in one colour.
//
// A pair of neighbouring pixels is marked where the green level steps
// between them (the finest scale there is) by
//  - at least Threshold levels, and at least NoiseFactor times the crop's
//    noise, estimated from the median step of the crop (mostly noise, or
//    fine texture in a crop full of it, which only makes the marks
//    fewer), and at least DetailShare of its strongest steps (its 99th
//    percentile): the threshold follows the crop, so that noise at ISO
//    3200 is not taken for detail, nor the faint texture of a
//    high-contrast scene, while a sharp low-contrast edge at ISO 100 is;
//  - by at least Acuity of the range of levels of the eight pixels around
//    it: a sharp edge climbs in one pixel, a blurred one spreads its climb
//    over several, and a thin stroke blurred loses its depth as it spreads,
//    so a crisp edge or stroke is marked and its blurred twin is not,
//    whatever their contrast. An edge passes up to a blur of about 0.7
//    pixel (Gaussian sigma), a stroke of one or two pixels up to about 1;
//    none passes at 2;
//  - within one 8x8 block of the JPEG: a step across a block's edge is
//    never counted, so the edges of blocks that compression flattened are
//    never outlined (blocks lie on the picture's 8-pixel grid; cameras'
//    picture sizes are multiples of 16, so turning a shot upright keeps
//    them there).
// Measured by kelvaris_bench --only aids: 1.3 to 1.9 ms for a 450-pixel
// crop of a 24 MP shot, on a busy machine.
namespace peaking {
constexpr int Threshold = 10;
constexpr double NoiseFactor = 4.5;
constexpr double DetailShare = 0.2;
constexpr double Acuity = 0.5;
} // namespace peaking

// The marks of `crop` (picture pixels) of `picture`: an ARGB32 image of the
// crop's size (cut to the picture), transparent but for the marked pixels,
// which take `colour`.
QImage focusPeaking(const QImage& picture, const QRect& crop, QRgb colour);

// The part of a picture that a pane shows, in picture pixels: `client` is
// the pane's inner area and `shown` the picture's widget in it (logical
// pixels), `pixels` the picture's size, shown at `ratio` device pixels per
// logical pixel (one device pixel per picture pixel). Empty when nothing of
// the picture shows.
QRect paneCrop(const QRect& client, const QRect& shown, QSize pixels, double ratio);

} // namespace kelvaris
