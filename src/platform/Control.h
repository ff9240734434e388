#pragma once

#include <QString>
#include <QWidget>

namespace kelvaris {

// Base of every control of a form: a QWidget placed by Left, Top, Width and
// Height in float twips. Each value is kept exactly as it was last set and
// read back unchanged; the widget is placed at the nearest pixels.
//
// The widget belongs to its Qt parent (the container's widget); the control
// object only places it.
class Control
{
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    float left() const { return m_left; }
    float top() const { return m_top; }
    float width() const { return m_width; }
    float height() const { return m_height; }
    void setLeft(float left);
    void setTop(float top);
    void setWidth(float width);
    void setHeight(float height);
    void setGeometry(float left, float top, float width, float height);

    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);

    QString name() const { return m_widget->objectName(); }
    QWidget* widget() const { return m_widget; }
    // The widget that holds the controls placed inside this one: the area
    // within the border, where a child's Left and Top are measured from.
    virtual QWidget* clientWidget() const { return m_widget; }

    // Re-places the widget after a change of the screen's twips per pixel.
    void updatePixelGeometry();

protected:
    // `widget` is already parented to its container's widget.
    Control(QWidget* widget, const QString& name);
    // Called after the widget has been placed in pixels.
    virtual void pixelGeometryChanged() {}

private:
    QWidget* m_widget;
    float m_left = 0.0f;
    float m_top = 0.0f;
    float m_width = 0.0f;
    float m_height = 0.0f;
    bool m_visible = true;
};

// The widget of `container`, for constructing a child control inside it.
inline QWidget* inside(const Control& container)
{
    return container.clientWidget();
}

} // namespace kelvaris
