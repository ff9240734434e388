#pragma once

#include <cstdint>

namespace kelvaris {

// The arithmetic of the pane gestures, apart from any widget. Lengths are
// twips; "to integer" rounds to nearest, halves to even.

// Left (or Top) that keeps the grabbed point of a dragged picture under
// the pointer: `pointer` is relative to the picture itself.
float dragged(float position, float pointer, std::int32_t grab);

// Left (or Top) after a double-click: the picture point that was grabbed
// moves to the frame's centre, up to the rounding of the centre point.
float recentred(float frameSide, float position, std::int32_t grab);

// Left (or Top) that centres the pane on the point `pointer` of an overview
// `overviewSide` long, for a picture `pictureSide` long in a frame
// `frameSide` long. The picture never leaves its frame's edge uncovered
// when it is larger than the frame; when it is smaller it sits at the far edge.
std::int32_t centredFromOverview(float frameSide, float pictureSide, float overviewSide,
                                 float pointer);

} // namespace kelvaris
