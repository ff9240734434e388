#pragma once

// A region's energies from its pixels themselves, each 8x8 block weighted
// by its overlap with the region: what the map's tiles approximate.

#include "focus/RegionSharpness.h"

#include <QImage>
#include <QRect>

namespace kelvaris::eval {

RegionSharpness exactRegion(const QImage& shot, const QRect& crop);

} // namespace kelvaris::eval
