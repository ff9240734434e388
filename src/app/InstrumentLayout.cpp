#include "app/InstrumentLayout.h"

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

} // namespace kelvaris
