#include "platform/ControlLook.h"

#include <QPalette>
#include <QWidget>

namespace kelvaris {

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
