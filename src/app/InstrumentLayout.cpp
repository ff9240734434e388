#include "app/InstrumentLayout.h"

#include "app/MainWindow.h"

#include <initializer_list>

namespace kelvaris {

using namespace instrument;

namespace {

// How much of the instrument is shown, from the most to the least.
enum class Shown
{
    CurveAndStack,
    Curve,
    NoticeOnly
};

// The height the panel needs: the notice's line, and the curve with the
// best shot's line, the switches' and the shortlist's under it.
float heightFor(bool notice, Shown shown)
{
    float height = notice ? LineHeight : 0;
    if (shown != Shown::NoticeOnly)
        height += (notice ? Margin : 0) + MinCurveHeight + 2 * (Margin + LineHeight);
    if (shown == Shown::CurveAndStack)
        height += Margin + LineHeight;
    return height;
}

bool holds(const Box& band, float height)
{
    return band.width >= MinWidth && band.height >= height && height > 0;
}

} // namespace

InstrumentArrangement arrangeInstrument(const InstrumentInput& in)
{
    const Box& fond = in.fond;
    const float fondRight = fond.left + fond.width;
    const float fondBottom = fond.top + fond.height;
    const Box under{Margin, fondBottom + Margin, in.innerWidth - 2 * Margin,
                    in.innerHeight - Margin - (fondBottom + Margin)};
    const Box right{fondRight + Margin, fond.top, in.innerWidth - Margin - (fondRight + Margin),
                    in.innerHeight - Margin - fond.top};

    InstrumentArrangement r;
    // The whole instrument where it fits, under the view first; else the
    // curve without the shortlist; else the notice alone.
    for (const Shown shown : {Shown::CurveAndStack, Shown::Curve, Shown::NoticeOnly}) {
        if (shown == Shown::CurveAndStack && !in.stackShown)
            continue;
        const float needed = heightFor(in.hasNotice, shown);
        for (const Box& band : {under, right}) {
            if (!r.visible && holds(band, needed)) {
                r.visible = true;
                r.panel = band;
                r.curveVisible = shown != Shown::NoticeOnly;
                r.stackVisible = shown == Shown::CurveAndStack;
            }
        }
    }
    if (!r.visible)
        return r;

    const float w = r.panel.width;
    float top = 0;
    if (in.hasNotice) {
        r.noticeVisible = true;
        r.notice = {TextIndent, 0, w - 2 * TextIndent, LineHeight};
        top = LineHeight + Margin;
    }
    if (r.curveVisible) {
        float bottom = r.panel.height;
        if (r.stackVisible) {
            r.stack = {TextIndent, bottom - LineHeight, w - 2 * TextIndent, LineHeight};
            bottom = r.stack.top - Margin;
        }
        r.mapToggle = {TextIndent, bottom - LineHeight, MapToggleWidth, LineHeight};
        r.peakingToggle = {r.mapToggle.left + MapToggleWidth + ToggleGap, r.mapToggle.top,
                           PeakingToggleWidth, LineHeight};
        r.stackScope = {r.peakingToggle.left + PeakingToggleWidth + ToggleGap, r.mapToggle.top,
                        StackScopeWidth, LineHeight};
        r.best = {TextIndent, r.mapToggle.top - Margin - LineHeight, w - 2 * TextIndent,
                  LineHeight};
        r.curve = {0, top, w, r.best.top - Margin - top};
    }
    return r;
}

void InstrumentPanel::place()
{
    InstrumentInput in;
    in.innerWidth = F.scaleWidth();
    in.innerHeight = F.scaleHeight();
    in.fond = {F.P_Fond.left(), F.P_Fond.top(), F.P_Fond.width(), F.P_Fond.height()};
    in.hasNotice = !F.L_Avis.caption().isEmpty();
    in.stackShown = F.aids.mapShown();
    const InstrumentArrangement r = arrangeInstrument(in);
    F.P_Instrument.setVisible(r.visible);
    if (!r.visible)
        return;
    F.P_Instrument.setGeometry(r.panel.left, r.panel.top, r.panel.width, r.panel.height);
    F.L_Avis.setVisible(r.noticeVisible);
    F.L_Avis.setGeometry(r.notice.left, r.notice.top, r.notice.width, r.notice.height);
    F.P_Courbe.setVisible(r.curveVisible);
    F.L_Meilleure.setVisible(r.curveVisible);
    F.P_Courbe.setGeometry(r.curve.left, r.curve.top, r.curve.width, r.curve.height);
    F.L_Meilleure.setGeometry(r.best.left, r.best.top, r.best.width, r.best.height);
    const auto place = [](Control& control, bool visible, const Box& box) {
        control.setVisible(visible);
        control.setGeometry(box.left, box.top, box.width, box.height);
    };
    place(F.mapToggle, r.curveVisible, r.mapToggle);
    place(F.peakingToggle, r.curveVisible, r.peakingToggle);
    place(F.stackInCursor, r.stackVisible, r.stackScope);
    place(F.stackLabel, r.stackVisible, r.stack);
}

} // namespace kelvaris
