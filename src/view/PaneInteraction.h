#pragma once

#include <cstdint>

namespace kelvaris {

class MainWindow;
class PaneRenderer;
class PictureBox;

// The mouse gestures of the comparison view, and Select.
class PaneInteraction
{
public:
    PaneInteraction(MainWindow& form, PaneRenderer& renderer) : F(form), m_renderer(renderer) {}

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

    // A new shot that arrives while the reference is shown in the current
    // pane waits in the buffer, so that the release brings back the newest shot.
    bool holdsNewShotAside() const { return SwapHeld; }
    void newShotHeldAside() { m_newShotDuringSwap = true; }

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
    // The picture's grabbed point follows the pointer.
    void pan(PictureBox& picture, float x, float y, std::int32_t grabX, std::int32_t grabY);
    // The grabbed point of the picture moves to its frame's centre.
    void recentre(PictureBox& picture, const PictureBox& frame, std::int32_t grabX,
                  std::int32_t grabY);

    MainWindow& F;
    PaneRenderer& m_renderer;
    bool m_newShotDuringSwap = false;
};

} // namespace kelvaris
