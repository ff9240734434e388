#pragma once

#include "platform/Control.h"
#include "platform/MouseEvents.h"
#include "platform/Picture.h"

namespace kelvaris {

class ImageBoxWidget;

// An image control that stretches its picture to its own size. It draws
// from a rendition cached at its current pixel size, made from a small
// rendition of the picture kept once per picture, so that neither a paint
// nor a resize rescales the full picture.
class ImageBox : public Control
{
public:
    ImageBox(QWidget* container, const QString& name);

    const Picture& picture() const;
    void setPicture(Picture picture);

    MouseEvents& events();

    // Longest side of the small rendition kept per picture, in pixels.
    static constexpr int SmallRenditionSide = 2048;

private:
    ImageBoxWidget* m_box;
};

// A rendition of `image` that fits `size` (ignoring aspect), made quickly:
// a fast reduction to about twice the size, then a smooth one.
QImage stretchedRendition(const QImage& image, QSize size);

} // namespace kelvaris
