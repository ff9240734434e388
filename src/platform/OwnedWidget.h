#pragma once

class QWidget;

namespace kelvaris {

// The widget of a control that calls back into the control owning it. The
// widget belongs to its Qt parent and may outlive the control object, so
// the control detaches it when it goes; a detached widget calls nothing.
template <class Widget, class Owner> class OwnedWidget : public Widget
{
public:
    OwnedWidget(QWidget* parent, Owner* owner) : Widget(parent), m_owner(owner) {}
    void detach() { m_owner = nullptr; }

protected:
    Owner* owner() const { return m_owner; }

private:
    Owner* m_owner;
};

} // namespace kelvaris
