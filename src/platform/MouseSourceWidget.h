#pragma once

#include "platform/MouseEvents.h"

#include <QWidget>

namespace kelvaris {

// The widget of a control that takes the mouse (a picture box, an image):
// it hands every press, move, release and double-click to its handlers.
class MouseSourceWidget : public QWidget
{
public:
    using QWidget::QWidget;

    MouseEvents events;

protected:
    void mousePressEvent(QMouseEvent* event) override { events.press(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override { events.move(this, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { events.release(this, event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { events.doubleClick(this, event); }
};

} // namespace kelvaris
