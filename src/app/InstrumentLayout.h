#pragma once

#include "view/CursorGeometry.h"

namespace kelvaris {

// Where the focus instrument goes: in the part of the window that the
// design's controls leave free. That is the band under the comparison view
// (a third of the window at the design size, half of it maximised), or,
// in a wide and low window, the band to its right. The instrument never
// covers a control of the design; it shrinks with the window and shows
// less, then nothing, when too little room is left. Lengths are twips.
//
// Under the curve and its line come the switches of the focus map and of
// peaking, on a line of their own, and, while the map is shown, the
// shortlist of shots to stack on the next.
struct InstrumentInput
{
    float innerWidth = 0; // the window's client area
    float innerHeight = 0;
    Box fond; // the comparison view, P_Fond, as it stands
    bool hasNotice = false;
    bool stackShown = false; // the focus map is shown, and the shortlist with it
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
    // With the curve: mapToggle and peakingToggle, one line.
    Box mapToggle;
    Box peakingToggle;
    bool stackVisible = false; // stackInCursor on the switches' line, stackLabel under it
    Box stackScope;
    Box stack;
};

namespace instrument {
constexpr float Margin = 45;
constexpr float LineHeight = 285; // a line of text, as the design's labels have it
constexpr float MinCurveHeight = 1200;
constexpr float MinWidth = 3000;
constexpr float TextIndent = 90; // the lines of text start where the curve's title does
// The switches' widths, their captions' at the design's font with room to spare.
constexpr float MapToggleWidth = 2550;
constexpr float PeakingToggleWidth = 2250;
constexpr float StackScopeWidth = 2850;
constexpr float ToggleGap = 180;
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
