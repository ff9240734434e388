#pragma once

#include "focus/FocusCurve.h"
#include "platform/TextControls.h"
#include "platform/Timer.h"

namespace kelvaris {

// The controls of the focus instrument, owned by the main window: the curve
// and the line that names the sharpest shot under it, the reference's file
// name, read to mark the reference on the curve, and the watcher's timer,
// read to tell whether shots are being watched for. The instrument reads
// and writes these and nothing else; a shot chosen as the reference goes to
// the comparison view through PaneInteraction::showReference.
struct FocusControls
{
    FocusCurve& P_Courbe;
    Label& L_Meilleure;
    TextBox& T_ImageReference;
    const Timer& TM_TimerRead;
};

} // namespace kelvaris
