#include "view/PaneRenderer.h"

#include "app/MainWindow.h"
#include "view/CursorGeometry.h"

namespace kelvaris {

namespace {

Box boxOf(const Control& control)
{
    return {control.left(), control.top(), control.width(), control.height()};
}

void placeCursor(Shape& cursor, const Box& overview, const Control& frame, const Control& picture)
{
    const Box box = cursorBox(overview, {frame.width(), frame.height(), boxOf(picture)});
    cursor.setGeometry(box.left, box.top, box.width, box.height);
    cursor.setVisible(true);
}

} // namespace

void PaneRenderer::RenderPanes()
{
    const Box overview = boxOf(F.I_ImgLast);
    if (LastPaneDirty)
        placeCursor(F.SH_CurseurLast, overview, F.P_BaseLast, F.P_ImgLast);
    if (RefPaneDirty)
        placeCursor(F.SH_CurseurRef, overview, F.P_BaseRef, F.P_ImgRef);
}

} // namespace kelvaris
