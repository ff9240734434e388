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
    // `rendition`, when given, is renditionOf(*picture), made beforehand
    // away from the GUI thread.
    void setPicture(Picture picture, QImage rendition = QImage());

    MouseEvents& events();

    // Longest side of the small rendition kept per picture, in pixels:
    // about the overview's size in a maximised window.
    static constexpr int SmallRenditionSide = 1280;

    // The small rendition kept of `picture`; safe on any thread.
    static QImage renditionOf(const QImage& picture);

private:
    ImageBoxWidget* m_box;
};

// A reduced copy of `image` at `size` (aspect ignored), made in one quick
// pass that averages a few samples per pixel: good enough for an overview,
// and cheap even for a 45-megapixel shot.
QImage reducedCopy(const QImage& image, QSize size);

} // namespace kelvaris
