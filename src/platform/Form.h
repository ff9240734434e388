#pragma once

#include "platform/EventHandler.h"

#include <QWidget>

namespace kelvaris {

// A top-level window measured in twips. Its outer Left, Top, Width and
// Height are those of the frame, border and caption included; its scale
// width and height are those of the inner (client) area. A value set by
// the program reads back exactly as set for as long as the window has
// not been moved or resized away from it. An outer size set by the program
// is held between the smallest one Windows allows a sizable window with a
// caption (136 x 39 pixels at 96 DPI, scaled with the DPI) and the desktop.
class Form : public QWidget
{
public:
    explicit Form(const QString& name, QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    float outerLeft() const;
    float outerTop() const;
    float outerWidth() const;
    float outerHeight() const;
    void setOuterLeft(float left);
    void setOuterTop(float top);
    void setOuterWidth(float width);
    void setOuterHeight(float height);

    float scaleWidth() const;
    float scaleHeight() const;
    void setClientSize(float width, float height);

    // Size-change handler: runs when the window is first shown and after
    // every change of its size.
    EventHandler& resized() { return m_resized; }
    // Close-box handler; when set, it decides everything and the window
    // stays as the handler leaves it.
    EventHandler& closing() { return m_closing; }
    // Runs when the window has moved to a screen of its own (perhaps of
    // another scale: a picture shown at one device pixel per picture pixel
    // then takes another size in twips).
    EventHandler& screenChanged() { return m_screenChanged; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void applyOuterSize();
    void applyOuterSizeOnceFramed();
    QSize frameExtra() const;

    struct Stored
    {
        float value = 0.0f;
        bool set = false;
    };
    Stored m_left, m_top, m_width, m_height;
    QSize m_appliedFrameExtra;
    EventHandler m_resized;
    EventHandler m_closing;
    EventHandler m_screenChanged;
    bool m_followsScreen = false;
};

} // namespace kelvaris
