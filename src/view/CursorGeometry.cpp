#include "view/CursorGeometry.h"

namespace kelvaris {

QRectF visibleCrop(const PaneGeometry& pane, QSize pixels)
{
    if (pixels.isEmpty() || pane.picture.width <= 0 || pane.picture.height <= 0)
        return {};
    const double perTwipX = pixels.width() / double(pane.picture.width);
    const double perTwipY = pixels.height() / double(pane.picture.height);
    const QRectF crop(-double(pane.picture.left) * perTwipX, -double(pane.picture.top) * perTwipY,
                      pane.frameWidth * perTwipX, pane.frameHeight * perTwipY);
    return crop.intersected(QRectF(QPointF(0, 0), QSizeF(pixels)));
}

Box cursorBox(const Box& overview, const PaneGeometry& pane)
{
    const double wo = overview.width;
    const double ho = overview.height;
    const double wp = pane.picture.width;
    const double hp = pane.picture.height;

    // Overview twips per picture twip, across and down, and the frame's
    // centre on the overview. The overview stretches the whole shot to its
    // own 3:2 shape, so each direction has its own scale; they agree only
    // for a 3:2 shot.
    const double kx = wo / wp;
    const double ky = ho / hp;
    const double cx = (pane.frameWidth / 2.0 - pane.picture.left) * kx;
    const double cy = (pane.frameHeight / 2.0 - pane.picture.top) * ky;

    Box cursor;
    cursor.width = static_cast<float>(wo * pane.frameWidth / wp);
    cursor.height = static_cast<float>(ho * pane.frameHeight / hp);
    // Centred with the size as the cursor holds it, a 32-bit float.
    cursor.left = static_cast<float>((overview.left + cx) - cursor.width / 2.0);
    cursor.top = static_cast<float>((overview.top + cy) - cursor.height / 2.0);
    return cursor;
}

} // namespace kelvaris
