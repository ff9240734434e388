#include "view/PaneRenderer.h"

namespace kelvaris {

Box boxOf(const Control& control)
{
    return {control.left(), control.top(), control.width(), control.height()};
}

namespace {

void placeCursor(Shape& cursor, const Box& overview, const Control& frame, const Box& picture)
{
    const Box box = cursorBox(overview, {frame.width(), frame.height(), picture});
    cursor.setGeometry(box.left, box.top, box.width, box.height);
    cursor.setVisible(true);
}

} // namespace

Box PaneRenderer::currentPicture() const
{
    return m_currentAside ? *m_currentAside : boxOf(F.P_ImgLast);
}

QRectF PaneRenderer::currentCrop() const
{
    // The overview holds the current shot, also while a blink puts the
    // reference in the current pane.
    const Picture& shot = F.I_ImgLast.picture();
    if (!shot)
        return {};
    return visibleCrop({F.P_BaseLast.width(), F.P_BaseLast.height(), currentPicture()},
                       shot->size());
}

QRect PaneRenderer::nextShotCrop() const
{
    const Box picture = currentPicture();
    const double perPixel = F.P_ImgLast.twipsPerPicturePixel();
    return QRectF(-double(picture.left) / perPixel, -double(picture.top) / perPixel,
                  double(F.P_BaseLast.width()) / perPixel, double(F.P_BaseLast.height()) / perPixel)
        .toAlignedRect();
}

void PaneRenderer::RenderPanes()
{
    const Box overview = boxOf(F.I_ImgLast);
    if (LastPaneDirty)
        placeCursor(F.SH_CurseurLast, overview, F.P_BaseLast, currentPicture());
    if (RefPaneDirty)
        placeCursor(F.SH_CurseurRef, overview, F.P_BaseRef, boxOf(F.P_ImgRef));
    if (cropsMoved)
        cropsMoved();
}

} // namespace kelvaris
