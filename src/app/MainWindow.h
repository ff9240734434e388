#pragma once

#include "app/FocusAids.h"
#include "app/ImageButtons.h"
#include "app/InstrumentLayout.h"
#include "app/KeyboardShortcuts.h"
#include "app/Layout.h"
#include "capture/CaptureWatcher.h"
#include "focus/FocusCurve.h"
#include "focus/FocusInstrument.h"
#include "platform/CheckBox.h"
#include "platform/FileList.h"
#include "platform/Form.h"
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/Shape.h"
#include "platform/TextControls.h"
#include "platform/Timer.h"
#include "settings/Settings.h"
#include "view/PaneInteraction.h"
#include "view/PaneRenderer.h"

namespace kelvaris {

// The main window `F`: its fixed set of controls, named as everywhere in
// the program, start-up and Quit. The subsystems below own their state
// and handlers; this window wires its controls' events to them.
class MainWindow : public Form
{
public:
    MainWindow();

    // Loads the settings and restores the window's stored size and
    // position. Returns false when the program ended on the way.
    bool Form_Load();
    void B_Quit_Click();

    // Hidden picture stores of the buttons' looks and of the status picture.
    PictureBox P_SelectOn, P_SelectOff, P_ResetOn, P_ResetOff, P_Load, P_Nopicture, P_Nothing,
        P_QuitOn, P_QuitOff, P_StopOn, P_StopOff, P_HelpOn, P_HelpOff, P_StartOn, P_StartOff;

    // Top bar: the reception directory.
    PictureBox P_Repertoire;
    CommandButton B_Repertoire;
    TextBox T_RepReception;
    Label L_RepReception;

    // Top bar: the commands.
    PictureBox P_Commandes;
    PictureBox B_State, B_Quit, B_Aide, B_Stop, B_Start;

    // The comparison view.
    PictureBox P_Fond;
    PictureBox P_Images;
    PictureBox B_Select;
    TextBox T_ImageReference, T_ImageCourante;
    Label L_ImageCourante, L_ImageReference;
    PictureBox P_Infos;
    PictureBox B_Reset;
    TextBox T_FichierImage, T_NbImg, T_Qualite, T_QualiteMax;
    Label Label5, Label6, L_NbImg;
    PictureBox P_ImgTampon;
    PictureBox P_BaseLast, P_ImgLast;
    PictureBox P_BaseRef, P_ImgRef;
    ImageBox I_ImgLast;
    Shape SH_CurseurRef, SH_CurseurLast;

    Timer TM_TimerRead;
    FileList F_Fichiers;

    // The focus instrument, in the room the controls above leave free: what
    // keeps shots from arriving, the focus curve and the sharpest shot.
    PictureBox P_Instrument;
    Label L_Avis;
    FocusCurve P_Courbe;
    Label L_Meilleure;
    // Under them, where the focus lies: the switches of the focus map and of
    // peaking, and with the map the shortlist of shots to stack.
    CheckBox mapToggle, peakingToggle, stackInCursor;
    Label stackLabel;

    // Subsystems, each given the controls it works on.
    Settings settings;
    PaneRenderer panes{paneControls()};
    PaneInteraction gestures{paneControls(), panes};
    CaptureWatcher watcher{watcherControls(), gestures};
    FocusInstrument focus{focusControls(), panes, gestures};
    WindowLayout layout{*this, panes};
    InstrumentPanel instrument{*this};
    FocusAids aids{*this};
    ImageButtons buttons{*this};
    KeyboardShortcuts keys{*this};

private:
    PaneControls paneControls();
    WatcherControls watcherControls();
    FocusControls focusControls();

    void placeControls();
    void wireEvents();
    void restoreGeometry(const QString& width, const QString& height, const QString& top,
                         const QString& left);
};

} // namespace kelvaris
