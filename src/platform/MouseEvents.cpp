#include "platform/MouseEvents.h"

#include "platform/Twips.h"

#include <QMouseEvent>
#include <QWidget>
#include <utility>

namespace kelvaris {

namespace {

int buttonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return LeftButton;
    case Qt::RightButton:
        return RightButton;
    case Qt::MiddleButton:
        return MiddleButton;
    default:
        return 0;
    }
}

// During a move the button is the set of buttons held, as the handlers expect.
int heldButtons(Qt::MouseButtons buttons)
{
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= LeftButton;
    if (buttons & Qt::RightButton)
        code |= RightButton;
    if (buttons & Qt::MiddleButton)
        code |= MiddleButton;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers)
{
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

void call(const MouseHandler& handler, int button, QMouseEvent* event)
{
    if (!handler)
        return;
    const double perPixel = twipsPerPixel();
    const QPointF pos = event->position();
    handler(button, shiftCode(event->modifiers()), static_cast<float>(pos.x() * perPixel),
            static_cast<float>(pos.y() * perPixel));
}

} // namespace

void MouseEvents::press(QWidget*, QMouseEvent* event) const
{
    call(mouseDown, buttonCode(event->button()), event);
}

void MouseEvents::move(QWidget*, QMouseEvent* event) const
{
    call(mouseMove, heldButtons(event->buttons()), event);
}

void MouseEvents::release(QWidget* widget, QMouseEvent* event) const
{
    const bool afterDoubleClick = std::exchange(m_afterDoubleClick, false);
    call(mouseUp, buttonCode(event->button()), event);
    // A click is a left press and release over the same control.
    if (click && !afterDoubleClick && event->button() == Qt::LeftButton &&
        widget->rect().contains(event->position().toPoint()))
        click();
}

void MouseEvents::doubleClick(QWidget*, QMouseEvent* event) const
{
    // Only the left button double-clicks. A quick second press of another
    // button is an ordinary press, so that a fast right-button blink still
    // shows the reference each time.
    if (event->button() == Qt::LeftButton) {
        m_afterDoubleClick = true;
        if (dblClick)
            dblClick();
    } else {
        press(nullptr, event);
    }
}

void MouseEvents::keyPress() const
{
    if (mouseDown)
        mouseDown(LeftButton, 0, 0, 0);
}

void MouseEvents::keyRelease(bool clicks) const
{
    if (mouseUp)
        mouseUp(LeftButton, 0, 0, 0);
    if (clicks && click)
        click();
}

} // namespace kelvaris
