#include "platform/PictureBox.h"

#include "platform/ControlLook.h"
#include "platform/MouseSourceWidget.h"
#include "platform/Twips.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>

#include <utility>

namespace kelvaris {

// The widget of a picture box. A bordered box keeps its children in an
// inner client widget, so that their Left and Top start inside the border.
class PictureBoxWidget : public MouseSourceWidget
{
public:
    PictureBoxWidget(QWidget* parent, const PictureBox::Look& look)
        : MouseSourceWidget(parent), m_background(look.background), m_border(look.border),
          m_borderColour(look.borderColour), m_devicePixels(look.devicePixels)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        if (m_border) {
            m_client = new QWidget(this);
            m_client->setObjectName(QStringLiteral("client"));
            setBackground(m_client, m_background);
        }
    }

    Picture picture;
    // A part of a picture not yet decoded in full, and where it lies in it.
    Picture part;
    QRect partAt;
    QWidget* client() const { return m_client ? m_client : const_cast<PictureBoxWidget*>(this); }

    // Picture pixels per logical pixel of this widget.
    double pixelRatio() const { return m_devicePixels ? devicePixelRatioF() : 1.0; }

    // Size of `shown` in this widget's logical pixels.
    QSizeF pictureSize(const Picture& shown) const
    {
        if (!shown || shown->isNull())
            return {};
        return m_devicePixels ? QSizeF(shown->size()) / devicePixelRatioF() : QSizeF(shown->size());
    }

    // The client area lies within the one-pixel border.
    void placeClient()
    {
        if (m_client)
            m_client->setGeometry(rect().adjusted(1, 1, -1, -1));
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter painter(this);
        const QRect exposed = event->rect();
        const QRectF shown = QRectF(QPointF(0, 0), pictureSize(picture)).intersected(exposed);
        if (!shown.toAlignedRect().contains(exposed))
            painter.fillRect(exposed, m_background);
        const double ratio = pixelRatio();
        if (!shown.isEmpty()) {
            // Only the exposed part is drawn: a pane shows a small crop of a
            // very large shot.
            const QRectF source(shown.topLeft() * ratio, shown.size() * ratio);
            painter.drawImage(shown, *picture, source);
        }
        if (part) {
            painter.fillRect(exposed, m_background);
            const QRectF at(QPointF(partAt.topLeft()) / ratio, QSizeF(partAt.size()) / ratio);
            const QRectF drawn = at.intersected(exposed);
            if (!drawn.isEmpty()) {
                const QRectF source((drawn.topLeft() - at.topLeft()) * ratio, drawn.size() * ratio);
                painter.drawImage(drawn, *part, source);
            }
        }
        if (m_border) {
            painter.setPen(m_borderColour);
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        if (hasFocus()) {
            // Where the keyboard stands, dotted as on a push button.
            painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
            painter.drawRect(rect().adjusted(2, 2, -3, -3));
        }
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (!isSpace(event)) {
            MouseSourceWidget::keyPressEvent(event);
            return;
        }
        // Held, the key repeats: the button stays pressed.
        if (!event->isAutoRepeat() && !m_spaceDown) {
            m_spaceDown = true;
            events.keyPress();
        }
    }
    void keyReleaseEvent(QKeyEvent* event) override
    {
        // Whatever modifier came meanwhile, the release lets the button go.
        if (event->key() != Qt::Key_Space) {
            MouseSourceWidget::keyReleaseEvent(event);
            return;
        }
        if (!event->isAutoRepeat() && std::exchange(m_spaceDown, false))
            events.keyRelease(true);
    }
    void focusInEvent(QFocusEvent* event) override
    {
        update();
        MouseSourceWidget::focusInEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        // Leaving while Espace holds it down releases the button without a click.
        if (std::exchange(m_spaceDown, false))
            events.keyRelease(false);
        update();
        MouseSourceWidget::focusOutEvent(event);
    }

private:
    QColor m_background;
    bool m_border;
    QColor m_borderColour;
    bool m_devicePixels;
    QWidget* m_client = nullptr;
    bool m_spaceDown = false;

    static bool isSpace(const QKeyEvent* event)
    {
        return event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier;
    }
};

PictureBox::PictureBox(QWidget* container, const QString& name, const Look& look)
    : Control(new PictureBoxWidget(container, look), name),
      m_box(static_cast<PictureBoxWidget*>(widget())), m_autoSize(look.autoSize)
{
}

const Picture& PictureBox::picture() const
{
    return m_box->picture;
}

void PictureBox::setPicture(Picture picture)
{
    m_box->picture = std::move(picture);
    m_box->part.reset();
    const QSizeF size = twipsSizeOf(m_box->picture);
    if (m_autoSize && !size.isEmpty()) {
        setWidth(static_cast<float>(size.width()));
        setHeight(static_cast<float>(size.height()));
    }
    m_box->update();
}

void PictureBox::setPartialPicture(Picture part, QRect where, QSize whole)
{
    m_box->picture.reset();
    m_box->part = std::move(part);
    m_box->partAt = where;
    // Sized as setPicture sizes a whole picture of that size.
    const QSizeF size = QSizeF(whole) / m_box->pixelRatio() * twipsPerPixel();
    if (m_autoSize && !size.isEmpty()) {
        setWidth(static_cast<float>(size.width()));
        setHeight(static_cast<float>(size.height()));
    }
    m_box->update();
}

bool PictureBox::isPartial() const
{
    return m_box->part != nullptr;
}

double PictureBox::twipsPerPicturePixel() const
{
    return twipsPerPixel() / m_box->pixelRatio();
}

QSizeF PictureBox::twipsSizeOf(const Picture& picture) const
{
    return m_box->pictureSize(picture) * twipsPerPixel();
}

MouseEvents& PictureBox::events()
{
    return m_box->events;
}

QWidget* PictureBox::clientWidget() const
{
    return m_box->client();
}

void PictureBox::setTabStop(bool tabStop)
{
    m_box->setFocusPolicy(tabStop ? Qt::TabFocus : Qt::NoFocus);
}

void PictureBox::pixelGeometryChanged()
{
    m_box->placeClient();
}

QString PictureBox::toolTip() const
{
    return m_box->toolTip();
}

void PictureBox::setToolTip(const QString& text)
{
    m_box->setToolTip(text);
}

} // namespace kelvaris
