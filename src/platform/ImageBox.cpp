#include "platform/ImageBox.h"

#include "platform/MouseSourceWidget.h"

#include <QPainter>
#include <vector>

namespace kelvaris {

QImage reducedCopy(const QImage& image, QSize size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    const QImage source =
        image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
            ? image
            : image.convertToFormat(QImage::Format_RGB32);
    // Each output pixel averages four source pixels, two along each axis,
    // at 1/4 and 5/8 of its block: one pass, four reads per pixel whatever
    // the source's size, and unevenly spaced so that fine regular detail
    // (a resolution chart) averages to grey instead of aliasing.
    // The two sample positions of output pixel i are at [2i] and [2i + 1].
    auto grid = [](qint64 from, qint64 to) {
        std::vector<int> index;
        index.reserve(static_cast<size_t>(2 * to));
        for (qint64 i = 0; i < to; ++i) {
            index.push_back(static_cast<int>((8 * i + 2) * from / (8 * to)));
            index.push_back(static_cast<int>((8 * i + 5) * from / (8 * to)));
        }
        return index;
    };
    const std::vector<int> xs = grid(source.width(), size.width());
    const std::vector<int> ys = grid(source.height(), size.height());
    QImage out(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        const size_t row = 2 * static_cast<size_t>(y);
        const auto* a = reinterpret_cast<const QRgb*>(source.constScanLine(ys[row]));
        const auto* b = reinterpret_cast<const QRgb*>(source.constScanLine(ys[row + 1]));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (size_t x = 0; x < static_cast<size_t>(size.width()); ++x) {
            const int left = xs[2 * x];
            const int right = xs[2 * x + 1];
            const QRgb p[4] = {a[left], a[right], b[left], b[right]};
            quint32 redBlue = 0;
            quint32 green = 0;
            for (QRgb q : p) {
                redBlue += q & 0x00ff00ffu;
                green += q & 0x0000ff00u;
            }
            line[x] = 0xff000000u | ((redBlue >> 2) & 0x00ff00ffu) | ((green >> 2) & 0x0000ff00u);
        }
    }
    return out;
}

class ImageBoxWidget : public MouseSourceWidget
{
public:
    explicit ImageBoxWidget(QWidget* parent) : MouseSourceWidget(parent) {}

    Picture picture;

    void setPicture(Picture newPicture, QImage rendition)
    {
        picture = std::move(newPicture);
        m_cache = QImage();
        m_small = !picture || rendition.isNull()
                      ? ImageBox::renditionOf(picture ? *picture : QImage())
                      : std::move(rendition);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (m_small.isNull())
            return;
        const QSize target = (QSizeF(size()) * devicePixelRatioF()).toSize();
        if (m_cache.size() != target) {
            m_cache = m_small.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            m_cache.setDevicePixelRatio(devicePixelRatioF());
        }
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), m_cache);
    }

private:
    QImage m_small;
    QImage m_cache;
};

ImageBox::ImageBox(QWidget* container, const QString& name)
    : Control(new ImageBoxWidget(container), name), m_box(static_cast<ImageBoxWidget*>(widget()))
{
}

const Picture& ImageBox::picture() const
{
    return m_box->picture;
}

void ImageBox::setPicture(Picture picture, QImage rendition)
{
    m_box->setPicture(std::move(picture), std::move(rendition));
}

QImage ImageBox::renditionOf(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QSize bound(SmallRenditionSide, SmallRenditionSide);
    if (picture.size().boundedTo(bound) == picture.size())
        return picture;
    return reducedCopy(picture, picture.size().scaled(bound, Qt::KeepAspectRatio));
}

MouseEvents& ImageBox::events()
{
    return m_box->events;
}

} // namespace kelvaris
