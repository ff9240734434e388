#pragma once

#include "platform/Picture.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace kelvaris {

class PictureBox;

// Focus peaking over the current pane: the finest in-focus detail of the
// crop it shows outlined in one colour. It covers the pane's inner area,
// above its picture, and takes no mouse event. Only the visible crop is
// measured, when the overlay is painted and the crop or the picture has
// changed since: a pan, a new shot, a blink (the reference in the pane then
// gets its own peaking) all repaint the pane and so the overlay.
class PeakingOverlay : public QWidget
{
public:
    // Over `picture`, inside its frame `frame`.
    PeakingOverlay(PictureBox& frame, PictureBox& picture);

    static const QColor Colour;

    // The crop measured last, in picture pixels, and the picture it was of.
    QRect measuredCrop() const { return m_crop; }
    Picture measuredPicture() const { return m_picture.lock(); }
    const QImage& marks() const { return m_marks; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PictureBox& m_pane;
    QWidget* m_client;
    std::weak_ptr<const QImage> m_picture;
    QRect m_crop;
    QImage m_marks;
};

} // namespace kelvaris
