#include "platform/ImageBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelvaris {

QImage stretchedRendition(const QImage& image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    QImage source = image;
    const QSize twice = size * 2;
    if (source.width() > 2 * twice.width() && source.height() > 2 * twice.height())
        source = source.scaled(twice, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

class ImageBoxWidget : public QWidget
{
public:
    explicit ImageBoxWidget(QWidget* parent) : QWidget(parent) {}

    Picture picture;
    MouseEvents events;

    void setPicture(Picture newPicture)
    {
        picture = std::move(newPicture);
        m_small = QImage();
        m_cache = QImage();
        if (picture && !picture->isNull()) {
            const QSize bound(ImageBox::SmallRenditionSide, ImageBox::SmallRenditionSide);
            m_small = picture->size().boundedTo(bound) == picture->size()
                          ? *picture
                          : stretchedRendition(*picture,
                                               picture->size().scaled(bound, Qt::KeepAspectRatio));
        }
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_small.isNull())
            return;
        const QSize target = (QSizeF(size()) * devicePixelRatioF()).toSize();
        if (m_cache.size() != target) {
            m_cache = stretchedRendition(m_small, target);
            m_cache.setDevicePixelRatio(devicePixelRatioF());
        }
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_cache);
    }

    void mousePressEvent(QMouseEvent* event) override { events.press(this, event); }
    void mouseMoveEvent(QMouseEvent* event) override { events.move(this, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { events.release(this, event); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { events.doubleClick(this, event); }

private:
    QImage m_small;
    QImage m_cache;
};

ImageBox::ImageBox(QWidget* container, const QString& name)
    : Control(new ImageBoxWidget(container), name), m_box(static_cast<ImageBoxWidget*>(widget()))
{
}

const Picture& ImageBox::picture() const { return m_box->picture; }

void ImageBox::setPicture(Picture picture) { m_box->setPicture(std::move(picture)); }

MouseEvents& ImageBox::events() { return m_box->events; }

} // namespace kelvaris
