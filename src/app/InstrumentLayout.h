#pragma once

#include "view/CursorGeometry.h"

namespace kelvaris {

// Where the focus instrument goes: in the part of the window that the
// design's controls leave free. That is the band under the comparison view
// (a third of the window at the design size, half of it maximised), or,
// in a wide and low window, the band to its right. The instrument never
// covers a control of the design; it shrinks with the window and shows
// less, then nothing, when too little room is left. Lengths are twips.
struct InstrumentInput
{
    float innerWidth = 0; // the window's client area
    float innerHeight = 0;
    Box fond; // the comparison view, P_Fond, as it stands
    bool hasNotice = false;
};

struct InstrumentArrangement
{
    bool visible = false; // P_Instrument
    Box panel;            // in the window's client area
    // Inside the panel:
    bool noticeVisible = false; // L_Avis, one line
    Box notice;
    bool curveVisible = false; // P_Courbe and, under it, L_Meilleure
    Box curve;
    Box best;
};

namespace instrument {
constexpr float Margin = 45;
constexpr float LineHeight = 285; // a line of text, as the design's labels have it
constexpr float MinCurveHeight = 1200;
constexpr float MinWidth = 3000;
constexpr float TextIndent = 90; // the lines of text start where the curve's title does
} // namespace instrument

InstrumentArrangement arrangeInstrument(const InstrumentInput& input);

class MainWindow;

// Places the focus instrument in the main window, after each layout and
// whenever the notice comes or goes.
class InstrumentPanel
{
public:
    explicit InstrumentPanel(MainWindow& form) : F(form) {}

    void place();

private:
    MainWindow& F;
};

} // namespace kelvaris
