#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace kelvaris {

// The look the program's controls share.

// Fills a widget with a flat colour of its own.
void setBackground(QWidget* widget, const QColor& colour);

// The font of every label and text box of the program.
QFont controlFont(bool bold = false);

} // namespace kelvaris
