#pragma once

#include "platform/FileList.h"
#include "platform/PictureBox.h"
#include "platform/TextControls.h"
#include "platform/Timer.h"

namespace kelvaris {

// The controls of the capture watcher, owned by the main window: the
// reception directory's box that Start reads, the read timer and the file
// list, the status picture with its three stores, and the fields that
// describe the newest shot. The watcher reads and writes these and nothing
// else; the pictures of a new shot go to the comparison view.
struct WatcherControls
{
    TextBox& T_RepReception;
    Timer& TM_TimerRead;
    FileList& F_Fichiers;
    PictureBox& B_State;
    PictureBox& P_Load;
    PictureBox& P_Nopicture;
    PictureBox& P_Nothing;
    TextBox& T_FichierImage;
    TextBox& T_ImageCourante;
    TextBox& T_NbImg;
    TextBox& T_Qualite;
    TextBox& T_QualiteMax;
};

} // namespace kelvaris
