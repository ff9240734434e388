#pragma once

#include "platform/EventHandler.h"

#include <functional>

class QMouseEvent;
class QWidget;

namespace kelvaris {

// Mouse buttons as the handlers receive them.
enum MouseButton : int
{
    LeftButton = 1,
    RightButton = 2,
    MiddleButton = 4
};

// Mouse handlers receive the button (1 left, 2 right, 4 middle), the shift
// state (1 Shift, 2 Ctrl, 4 Alt) and the pointer position in twips,
// relative to the control that received the press.
using MouseHandler = std::function<void(int button, int shift, float x, float y)>;

struct MouseEvents
{
    MouseHandler mouseDown;
    MouseHandler mouseMove;
    MouseHandler mouseUp;
    EventHandler click;
    EventHandler dblClick;

    // Dispatchers for a widget's overridden mouse event functions.
    void press(QWidget* widget, QMouseEvent* event) const;
    void move(QWidget* widget, QMouseEvent* event) const;
    void release(QWidget* widget, QMouseEvent* event) const;
    void doubleClick(QWidget* widget, QMouseEvent* event) const;

    // A press and a release that come from the keyboard (Espace on a
    // focused button, a shortcut): the handlers see the left button at the
    // control's corner, and the release clicks when `click` is set.
    void keyPress() const;
    void keyRelease(bool clicks) const;

private:
    // The release that ends a double-click makes no second click.
    mutable bool m_afterDoubleClick = false;
};

} // namespace kelvaris
