#pragma once

#include <QColor>
#include <QFont>

class QWidget;

namespace kelvaris {

// The look the program's controls share.

// Its colours: the panels' grey, the read-only boxes' lighter grey, the dark
// grey of an empty pane, and the colours that mark everything belonging to
// the current shot (red) and to the reference shot (green).
namespace colour {
inline const QColor PanelGrey(224, 224, 224);
inline const QColor BoxGrey(240, 240, 240);
inline const QColor DarkGrey(64, 64, 64);
inline const QColor Current(255, 0, 0);
inline const QColor Reference(0, 192, 0);
} // namespace colour

// Fills a widget with a flat colour of its own.
void setBackground(QWidget* widget, const QColor& colour);

// The font of every label and text box of the program.
QFont controlFont(bool bold = false);

} // namespace kelvaris
