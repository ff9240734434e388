#pragma once

#include <cstdint>
#include <optional>

namespace kelvaris {

class MainWindow;
class PaneRenderer;

// The arrangement of the main window's controls for one window size: a top
// bar of two panels, then two square panes of side S, the overview 1.5 S
// wide beside them, and a strip under each. Lengths are twips.
struct LayoutInput
{
    float outerWidth = 0, outerHeight = 0; // the window, frame included (size guard)
    float innerWidth = 0, innerHeight = 0; // its client area
    // Sizes that the layout reads from controls it never resizes.
    float repertoireHeight = 465, imagesHeight = 780, commandesWidth = 4110;
    float repertoireButtonWidth = 420, repertoireBoxLeft = 2430, selectWidth = 645;
    float nbImgWidth = 780, nbImgLabelWidth = 1140;
};

struct WindowArrangement
{
    std::int16_t S = 0; // the pane side
    float repertoireWidth = 0, repertoireBoxWidth = 0, commandesLeft = 0, repertoireButtonLeft = 0;
    float fondTop = 0, fondWidth = 0, fondHeight = 0;
    float lastPaneLeft = 0;
    float overviewLeft = 0, overviewWidth = 0;
    float stripTop = 0, imagesWidth = 0;
    float selectLeft = 0, referenceBoxWidth = 0, currentBoxLeft = 0;
    float nbImgLeft = 0, nbImgLabelLeft = 0, fileNameWidth = 0;
};

// Smallest window (outer size) that is laid out; below it nothing moves.
constexpr float MinLayoutWidth = 10740;
constexpr float MinLayoutHeight = 4425;
// A pane side past this cannot be held; larger windows keep this side.
constexpr double MaxPaneSide = 32767;

// The smaller of two values, as a 16-bit integer rounded to nearest,
// halves to even (equal values give the first). Throws std::range_error
// when the chosen value does not fit.
std::int16_t MinOf(double a, double b);

// The arrangement for `input`, or none when the window is below the guard size.
std::optional<WindowArrangement> arrange(const LayoutInput& input);

// The main window's size-change handler.
class WindowLayout
{
public:
    WindowLayout(MainWindow& form, PaneRenderer& renderer) : F(form), m_renderer(renderer) {}

    void Form_Resize();

private:
    MainWindow& F;
    PaneRenderer& m_renderer;
};

} // namespace kelvaris
