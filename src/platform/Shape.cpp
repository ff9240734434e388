#include "platform/Shape.h"

#include <QPainter>

namespace kelvaris {

namespace {

class ShapeWidget : public QWidget
{
public:
    ShapeWidget(QWidget* parent, const QColor& colour, bool dashed)
        : QWidget(parent), m_colour(colour), m_dashed(dashed)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // A 2-pixel solid line stays visible on a busy overview.
        QPainter painter(this);
        QPen pen(m_colour, 2);
        pen.setJoinStyle(Qt::MiterJoin);
        if (m_dashed)
            pen.setDashPattern({3, 3}); // in line widths: 6 pixels on, 6 off
        painter.setPen(pen);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    QColor m_colour;
    bool m_dashed;
};

} // namespace

Shape::Shape(QWidget* container, const QString& name, const QColor& colour, bool dashed)
    : Control(new ShapeWidget(container, colour, dashed), name)
{
}

} // namespace kelvaris
