#pragma once

#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/Shape.h"
#include "platform/TextControls.h"

namespace kelvaris {

// The controls of the comparison view, owned by the main window: the two
// panes (frame and full-size picture each), the hidden buffer of the
// blink, the overview with its two cursors, and the two file names that
// Select copies. The view reads and writes these and nothing else.
struct PaneControls
{
    PictureBox& P_BaseLast;
    PictureBox& P_ImgLast;
    PictureBox& P_BaseRef;
    PictureBox& P_ImgRef;
    PictureBox& P_ImgTampon;
    ImageBox& I_ImgLast;
    Shape& SH_CurseurLast;
    Shape& SH_CurseurRef;
    TextBox& T_ImageCourante;
    TextBox& T_ImageReference;
};

} // namespace kelvaris
