#pragma once

#include "focus/FocusSession.h"
#include "platform/Control.h"

#include <functional>

namespace kelvaris {

class FocusCurveWidget;

// The focus curve: the session's shots in the order they were taken, the
// sharpness of the region in view for each (and, lighter, its quality
// figure), the sharpest marked, the current shot in red and the reference
// in green. Hovering a point tells that shot's name and figures; clicking
// it asks for that shot as the reference.
class FocusCurve : public Control
{
public:
    FocusCurve(QWidget* container, const QString& name);
    ~FocusCurve() override;

    // Shows `curve` for the shots of `session`, which must outlive the
    // curve or be shown again; `reference` is the index of the reference
    // shot in the session, -1 when it is none of them.
    void setCurve(const FocusSession* session, SessionCurve curve, int reference);

    // Index of the shot under `point` (widget pixels), -1 when none.
    int shotAt(QPoint point) const;
    // The centre of shot `index`'s point, in widget pixels.
    QPointF pointOf(int index) const;
    // What hovering shot `index` tells.
    QString toolTipOf(int index) const;

    std::function<void(int index)> pointClicked;

private:
    FocusCurveWidget* m_curve;
};

// A figure relative to the best, as the curve and its captions give it.
QString percentOf(double value, double best);

} // namespace kelvaris
