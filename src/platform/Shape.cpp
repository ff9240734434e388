#include "platform/Shape.h"

#include <QPainter>

namespace kelvaris {

namespace {

class ShapeWidget : public QWidget
{
public:
    ShapeWidget(QWidget* parent, const QColor& colour) : QWidget(parent), m_colour(colour)
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
        painter.setPen(pen);
        painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
    }

private:
    QColor m_colour;
};

} // namespace

Shape::Shape(QWidget* container, const QString& name, const QColor& colour)
    : Control(new ShapeWidget(container, colour), name)
{
}

} // namespace kelvaris
