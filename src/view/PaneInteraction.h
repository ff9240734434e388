#pragma once

#include "platform/Picture.h"
#include "view/PaneControls.h"

#include <QImage>
#include <QRect>

#include <cstdint>
#include <optional>

namespace kelvaris {

class PaneRenderer;

// The mouse gestures of the comparison view, Select, and the arrival of a
// new shot in the current pane.
class PaneInteraction
{
public:
    PaneInteraction(const PaneControls& controls, PaneRenderer& renderer)
        : F(controls), m_renderer(renderer)
    {
    }

    void P_ImgLast_MouseDown(int button, int shift, float x, float y);
    void P_ImgLast_MouseMove(int button, int shift, float x, float y);
    void P_ImgLast_MouseUp(int button, int shift, float x, float y);
    void P_ImgLast_DblClick();

    void P_ImgRef_MouseDown(int button, int shift, float x, float y);
    void P_ImgRef_MouseMove(int button, int shift, float x, float y);
    void P_ImgRef_MouseUp(int button, int shift, float x, float y);
    void P_ImgRef_DblClick();

    void I_ImgLast_MouseDown(int button, int shift, float x, float y);
    void I_ImgLast_MouseMove(int button, int shift, float x, float y);
    void I_ImgLast_MouseUp(int button, int shift, float x, float y);

    void B_Select_Click();

    // The blink, held by the right button on the current pane or by a key.
    // A blink already held ignores a start from the other, and only the
    // release of what started it ends it: so the hidden buffer keeps the
    // current shot, and the pane never stays on the reference once both
    // are released.
    enum class BlinkHolder
    {
        None,
        RightButton,
        Key,
    };
    void startBlink(BlinkHolder holder);
    void endBlink(BlinkHolder holder);

    // Shows a newly taken shot in the overview and the current pane, which
    // keeps its crop, and places its cursor. During a blink the shot waits
    // in the hidden buffer, so that the release brings back the newest shot.
    // `rendition` is the overview's small rendition of it, when made beforehand.
    void showNewShot(const Picture& shot, const QImage& rendition = QImage());

    // Shows in the current pane, before the rest of a new shot is decoded,
    // its part `part` at `where` in a shot of `whole` pixels: the region the
    // pane shows. Until the whole shot arrives the pane shows its background
    // around it, and Select waits for the whole shot.
    void showNewShotPart(const Picture& part, const QRect& where, QSize whole);
    // The new shot whose part is shown could not be taken after all: the
    // pane shows the shot on screen before it again.
    void withdrawNewShotPart();
    // The part of the next shot that the current pane will show, in its
    // pixels (it may reach past the shot).
    QRect nextShotCrop() const;
    // Whether the current pane shows only a part of a new shot.
    bool isShowingPart() const { return m_arriving.has_value(); }

    // Makes `shot`, named `name`, the reference, shown at the current pane's
    // crop as Select shows it: the crop whose sharpness chose it.
    void showReference(const Picture& shot, const QString& name);

    // The window is on a screen of another scale: the pictures, shown at one
    // device pixel per picture pixel, take their new size in twips, each
    // keeping its crop's corner, and the cursors follow.
    void screenScaleChanged();

    bool LastDragging = false;
    std::int32_t LastGrabX = 0;
    std::int32_t LastGrabY = 0;
    bool RefDragging = false;
    std::int32_t RefGrabX = 0;
    std::int32_t RefGrabY = 0;
    bool SwapHeld = false;
    std::int32_t SavedLastLeft = 0;
    std::int32_t SavedLastTop = 0;
    bool OverviewDragging = false;

private:
    // A part of a new shot, shown before the rest is decoded.
    struct ArrivingShot
    {
        Picture part;
        QRect where;
        QSize whole;
        // Select was clicked meanwhile: at the whole shot's arrival, it
        // becomes the reference at the crop shown at the click.
        bool selected = false;
        float selectedLeft = 0;
        float selectedTop = 0;
    };

    // The picture's grabbed point follows the pointer.
    void pan(PictureBox& picture, float x, float y, std::int32_t grabX, std::int32_t grabY);
    // During a blink: the current picture standing aside takes the size of `shot`.
    void standAside(const Picture& shot);
    // The grabbed point of the picture moves to its frame's centre.
    void recentre(PictureBox& picture, const PictureBox& frame, std::int32_t grabX,
                  std::int32_t grabY);

    void showArrivingPart();
    // The current picture standing aside during a blink takes `size`, in twips.
    void standAsideAt(QSizeF size);

    PaneControls F;
    PaneRenderer& m_renderer;
    BlinkHolder m_blinkHolder = BlinkHolder::None;
    std::optional<ArrivingShot> m_arriving;
};

} // namespace kelvaris
