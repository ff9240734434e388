#include "platform/Form.h"

#include "platform/Twips.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace kelvaris {

namespace {

int toPixels(float twips)
{
    // A hand-edited value may be anything: keep it within Qt's coordinates.
    constexpr double limit = 1 << 24;
    return static_cast<int>(std::clamp(roundHalfEven(twips / twipsPerPixel()), -limit, limit));
}

// The smallest outer size Windows lets a sizable window with a caption take,
// its minimum tracking size (SM_CXMINTRACK x SM_CYMINTRACK): 136 x 39 pixels
// at 96 DPI, scaled with the logical DPI as Windows scales its metrics. It
// leaves the caption and its buttons usable, so that a window restored from
// a hand-edited size can be grown or maximised again.
QSize minimumTrackSize()
{
    const double scale = 1440.0 / twipsPerPixel() / 96.0;
    return {static_cast<int>(std::lround(136 * scale)), static_cast<int>(std::lround(39 * scale))};
}

// The stored twips when they still describe `pixels`, else the pixels' twips.
float readBack(int pixels, float stored, bool set)
{
    if (set && toPixels(stored) == pixels)
        return stored;
    return static_cast<float>(pixels * twipsPerPixel());
}

} // namespace

Form::Form(const QString& name, QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setObjectName(name);
}

float Form::outerLeft() const
{
    return readBack(frameGeometry().x(), m_left.value, m_left.set);
}
float Form::outerTop() const
{
    return readBack(frameGeometry().y(), m_top.value, m_top.set);
}
float Form::outerWidth() const
{
    return readBack(frameGeometry().width(), m_width.value, m_width.set);
}
float Form::outerHeight() const
{
    return readBack(frameGeometry().height(), m_height.value, m_height.set);
}

void Form::setOuterLeft(float left)
{
    m_left = {left, true};
    // A window's position is that of its frame.
    move(toPixels(left), frameGeometry().y());
}

void Form::setOuterTop(float top)
{
    m_top = {top, true};
    move(frameGeometry().x(), toPixels(top));
}

void Form::setOuterWidth(float width)
{
    m_width = {width, true};
    applyOuterSize();
}

void Form::setOuterHeight(float height)
{
    m_height = {height, true};
    applyOuterSize();
}

float Form::scaleWidth() const
{
    return static_cast<float>(width() * twipsPerPixel());
}
float Form::scaleHeight() const
{
    return static_cast<float>(height() * twipsPerPixel());
}

void Form::setClientSize(float width, float height)
{
    resize(toPixels(width), toPixels(height));
}

QSize Form::frameExtra() const
{
    return frameGeometry().size() - geometry().size();
}

void Form::applyOuterSize()
{
    // The frame's thickness is known only once the window manager has
    // framed the window; until then it counts as none, and the size is
    // applied again when it becomes known.
    m_appliedFrameExtra = frameExtra();
    const QSize floor = minimumTrackSize();
    const int w =
        m_width.set ? std::max(toPixels(m_width.value), floor.width()) - m_appliedFrameExtra.width()
                    : width();
    const int h = m_height.set ? std::max(toPixels(m_height.value), floor.height()) -
                                     m_appliedFrameExtra.height()
                               : height();
    // No larger than all the screens together: a window the window system
    // cannot hold would bring the program down, and nobody could see it whole.
    const QSize desktop = screen() ? screen()->virtualSize() : QSize(1 << 14, 1 << 14);
    resize(std::clamp(w, 1, std::max(desktop.width(), 1)),
           std::clamp(h, 1, std::max(desktop.height(), 1)));
}

void Form::resizeEvent(QResizeEvent*)
{
    applyOuterSizeOnceFramed();
    if (m_resized)
        m_resized();
}

void Form::applyOuterSizeOnceFramed()
{
    // Only the first framing re-applies the stored size: later the user's
    // own resizing rules.
    if ((m_width.set || m_height.set) && m_appliedFrameExtra.isNull() &&
        frameExtra() != m_appliedFrameExtra)
        applyOuterSize();
}

void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The native window exists from the first showing on.
    if (!m_followsScreen && windowHandle()) {
        m_followsScreen = true;
        connect(windowHandle(), &QWindow::screenChanged, this, [this] {
            if (m_screenChanged)
                m_screenChanged();
        });
    }
    applyOuterSizeOnceFramed();
}

void Form::moveEvent(QMoveEvent*)
{
    applyOuterSizeOnceFramed();
}

void Form::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->ignore();
        m_closing();
        return;
    }
    QWidget::closeEvent(event);
}

} // namespace kelvaris
