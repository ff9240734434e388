#pragma once

#include "view/CursorGeometry.h"
#include "view/PaneControls.h"

#include <functional>
#include <optional>

namespace kelvaris {

// A control's place and size, as the cursor arithmetic takes them.
Box boxOf(const Control& control);

// Places the two crop cursors on the overview from the positions of the
// pictures in their panes. It moves no picture and draws nothing itself.
class PaneRenderer
{
public:
    explicit PaneRenderer(const PaneControls& controls) : F(controls) {}

    // Set once the current pane, or the reference pane, holds a shot; never cleared.
    bool LastPaneDirty = false;
    bool RefPaneDirty = false;

    void RenderPanes();

    // While the reference is blinked into the current pane, the current
    // shot stands aside with the place and size it had: its cursor keeps
    // marking its crop, not the reference's. None when no blink is held.
    void setCurrentAside(std::optional<Box> picture) { m_currentAside = picture; }
    const std::optional<Box>& currentAside() const { return m_currentAside; }

    // The current shot's picture, relative to its frame, whether it is in
    // the pane or standing aside.
    Box currentPicture() const;
    // The part of the current shot that its pane shows, in picture pixels;
    // empty before the first shot.
    QRectF currentCrop() const;
    // The part of the next shot that the current pane will show, in its
    // pixels, as the pane keeps its place when a shot arrives: known
    // before the shot is decoded. It may reach past the shot.
    QRect nextShotCrop() const;

    // Called whenever the crops may have moved: after every RenderPanes,
    // and while the overview is dragged, whose cursor is placed only at
    // the release.
    std::function<void()> cropsMoved;

private:
    PaneControls F;
    std::optional<Box> m_currentAside;
};

} // namespace kelvaris
