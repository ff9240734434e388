#include "focus/FocusCurve.h"

#include "platform/ControlLook.h"
#include "platform/OwnedWidget.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace kelvaris {

namespace {

using colour::DarkGrey;
using colour::PanelGrey;
const QColor& Red = colour::Current;
const QColor& Green = colour::Reference;
// The quality figures behind, and the shots whose file has gone, lighter.
const QColor FigureGrey(150, 150, 150);
const QColor GoneGrey(175, 175, 175);

// Room around the plot, in pixels: a line of title above it.
constexpr int TitleHeight = 20;
constexpr int Side = 6;
constexpr int Bottom = 8;

} // namespace

QString percentOf(double value, double best)
{
    if (best <= 0)
        return QString();
    return QStringLiteral("%1 %").arg(std::lround(100 * value / best));
}

class FocusCurveWidget : public OwnedWidget<QWidget, FocusCurve>
{
public:
    FocusCurveWidget(QWidget* parent, FocusCurve* owner) : OwnedWidget(parent, owner)
    {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFont(controlFont());
    }

    const FocusSession* session = nullptr;
    SessionCurve curve;
    int reference = -1;

    int count() const { return session ? session->size() : 0; }

    QRectF plot() const
    {
        return QRectF(Side, TitleHeight, std::max(1, width() - 2 * Side),
                      std::max(1, height() - TitleHeight - Bottom));
    }

    double bestSharpness() const
    {
        return curve.bestSharpness >= 0 ? curve.points[size_t(curve.bestSharpness)].sharpness : 0.0;
    }

    // The top of the scale: the greatest sharpness measured, detail or not.
    double sharpnessScale() const
    {
        double top = 0;
        for (const CurvePoint& point : curve.points)
            top = std::max(top, point.measured ? point.sharpness : 0.0);
        return top;
    }

    double figureScale() const
    {
        double top = 0;
        for (const SessionShot& shot : session->shots())
            top = std::max(top, shot.figureValue);
        return top;
    }

    double xOf(int index) const
    {
        const QRectF area = plot();
        return area.left() + (index + 0.5) * area.width() / std::max(1, count());
    }

    double yOf(double value, double scale) const
    {
        const QRectF area = plot();
        // A little room above the best, so that its mark shows whole.
        return area.bottom() - (scale > 0 ? value / (scale * 1.08) : 0) * area.height();
    }

    QPointF pointOf(int index) const
    {
        const CurvePoint& point = curve.points[size_t(index)];
        return {xOf(index), yOf(point.measured ? point.sharpness : 0, sharpnessScale())};
    }

    int shotAt(QPoint at) const
    {
        const int n = count();
        if (n == 0 || !plot().adjusted(-Side, 0, Side, Bottom).contains(at))
            return -1;
        const double step = plot().width() / n;
        const int index = std::clamp(int((at.x() - plot().left()) / step), 0, n - 1);
        // Near its column is near enough: points may be a pixel apart.
        return std::abs(at.x() - xOf(index)) <= std::max(step / 2, 4.0) ? index : -1;
    }

    QString toolTipOf(int index) const
    {
        const SessionShot& shot = session->shots()[size_t(index)];
        const CurvePoint& point = curve.points[size_t(index)];
        QStringList lines{shot.name};
        if (!point.measured)
            lines << QStringLiteral("Netteté en cours de mesure");
        else if (!point.enoughDetail)
            lines << QStringLiteral("Trop peu de détails dans la zone pour juger la netteté");
        else
            lines << QStringLiteral("Netteté : %1 de la meilleure")
                         .arg(percentOf(point.sharpness, bestSharpness()));
        lines << QStringLiteral("Qualité : %1").arg(shot.figure);
        if (shot.gone)
            lines << QStringLiteral("Fichier disparu");
        else
            lines << QStringLiteral("Cliquer pour en faire l'image de référence");
        return lines.join(QLatin1Char('\n'));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), PanelGrey);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF area = plot();
        painter.setPen(QColor(200, 200, 200));
        painter.drawLine(area.bottomLeft(), area.bottomRight());

        painter.setPen(DarkGrey);
        const QRectF title(Side, 0, width() - 2 * Side, TitleHeight);
        painter.drawText(title, Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Netteté de la zone affichée, prise après prise"));
        painter.setPen(FigureGrey);
        painter.drawText(title, Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("pointillés : qualité (taille du fichier)"));
        const int n = count();
        if (n == 0) {
            painter.setPen(DarkGrey);
            painter.drawText(area, Qt::AlignCenter,
                             QStringLiteral("La courbe de mise au point se trace à chaque prise "
                                            "de vue, après Start."));
            return;
        }
        const double step = area.width() / n;
        const double radius = std::clamp(step / 3, 1.5, 4.0);

        // The quality figures, lighter, behind.
        const double figureTop = figureScale();
        QPainterPath figures;
        for (int i = 0; i < n; ++i) {
            const QPointF p(xOf(i), yOf(session->shots()[size_t(i)].figureValue, figureTop));
            i == 0 ? figures.moveTo(p) : figures.lineTo(p);
        }
        painter.setPen(QPen(FigureGrey, 1, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(figures);

        // The region's sharpness, through the shots measured.
        QPainterPath line;
        bool started = false;
        for (int i = 0; i < n; ++i) {
            if (!curve.points[size_t(i)].measured)
                continue;
            started ? line.lineTo(pointOf(i)) : line.moveTo(pointOf(i));
            started = true;
        }
        painter.setPen(QPen(DarkGrey, 2));
        painter.drawPath(line);

        for (int i = 0; i < n; ++i) {
            const CurvePoint& point = curve.points[size_t(i)];
            if (!point.measured)
                continue;
            const SessionShot& shot = session->shots()[size_t(i)];
            const QColor colour = shot.gone ? GoneGrey : i == n - 1 ? Red : DarkGrey;
            painter.setPen(QPen(colour, 1.5));
            // A point without enough detail is hollow: its figure means little.
            painter.setBrush(point.enoughDetail && !shot.gone ? QBrush(colour) : QBrush(PanelGrey));
            painter.drawEllipse(pointOf(i), radius, radius);
        }
        if (reference >= 0 && reference < n) {
            painter.setPen(QPen(Green, 2));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(pointOf(reference), radius + 3, radius + 3);
        }
        if (curve.bestSharpness >= 0) {
            // The sharpest: a ring and a line down to the axis.
            const QPointF best = pointOf(curve.bestSharpness);
            painter.setPen(QPen(DarkGrey, 1, Qt::DotLine));
            painter.drawLine(best, QPointF(best.x(), area.bottom()));
            painter.setPen(QPen(DarkGrey, 2));
            painter.drawEllipse(best, radius + 6, radius + 6);
            // How far the current shot is from it, where the eye is.
            const CurvePoint& current = curve.points[size_t(n - 1)];
            if (current.measured && current.enoughDetail && n - 1 != curve.bestSharpness) {
                const QPointF at = pointOf(n - 1);
                const QString text = percentOf(current.sharpness, bestSharpness());
                const int textWidth = painter.fontMetrics().horizontalAdvance(text);
                const double left =
                    std::clamp(at.x() - textWidth / 2.0, area.left(), area.right() - textWidth);
                const double top = std::max(area.top(), at.y() - radius - 22);
                painter.setPen(Red);
                painter.drawText(QRectF(left, top, textWidth, 18), Qt::AlignCenter, text);
            }
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        const int index = shotAt(event->position().toPoint());
        setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (index >= 0)
            QToolTip::showText(event->globalPosition().toPoint(), toolTipOf(index), this);
        else
            QToolTip::hideText();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        const int index = shotAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && index >= 0 && owner() && owner()->pointClicked)
            owner()->pointClicked(index);
    }
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
    m_curve->update();
}

int FocusCurve::shotAt(QPoint point) const
{
    return m_curve->shotAt(point);
}

QPointF FocusCurve::pointOf(int index) const
{
    return m_curve->pointOf(index);
}

QString FocusCurve::toolTipOf(int index) const
{
    return m_curve->toolTipOf(index);
}

} // namespace kelvaris
