#include "platform/Control.h"

#include "platform/Twips.h"

#include <QPalette>

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

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QFont controlFont(bool bold)
{
    // Where the humanist face is missing (most Linux desktops), a face of
    // similar width keeps the captions inside their design boxes.
    QFont font;
    font.setFamilies({QStringLiteral("Trebuchet MS"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.75);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace kelvaris
