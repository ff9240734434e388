#include "app/InstrumentLayout.h"

#include "app/MainWindow.h"

#include <initializer_list>

namespace kelvaris {

using namespace instrument;

namespace {

// The height the panel needs: the notice's line, and the curve with the
// best shot's line under it.
float heightFor(bool notice, bool curve)
{
    float height = notice ? LineHeight : 0;
    if (curve)
        height += (notice ? Margin : 0) + MinCurveHeight + Margin + LineHeight;
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
    // The whole instrument where it fits, under the view first; else the notice alone.
    for (const bool curve : {true, false}) {
        const float needed = heightFor(in.hasNotice, curve);
        for (const Box& band : {under, right}) {
            if (!r.visible && holds(band, needed)) {
                r.visible = true;
                r.panel = band;
                r.curveVisible = curve;
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
        r.best = {TextIndent, r.panel.height - LineHeight, w - 2 * TextIndent, LineHeight};
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
}

} // namespace kelvaris
