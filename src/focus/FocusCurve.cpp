#include "focus/FocusCurve.h"

#include "focus/CurveTexts.h"
#include "platform/ControlLook.h"
#include "platform/OwnedWidget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <optional>
#include <utility>

namespace kelvaris {

namespace {

using colour::DarkGrey;
using colour::PanelGrey;
const QColor& Red = colour::Current;
const QColor& Green = colour::Reference;
// The curve's own colour: its line, its points and the sharpest's ring.
const QColor& Instrument = colour::DarkGrey;
// The quality figures behind, the shots whose file has gone, the axes.
const QColor FigureGrey(150, 150, 150);
const QColor GoneGrey(175, 175, 175);
const QColor AxisGrey(170, 170, 170);
const QColor GridGrey(210, 210, 210);
const QColor NumberGrey(100, 100, 100);

} // namespace

class FocusCurveWidget : public OwnedWidget<QWidget, FocusCurve>
{
public:
    FocusCurveWidget(QWidget* parent, FocusCurve* owner) : OwnedWidget(parent, owner)
    {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFont(controlFont());
        place();
    }

    const FocusSession* session = nullptr;
    SessionCurve curve;
    int reference = -1;
    QString emptyText = emptyCurveText(false);
    CurvePlacement placement;
    std::optional<CurveHold> hold;

    int count() const { return session ? session->size() : 0; }

    // Asks where everything goes, for the session as it is.
    void place()
    {
        CurveInput in;
        in.width = width();
        in.height = height();
        const QFontMetricsF metrics(font());
        in.lineHeight = metrics.height();
        in.textWidth = [metrics](const QString& text) { return metrics.horizontalAdvance(text); };
        for (int i = 0; i < count(); ++i) {
            const SessionShot& shot = session->shots()[size_t(i)];
            const CurvePoint point =
                size_t(i) < curve.points.size() ? curve.points[size_t(i)] : CurvePoint{};
            in.shots.push_back({shot.id, shot.name, point.measured, point.sharpness,
                                point.enoughDetail, shot.figureValue});
        }
        in.best = curve.bestSharpness;
        in.bestPosition = curve.bestPosition;
        // A hold ends when a shot it shows has left the session (Reset, Start).
        if (hold && !std::all_of(hold->ids.begin(), hold->ids.end(), [&](int id) {
                return std::any_of(in.shots.begin(), in.shots.end(),
                                   [id](const CurveShot& shot) { return shot.id == id; });
            }))
            hold.reset();
        in.hold = hold;
        placement = placeCurve(in);
        // A hold taken before anything was measured takes the first scale.
        if (hold && hold->scale.top <= 0)
            hold->scale = placement.scale;
    }

    // An empty curve has nothing to aim at: it is not held.
    void holdStill()
    {
        if (!hold && count() > 0)
            hold = placement.hold();
    }

    void letGo()
    {
        if (!hold)
            return;
        hold.reset();
        place();
        update();
    }

    int indexOf(int id) const
    {
        for (int i = 0; i < count(); ++i)
            if (session->shots()[size_t(i)].id == id)
                return i;
        return -1;
    }

    QString toolTipOf(int index) const
    {
        const CurvePoint point =
            size_t(index) < curve.points.size() ? curve.points[size_t(index)] : CurvePoint{};
        const double best =
            curve.bestSharpness >= 0 && size_t(curve.bestSharpness) < curve.points.size()
                ? curve.points[size_t(curve.bestSharpness)].sharpness
                : 0.0;
        return shotToolTip(session->shots()[size_t(index)], point, best);
    }

    // Whether the empty curve's text fits its room wrapped, and that room.
    QRectF emptyArea() const
    {
        const double top = placement.title.box.bottom();
        return {curve::Pad, top, std::max(0.0, width() - 2 * curve::Pad),
                std::max(0.0, height() - top - curve::Pad)};
    }
    bool emptyTextFits() const
    {
        const QRect area = emptyArea().toRect();
        return fontMetrics()
                   .boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, emptyText)
                   .height() <= area.height();
    }

protected:
    void resizeEvent(QResizeEvent*) override { place(); }

    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), PanelGrey);
        const CurvePlacement& p = placement;
        drawFrame(painter);
        const int n = count();
        if (n == 0) {
            painter.setPen(DarkGrey);
            const QRectF area = emptyArea();
            if (emptyTextFits())
                painter.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, emptyText);
            else
                painter.drawText(
                    area, Qt::AlignCenter,
                    fontMetrics().elidedText(emptyText, Qt::ElideRight, int(area.width())));
            return;
        }
        painter.setRenderHint(QPainter::Antialiasing);
        drawLines(painter);

        for (int i = 0; i < n; ++i) {
            const CurvePoint& point = curve.points[size_t(i)];
            if (!point.measured || !p.points[size_t(i)])
                continue;
            const SessionShot& shot = session->shots()[size_t(i)];
            const QColor colour = shot.gone ? GoneGrey : i == n - 1 ? Red : Instrument;
            painter.setPen(QPen(colour, 1.5));
            // A point without enough detail is hollow: its figure means little.
            painter.setBrush(point.enoughDetail && !shot.gone ? QBrush(colour) : QBrush(PanelGrey));
            painter.drawEllipse(*p.points[size_t(i)], p.radius, p.radius);
        }
        if (p.waiting) {
            // The newest shot, waiting at the right edge while the pointer holds the curve.
            const CurvePoint& newest = curve.points[size_t(n - 1)];
            painter.setPen(QPen(Red, 1.5));
            painter.setBrush(newest.measured && newest.enoughDetail ? QBrush(Red)
                                                                    : QBrush(PanelGrey));
            painter.drawEllipse(*p.waiting, 3.0, 3.0);
            if (p.waitingCount > 1) {
                painter.setPen(NumberGrey);
                const QString more = QStringLiteral("+%1").arg(p.waitingCount - 1);
                const double w = painter.fontMetrics().horizontalAdvance(more);
                painter.drawText(QRectF(width() - curve::Pad - w, p.waiting->y() - 22, w, 16),
                                 Qt::AlignCenter, more);
            }
        }
        if (reference >= 0 && reference < n && p.points[size_t(reference)]) {
            painter.setPen(QPen(Green, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(*p.points[size_t(reference)], p.radius + 3, p.radius + 3);
        }
        if (curve.bestSharpness >= 0 && curve.bestSharpness < n &&
            p.points[size_t(curve.bestSharpness)]) {
            // The sharpest: a ring and a line down to the axis, in the curve's colour.
            const QPointF best = *p.points[size_t(curve.bestSharpness)];
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(Instrument, 1, Qt::DotLine));
            painter.drawLine(best, QPointF(best.x(), p.plot.bottom()));
            painter.setPen(QPen(Instrument, 2));
            painter.drawEllipse(best, p.radius + 6, p.radius + 6);
        }
        if (p.bestMark) {
            // The best focus between shots: a triangle on the axis, pointing
            // up, and a dashed line up to the sharpest's height.
            const QPointF at = *p.bestMark;
            const double top =
                p.scale.top > 0 ? p.plot.bottom() - p.scale.hundred / p.scale.top * p.plot.height()
                                : p.plot.top();
            painter.setPen(QPen(FigureGrey, 1, Qt::DashLine));
            painter.drawLine(QPointF(at.x(), std::min(top, at.y())), at);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Instrument);
            painter.drawPolygon(
                QPolygonF{at, at + QPointF(-5, 7), at + QPointF(5, 7)}.translated(0, -7));
        }
        if (!p.current.text.isEmpty()) {
            // How far the current shot is from the sharpest, where the eye is.
            painter.setPen(Red);
            painter.drawText(p.current.box, Qt::AlignCenter, p.current.text);
        }
    }

    // The title line, the axes and their numbers.
    void drawFrame(QPainter& painter) const
    {
        const CurvePlacement& p = placement;
        const QFontMetrics metrics = fontMetrics();
        painter.setPen(DarkGrey);
        painter.drawText(
            p.title.box, Qt::AlignLeft | Qt::AlignVCenter,
            metrics.elidedText(p.title.text, Qt::ElideRight, int(p.title.box.width())));
        painter.setPen(FigureGrey);
        painter.drawText(p.legend.box, Qt::AlignRight | Qt::AlignVCenter, p.legend.text);
        painter.setPen(GridGrey);
        for (const double y : p.percentLines)
            painter.drawLine(QPointF(p.plot.left(), y), QPointF(p.plot.right(), y));
        painter.setPen(AxisGrey);
        painter.drawLine(p.plot.bottomLeft(), p.plot.bottomRight());
        for (const double x : p.slotTicks)
            painter.drawLine(QPointF(x, p.plot.bottom()),
                             QPointF(x, p.plot.bottom() + curve::TickLength));
        painter.setPen(NumberGrey);
        for (const CurveLabel& label : p.percents)
            painter.drawText(label.box, Qt::AlignRight | Qt::AlignVCenter, label.text);
        for (const CurveLabel& label : p.shotNumbers)
            painter.drawText(label.box, Qt::AlignCenter, label.text);
    }

    // The quality figures, dashed, behind the sharpness's line.
    void drawLines(QPainter& painter) const
    {
        const CurvePlacement& p = placement;
        QPainterPath figures;
        QPainterPath line;
        bool figuresStarted = false;
        bool lineStarted = false;
        for (int i = 0; i < count(); ++i) {
            if (p.figures[size_t(i)]) {
                figuresStarted ? figures.lineTo(*p.figures[size_t(i)])
                               : figures.moveTo(*p.figures[size_t(i)]);
                figuresStarted = true;
            }
            if (p.points[size_t(i)] && curve.points[size_t(i)].measured) {
                lineStarted ? line.lineTo(*p.points[size_t(i)]) : line.moveTo(*p.points[size_t(i)]);
                lineStarted = true;
            }
        }
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(FigureGrey, 1, Qt::DashLine));
        painter.drawPath(figures);
        painter.setPen(QPen(Instrument, 2));
        painter.drawPath(line);
    }

    void enterEvent(QEnterEvent*) override { holdStill(); }
    void leaveEvent(QEvent*) override
    {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            letGo();
    }
    // Hidden, the pointer is no longer on it. (Hiding may come as the window
    // closes, after the session has gone: nothing of it is read here.)
    void hideEvent(QHideEvent*) override { hold.reset(); }
    void showEvent(QShowEvent*) override { place(); }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        holdStill();
        const QPointF at = event->position();
        const int index = count() > 0 ? placement.shotAt(at) : -1;
        setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        QString tip;
        if (placement.onBestMark(at))
            tip = bestMarkToolTip(curve.bestPosition, session->shots());
        else if (placement.onWaiting(at))
            tip = waitingToolTip(placement.waitingCount);
        else if (index >= 0)
            tip = toolTipOf(index);
        else if (placement.onTitle(at))
            tip = curveToolTip();
        else if (count() == 0 && !emptyTextFits())
            tip = emptyText;
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(event->globalPosition().toPoint(), tip, this);
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        holdStill();
        // The shot aimed at is the one under the pointer now, whatever comes
        // before the button is released.
        const int index = count() > 0 ? placement.shotAt(event->position()) : -1;
        m_pressedId = index >= 0 ? session->shots()[size_t(index)].id : -1;
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const int id = std::exchange(m_pressedId, -1);
        if (!rect().contains(event->position().toPoint())) {
            letGo();
            return;
        }
        const int index = id >= 0 ? indexOf(id) : -1;
        if (index >= 0 && owner() && owner()->pointClicked)
            owner()->pointClicked(index);
    }

private:
    int m_pressedId = -1;
};

FocusCurve::FocusCurve(QWidget* container, const QString& name)
    : Control(new FocusCurveWidget(container, this), name),
      m_curve(static_cast<FocusCurveWidget*>(widget()))
{
}

FocusCurve::~FocusCurve()
{
    m_curve->detach();
}

void FocusCurve::setCurve(const FocusSession* session, SessionCurve curve, int reference)
{
    m_curve->session = session;
    m_curve->curve = std::move(curve);
    m_curve->reference = reference;
    m_curve->place();
    m_curve->update();
}

void FocusCurve::setEmptyText(const QString& text)
{
    if (text == m_curve->emptyText)
        return;
    m_curve->emptyText = text;
    m_curve->update();
}

QString FocusCurve::emptyText() const
{
    return m_curve->emptyText;
}

int FocusCurve::shotAt(QPoint point) const
{
    return m_curve->count() > 0 ? m_curve->placement.shotAt(point) : -1;
}

QPointF FocusCurve::pointOf(int index) const
{
    const CurvePlacement& p = m_curve->placement;
    if (index < 0 || size_t(index) >= p.points.size())
        return {-1, -1};
    return p.points[size_t(index)].value_or(QPointF(-1, -1));
}

QString FocusCurve::toolTipOf(int index) const
{
    return m_curve->toolTipOf(index);
}

const CurvePlacement& FocusCurve::placement() const
{
    return m_curve->placement;
}

bool FocusCurve::isHeld() const
{
    return m_curve->hold.has_value();
}

} // namespace kelvaris
