#pragma once

#include "focus/CurvePlacement.h"
#include "focus/FocusSession.h"
#include "platform/Control.h"

#include <functional>

namespace kelvaris {

class FocusCurveWidget;

// The focus curve: the session's shots in order along the bottom, numbered
// as their files are, the sharpness of the region in view for each up the
// side as a percentage of the sharpest's (and, dashed, its quality figure).
// Red marks the current shot alone; the sharpest is ringed in the curve's
// own dark grey, the reference in green; a small triangle on the axis marks
// the best focus estimated between shots. Hovering a point tells that
// shot's name and figures; clicking it asks for that shot as the
// reference. Where everything goes is CurvePlacement's decision.
//
// While the pointer rests on the curve, nothing on it moves (see
// CurvePlacement): a click takes the shot that was under the pointer when
// the button went down, whatever arrived since.
class FocusCurve : public Control
{
public:
    FocusCurve(QWidget* container, const QString& name);
    ~FocusCurve() override;

    // Shows `curve` for the shots of `session`, which must outlive the
    // curve or be shown again; `reference` is the index of the reference
    // shot in the session, -1 when it is none of them.
    void setCurve(const FocusSession* session, SessionCurve curve, int reference);
    // What the curve says while the session is empty.
    void setEmptyText(const QString& text);
    QString emptyText() const;

    // Index of the shot under `point` (widget pixels), -1 when none.
    int shotAt(QPoint point) const;
    // The centre of shot `index`'s point, in widget pixels; (-1, -1) while
    // it waits for the pointer to leave.
    QPointF pointOf(int index) const;
    // What hovering shot `index` tells.
    QString toolTipOf(int index) const;
    // What the curve paints, where.
    const CurvePlacement& placement() const;
    // Whether the pointer holds the curve still.
    bool isHeld() const;

    std::function<void(int index)> pointClicked;

private:
    FocusCurveWidget* m_curve;
};

} // namespace kelvaris
