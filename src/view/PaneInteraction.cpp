#include "view/PaneInteraction.h"

#include "platform/MouseEvents.h"
#include "platform/Twips.h"
#include "view/Gestures.h"
#include "view/PaneRenderer.h"

#include <utility>

namespace kelvaris {

void PaneInteraction::pan(PictureBox& picture, float x, float y, std::int32_t grabX,
                          std::int32_t grabY)
{
    picture.setLeft(dragged(picture.left(), x, grabX));
    picture.setTop(dragged(picture.top(), y, grabY));
    m_renderer.RenderPanes();
}

void PaneInteraction::recentre(PictureBox& picture, const PictureBox& frame, std::int32_t grabX,
                               std::int32_t grabY)
{
    picture.setLeft(recentred(frame.width(), picture.left(), grabX));
    picture.setTop(recentred(frame.height(), picture.top(), grabY));
    m_renderer.RenderPanes();
}

void PaneInteraction::standAside(const Picture& shot)
{
    // Standing aside, the current picture takes its shot's size all the same.
    standAsideAt(F.P_ImgLast.twipsSizeOf(shot));
}

void PaneInteraction::standAsideAt(QSizeF size)
{
    Box aside = *m_renderer.currentAside();
    if (!size.isEmpty()) {
        aside.width = static_cast<float>(size.width());
        aside.height = static_cast<float>(size.height());
    }
    m_renderer.setCurrentAside(aside);
}

void PaneInteraction::P_ImgLast_MouseDown(int button, int, float x, float y)
{
    if (button == LeftButton) {
        LastDragging = true;
        LastGrabX = toInt32(x);
        LastGrabY = toInt32(y);
    }
    if (button == RightButton)
        startBlink(BlinkHolder::RightButton);
}

void PaneInteraction::P_ImgLast_MouseMove(int, int, float x, float y)
{
    if (LastDragging)
        pan(F.P_ImgLast, x, y, LastGrabX, LastGrabY);
}

void PaneInteraction::P_ImgLast_MouseUp(int, int, float, float)
{
    LastDragging = false;
    // Any release of a button ends the right button's blink, not a key's.
    endBlink(BlinkHolder::RightButton);
}

void PaneInteraction::startBlink(BlinkHolder holder)
{
    if (SwapHeld)
        return;
    // The reference shot takes the current pane's place, at the reference
    // pane's crop, until the release.
    SwapHeld = true;
    m_blinkHolder = holder;
    m_renderer.setCurrentAside(boxOf(F.P_ImgLast));
    F.P_ImgTampon.setPicture(F.P_ImgLast.picture());
    F.P_ImgLast.setPicture(F.P_ImgRef.picture());
    SavedLastLeft = toInt32(F.P_ImgLast.left());
    SavedLastTop = toInt32(F.P_ImgLast.top());
    F.P_ImgLast.setLeft(F.P_ImgRef.left());
    F.P_ImgLast.setTop(F.P_ImgRef.top());
}

void PaneInteraction::endBlink(BlinkHolder holder)
{
    if (!SwapHeld || holder != m_blinkHolder)
        return;
    F.P_ImgLast.setPicture(F.P_ImgTampon.picture());
    // The hidden buffer lets go of the shot: holding it would keep a
    // full decoded picture alive after the current one is replaced.
    F.P_ImgTampon.setPicture({});
    // A new shot whose part came during the blink shows that part.
    if (m_arriving)
        showArrivingPart();
    SwapHeld = false;
    m_blinkHolder = BlinkHolder::None;
    F.P_ImgLast.setLeft(static_cast<float>(SavedLastLeft));
    F.P_ImgLast.setTop(static_cast<float>(SavedLastTop));
    m_renderer.setCurrentAside(std::nullopt);
}

void PaneInteraction::P_ImgLast_DblClick()
{
    recentre(F.P_ImgLast, F.P_BaseLast, LastGrabX, LastGrabY);
}

void PaneInteraction::P_ImgRef_MouseDown(int button, int, float x, float y)
{
    if (button == LeftButton) {
        RefDragging = true;
        RefGrabX = toInt32(x);
        RefGrabY = toInt32(y);
    }
}

void PaneInteraction::P_ImgRef_MouseMove(int, int, float x, float y)
{
    if (RefDragging)
        pan(F.P_ImgRef, x, y, RefGrabX, RefGrabY);
}

void PaneInteraction::P_ImgRef_MouseUp(int, int, float, float)
{
    RefDragging = false;
}

void PaneInteraction::P_ImgRef_DblClick()
{
    recentre(F.P_ImgRef, F.P_BaseRef, RefGrabX, RefGrabY);
}

void PaneInteraction::I_ImgLast_MouseDown(int button, int shift, float x, float y)
{
    OverviewDragging = true;
    I_ImgLast_MouseMove(button, shift, x, y);
    F.SH_CurseurLast.setVisible(false);
}

void PaneInteraction::I_ImgLast_MouseMove(int, int, float x, float y)
{
    if (!OverviewDragging)
        return;
    // The pane follows the pointer live; the cursor comes back at the release.
    const std::int32_t left =
        centredFromOverview(F.P_BaseLast.width(), F.P_ImgLast.width(), F.I_ImgLast.width(), x);
    const std::int32_t top =
        centredFromOverview(F.P_BaseLast.height(), F.P_ImgLast.height(), F.I_ImgLast.height(), y);
    F.P_ImgLast.setLeft(static_cast<float>(left));
    F.P_ImgLast.setTop(static_cast<float>(top));
    if (m_renderer.cropsMoved)
        m_renderer.cropsMoved();
}

void PaneInteraction::I_ImgLast_MouseUp(int, int, float, float)
{
    OverviewDragging = false;
    m_renderer.RenderPanes();
    F.SH_CurseurLast.setVisible(true);
}

void PaneInteraction::showNewShot(const Picture& shot, const QImage& rendition)
{
    const std::optional<ArrivingShot> arriving = std::exchange(m_arriving, std::nullopt);
    Picture previous = F.I_ImgLast.picture();
    F.I_ImgLast.setPicture(shot, rendition);
    if (SwapHeld) {
        F.P_ImgTampon.setPicture(shot);
        standAside(shot);
    } else {
        F.P_ImgLast.setPicture(shot);
    }
    m_renderer.LastPaneDirty = true;
    if (arriving && arriving->selected) {
        // Select clicked while the part was shown: the shot it showed.
        F.P_ImgRef.setPicture(shot);
        F.T_ImageReference.setText(F.T_ImageCourante.text());
        F.P_ImgRef.setLeft(arriving->selectedLeft);
        F.P_ImgRef.setTop(arriving->selectedTop);
        m_renderer.RefPaneDirty = true;
    }
    m_renderer.RenderPanes();
    releaseAside(std::move(previous));
}

void PaneInteraction::showNewShotPart(const Picture& part, const QRect& where, QSize whole)
{
    m_arriving = ArrivingShot{part, where, whole};
    if (SwapHeld) {
        // The pane shows the reference: the part waits for the release,
        // and the current picture standing aside takes the new shot's size.
        standAsideAt(QSizeF(whole) * F.P_ImgLast.twipsPerPicturePixel());
        F.P_ImgTampon.setPicture({});
    } else {
        showArrivingPart();
    }
    // The cursor waits for the whole shot, which comes with the overview.
}

QRect PaneInteraction::nextShotCrop() const
{
    return m_renderer.nextShotCrop();
}

void PaneInteraction::showArrivingPart()
{
    F.P_ImgLast.setPartialPicture(m_arriving->part, m_arriving->where, m_arriving->whole);
}

void PaneInteraction::withdrawNewShotPart()
{
    if (!std::exchange(m_arriving, std::nullopt))
        return;
    // The overview still holds the shot that was on screen before.
    const Picture& before = F.I_ImgLast.picture();
    if (SwapHeld) {
        F.P_ImgTampon.setPicture(before);
        standAside(before);
    } else if (before) {
        F.P_ImgLast.setPicture(before);
    } else {
        F.P_ImgLast.setPicture({});
    }
    m_renderer.RenderPanes();
}

void PaneInteraction::screenScaleChanged()
{
    for (PictureBox* picture : {&F.P_ImgLast, &F.P_ImgRef}) {
        if (picture->picture())
            picture->setPicture(picture->picture());
    }
    if (F.P_ImgLast.isPartial())
        showArrivingPart();
    if (SwapHeld)
        standAside(F.P_ImgTampon.picture());
    m_renderer.RenderPanes();
}

void PaneInteraction::showReference(const Picture& shot, const QString& name)
{
    F.P_ImgRef.setPicture(shot);
    F.T_ImageReference.setText(name);
    const Box current = m_renderer.currentPicture();
    F.P_ImgRef.setLeft(current.left);
    F.P_ImgRef.setTop(current.top);
    m_renderer.RefPaneDirty = true;
    m_renderer.RenderPanes();
}

void PaneInteraction::B_Select_Click()
{
    if (m_arriving) {
        // The pane shows a part of the new shot: it becomes the reference
        // once it is whole, at the crop shown now.
        m_arriving->selected = true;
        m_arriving->selectedLeft = SwapHeld ? m_renderer.currentPicture().left : F.P_ImgLast.left();
        m_arriving->selectedTop = SwapHeld ? m_renderer.currentPicture().top : F.P_ImgLast.top();
        return;
    }
    F.P_ImgRef.setPicture(F.P_ImgLast.picture());
    F.T_ImageReference.setText(F.T_ImageCourante.text());
    F.P_ImgRef.setLeft(F.P_ImgLast.left());
    F.P_ImgRef.setTop(F.P_ImgLast.top());
    m_renderer.RefPaneDirty = true;
    m_renderer.RenderPanes();
}

} // namespace kelvaris
