#include "platform/PictureBox.h"

#include "platform/Twips.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace kelvaris {

// The widget of a picture box. A bordered box keeps its children in an
// inner client widget, so that their Left and Top start inside the border.
class PictureBoxWidget : public QWidget
{
public:
    PictureBoxWidget(QWidget* parent, const PictureBox::Look& look)
        : QWidget(parent), m_background(look.background), m_border(look.border),
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
    MouseEvents events;
    QWidget* client() const { return m_client ? m_client : const_cast<PictureBoxWidget*>(this); }

    // Size of the picture in this widget's logical pixels.
    QSizeF pictureSize() const
    {
        if (!picture || picture->isNull())
            return {};
        return m_devicePixels ? QSizeF(picture->size()) / devicePixelRatioF()
                              : QSizeF(picture->size());
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
        const QRectF shown = QRectF(QPointF(0, 0), pictureSize()).intersected(exposed);
        if (!shown.toAlignedRect().contains(exposed))
            painter.fillRect(exposed, m_background);
        if (!shown.isEmpty()) {
            // Only the exposed part is drawn: a pane shows a small crop of a
            // very large shot.
            const double ratio = m_devicePixels ? devicePixelRatioF() : 1.0;
            const QRectF source(shown.topLeft() * ratio, shown.size() * ratio);
            painter.drawImage(shown, *picture, source);
        }
        if (m_border) {
            painter.setPen(m_borderColour);
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

    void mousePressEvent(QMouseEvent* event) override { events.press(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override { events.move(this, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { events.release(this, event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { events.doubleClick(this, event); }

private:
    QColor m_background;
    bool m_border;
    QColor m_borderColour;
    bool m_devicePixels;
    QWidget* m_client = nullptr;
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
    if (m_autoSize && m_box->picture && !m_box->picture->isNull()) {
        const QSizeF size = m_box->pictureSize() * twipsPerPixel();
        setWidth(static_cast<float>(size.width()));
        setHeight(static_cast<float>(size.height()));
    }
    m_box->update();
}

MouseEvents& PictureBox::events()
{
    return m_box->events;
}

QWidget* PictureBox::clientWidget() const
{
    return m_box->client();
}

void PictureBox::pixelGeometryChanged()
{
    m_box->placeClient();
}

void PictureBox::setToolTip(const QString& text)
{
    m_box->setToolTip(text);
}

} // namespace kelvaris
