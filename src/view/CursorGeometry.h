#pragma once

#include <QRectF>
#include <QSize>

namespace kelvaris {

// Where a pane's crop lies on the overview of the whole shot. All lengths
// are twips; controls hold 32-bit floats and the arithmetic runs in double.
struct Box
{
    float left = 0.0f;
    float top = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

struct PaneGeometry
{
    float frameWidth = 0.0f; // the pane's frame
    float frameHeight = 0.0f;
    Box picture; // the full-size picture, relative to the frame
};

// The part of a shot of `pixels` that `pane` shows, in picture pixels,
// cut to the shot (empty when the crop lies wholly outside it). The pane
// shows one screen pixel per picture pixel, so the picture's size in twips
// gives the scale.
QRectF visibleCrop(const PaneGeometry& pane, QSize pixels);

// The cursor box on `overview` for the crop that `pane` shows. Across, the
// scale is the overview's width over the picture's; down, its height over
// the picture's, for the cursor's top as for its height. Nothing is rounded
// or clamped: a cursor may reach past the overview's edges.
Box cursorBox(const Box& overview, const PaneGeometry& pane);

} // namespace kelvaris
