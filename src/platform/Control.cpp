#include "platform/Control.h"

#include "platform/Twips.h"

namespace kelvaris {

Control::Control(QWidget* widget, const QString& name) : m_widget(widget)
{
    m_widget->setObjectName(name);
}

void Control::setLeft(float left)
{
    m_left = left;
    updatePixelGeometry();
}

void Control::setTop(float top)
{
    m_top = top;
    updatePixelGeometry();
}

void Control::setWidth(float width)
{
    m_width = width;
    updatePixelGeometry();
}

void Control::setHeight(float height)
{
    m_height = height;
    updatePixelGeometry();
}

void Control::setGeometry(float left, float top, float width, float height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    updatePixelGeometry();
}

void Control::setVisible(bool visible)
{
    m_visible = visible;
    m_widget->setVisible(visible);
}

void Control::updatePixelGeometry()
{
    m_widget->setGeometry(twipsToPixelRect(m_left, m_top, m_width, m_height));
    pixelGeometryChanged();
}

} // namespace kelvaris
