#include "app/MainWindow.h"

#include "dialogs/ReceptionDirDialog.h"

#include "platform/ControlLook.h"
#include "platform/Runtime.h"
#include "platform/Twips.h"

#include <QGuiApplication>
#include <QIcon>
#include <QScreen>

namespace kelvaris {

namespace {

using colour::BoxGrey;
using colour::DarkGrey;
using colour::PanelGrey;
const QColor& Red = colour::Current;
const QColor& Green = colour::Reference;
// What keeps shots from arriving is told in the orange of an active button, not in alarm red.
const QColor Amber(150, 80, 0);

PictureBox::Look panel()
{
    return {PanelGrey};
}
PictureBox::Look paneFrame()
{
    return {Qt::black, true, QColor(128, 128, 128)};
}
PictureBox::Look fullSizePicture()
{
    return {DarkGrey, false, Qt::black, true, true};
}
PictureBox::Look buffer()
{
    return {Qt::white, true};
}

TextLook readOnlyBox(const QColor& text, Qt::Alignment alignment)
{
    return {text, BoxGrey, alignment};
}
TextLook caption(Qt::Alignment alignment = Qt::AlignLeft, const QColor& colour = Qt::black)
{
    return {colour, {}, alignment};
}
TextLook paneCaption(const QColor& colour)
{
    return {colour, {}, Qt::AlignHCenter, true};
}

// The bitmaps of the picture stores are compiled in, one file per store.
Picture art(const char* store)
{
    return makePicture(QImage(QStringLiteral(":/resources/%1.bmp").arg(QLatin1String(store)))
                           .convertToFormat(QImage::Format_RGB32));
}

} // namespace

#define STORE(name) name(this, QStringLiteral(#name), panel())

MainWindow::MainWindow()
    : Form(QStringLiteral("F")), STORE(P_SelectOn), STORE(P_SelectOff), STORE(P_ResetOn),
      STORE(P_ResetOff), STORE(P_Load), STORE(P_Nopicture), STORE(P_Nothing), STORE(P_QuitOn),
      STORE(P_QuitOff), STORE(P_StopOn), STORE(P_StopOff), STORE(P_HelpOn), STORE(P_HelpOff),
      STORE(P_StartOn), STORE(P_StartOff),
      P_Repertoire(this, QStringLiteral("P_Repertoire"), panel()),
      B_Repertoire(inside(P_Repertoire), QStringLiteral("B_Repertoire"), QStringLiteral("...")),
      T_RepReception(inside(P_Repertoire), QStringLiteral("T_RepReception"), TextLook{}, false),
      L_RepReception(inside(P_Repertoire), QStringLiteral("L_RepReception"),
                     QStringLiteral("Répertoire de réception :"), caption()),
      P_Commandes(this, QStringLiteral("P_Commandes"), panel()),
      B_State(inside(P_Commandes), QStringLiteral("B_State"), panel()),
      B_Quit(inside(P_Commandes), QStringLiteral("B_Quit"), panel()),
      B_Aide(inside(P_Commandes), QStringLiteral("B_Aide"), panel()),
      B_Stop(inside(P_Commandes), QStringLiteral("B_Stop"), panel()),
      B_Start(inside(P_Commandes), QStringLiteral("B_Start"), panel()),
      P_Fond(this, QStringLiteral("P_Fond"), panel()),
      P_Images(inside(P_Fond), QStringLiteral("P_Images"), panel()),
      B_Select(inside(P_Images), QStringLiteral("B_Select"), panel()),
      T_ImageReference(inside(P_Images), QStringLiteral("T_ImageReference"),
                       readOnlyBox(Green, Qt::AlignHCenter), true),
      T_ImageCourante(inside(P_Images), QStringLiteral("T_ImageCourante"),
                      readOnlyBox(Red, Qt::AlignHCenter), true),
      L_ImageCourante(inside(P_Images), QStringLiteral("L_ImageCourante"),
                      QStringLiteral("Image courante"), paneCaption(Red)),
      L_ImageReference(inside(P_Images), QStringLiteral("L_ImageReference"),
                       QStringLiteral("Image de référence"), paneCaption(Green)),
      P_Infos(inside(P_Fond), QStringLiteral("P_Infos"), panel()),
      B_Reset(inside(P_Infos), QStringLiteral("B_Reset"), panel()),
      T_FichierImage(inside(P_Infos), QStringLiteral("T_FichierImage"),
                     readOnlyBox(Qt::black, Qt::AlignLeft), true),
      T_NbImg(inside(P_Infos), QStringLiteral("T_NbImg"), readOnlyBox(Qt::black, Qt::AlignRight),
              true),
      T_Qualite(inside(P_Infos), QStringLiteral("T_Qualite"),
                readOnlyBox(Qt::black, Qt::AlignRight), true),
      T_QualiteMax(inside(P_Infos), QStringLiteral("T_QualiteMax"),
                   readOnlyBox(Qt::black, Qt::AlignRight), true),
      Label5(inside(P_Infos), QStringLiteral("Label5"), QStringLiteral("Qualité :"),
             caption(Qt::AlignRight)),
      Label6(inside(P_Infos), QStringLiteral("Label6"), QStringLiteral("Qualité max :"),
             caption(Qt::AlignRight)),
      L_NbImg(inside(P_Infos), QStringLiteral("L_NbImg"), QStringLiteral("Nb images :"),
              caption(Qt::AlignRight)),
      P_ImgTampon(inside(P_Fond), QStringLiteral("P_ImgTampon"), buffer()),
      P_BaseLast(inside(P_Fond), QStringLiteral("P_BaseLast"), paneFrame()),
      P_ImgLast(inside(P_BaseLast), QStringLiteral("P_ImgLast"), fullSizePicture()),
      P_BaseRef(inside(P_Fond), QStringLiteral("P_BaseRef"), paneFrame()),
      P_ImgRef(inside(P_BaseRef), QStringLiteral("P_ImgRef"), fullSizePicture()),
      I_ImgLast(inside(P_Fond), QStringLiteral("I_ImgLast")),
      SH_CurseurRef(inside(P_Fond), QStringLiteral("SH_CurseurRef"), Green),
      SH_CurseurLast(inside(P_Fond), QStringLiteral("SH_CurseurLast"), Red, true),
      TM_TimerRead(QStringLiteral("TM_TimerRead"), 1000),
      F_Fichiers(QStringLiteral("F_Fichiers"), QStringLiteral("*.jpg")),
      P_Instrument(this, QStringLiteral("P_Instrument"), panel()),
      L_Avis(inside(P_Instrument), QStringLiteral("L_Avis"), QString(),
             caption(Qt::AlignLeft, Amber)),
      P_Courbe(inside(P_Instrument), QStringLiteral("P_Courbe")),
      L_Meilleure(inside(P_Instrument), QStringLiteral("L_Meilleure"), QString(), caption()),
      mapToggle(inside(P_Instrument), QStringLiteral("mapToggle"),
                QStringLiteral("Carte de netteté (M)")),
      peakingToggle(inside(P_Instrument), QStringLiteral("peakingToggle"),
                    QStringLiteral("Contours nets (P)")),
      stackInCursor(inside(P_Instrument), QStringLiteral("stackInCursor"),
                    QStringLiteral("Pile dans le cadre rouge")),
      stackLabel(inside(P_Instrument), QStringLiteral("stackLabel"), QString(), caption())
{
    setWindowTitle(QStringLiteral("Kelvaris"));
    setWindowIcon(QIcon(QStringLiteral(":/resources/kelvaris.ico")));
    setBackground(this, palette().color(QPalette::Button));
    setClientSize(10890, 7755);
    placeControls();
    wireEvents();
}

#undef STORE

PaneControls MainWindow::paneControls()
{
    return {.P_BaseLast = P_BaseLast,
            .P_ImgLast = P_ImgLast,
            .P_BaseRef = P_BaseRef,
            .P_ImgRef = P_ImgRef,
            .P_ImgTampon = P_ImgTampon,
            .I_ImgLast = I_ImgLast,
            .SH_CurseurLast = SH_CurseurLast,
            .SH_CurseurRef = SH_CurseurRef,
            .T_ImageCourante = T_ImageCourante,
            .T_ImageReference = T_ImageReference};
}

WatcherControls MainWindow::watcherControls()
{
    return {.T_RepReception = T_RepReception,
            .TM_TimerRead = TM_TimerRead,
            .F_Fichiers = F_Fichiers,
            .B_State = B_State,
            .P_Load = P_Load,
            .P_Nopicture = P_Nopicture,
            .P_Nothing = P_Nothing,
            .T_FichierImage = T_FichierImage,
            .T_ImageCourante = T_ImageCourante,
            .T_NbImg = T_NbImg,
            .T_Qualite = T_Qualite,
            .T_QualiteMax = T_QualiteMax};
}

FocusControls MainWindow::focusControls()
{
    return {.P_Courbe = P_Courbe,
            .L_Meilleure = L_Meilleure,
            .T_ImageReference = T_ImageReference,
            .TM_TimerRead = TM_TimerRead};
}

void MainWindow::placeControls()
{
    // The stores are never shown; their positions are of no account.
    const struct
    {
        PictureBox& store;
        const char* bitmap;
        float width, height;
    } stores[] = {
        {P_SelectOn, "P_SelectOn", 645, 510}, {P_SelectOff, "P_SelectOff", 645, 510},
        {P_ResetOn, "P_ResetOn", 600, 375},   {P_ResetOff, "P_ResetOff", 600, 375},
        {P_Load, "P_Load", 600, 375},         {P_Nopicture, "P_Nopicture", 600, 375},
        {P_Nothing, "P_Nothing", 600, 375},   {P_QuitOn, "P_QuitOn", 645, 420},
        {P_QuitOff, "P_QuitOff", 645, 420},   {P_StopOn, "P_StopOn", 645, 420},
        {P_StopOff, "P_StopOff", 645, 420},   {P_HelpOn, "P_HelpOn", 645, 420},
        {P_HelpOff, "P_HelpOff", 645, 420},   {P_StartOn, "P_StartOn", 645, 420},
        {P_StartOff, "P_StartOff", 645, 420},
    };
    for (const auto& s : stores) {
        s.store.setGeometry(0, 0, s.width, s.height);
        s.store.setPicture(art(s.bitmap));
        s.store.setVisible(false);
    }

    P_Repertoire.setGeometry(45, 45, 6360, 465);
    B_Repertoire.setGeometry(5805, 45, 420, 285);
    T_RepReception.setGeometry(2430, 45, 3300, 240);
    L_RepReception.setGeometry(45, 45, 2310, 240);

    P_Commandes.setGeometry(6480, 45, 4110, 465);
    B_State.setGeometry(3375, 45, 600, 375);
    B_Quit.setGeometry(2565, 45, 600, 375);
    B_Aide.setGeometry(1755, 45, 600, 375);
    B_Stop.setGeometry(945, 45, 600, 375);
    B_Start.setGeometry(180, 45, 645, 420);
    // Each button starts with its released look, the indicator idle.
    B_State.setPicture(P_Nothing.picture());
    B_Quit.setPicture(P_QuitOff.picture());
    B_Aide.setPicture(P_HelpOff.picture());
    B_Stop.setPicture(P_StopOff.picture());
    B_Start.setPicture(P_StartOff.picture());

    P_Fond.setGeometry(270, 720, 10635, 5100);
    P_Images.setGeometry(90, 3375, 6000, 780);
    B_Select.setGeometry(2610, 45, 645, 510);
    B_Select.setPicture(P_SelectOff.picture());
    T_ImageReference.setGeometry(45, 45, 2175, 285);
    T_ImageCourante.setGeometry(3690, 45, 2220, 285);
    L_ImageCourante.setGeometry(3690, 405, 2220, 330);
    L_ImageReference.setGeometry(45, 405, 2175, 330);

    P_Infos.setGeometry(6030, 3015, 4695, 825);
    B_Reset.setGeometry(3780, 450, 600, 375);
    B_Reset.setPicture(P_ResetOff.picture());
    T_FichierImage.setGeometry(90, 45, 2265, 285);
    T_NbImg.setGeometry(3690, 45, 780, 285);
    T_Qualite.setGeometry(900, 450, 555, 240);
    T_QualiteMax.setGeometry(3015, 450, 555, 240);
    T_QualiteMax.setText(QStringLiteral("0"));
    Label5.setGeometry(45, 450, 780, 285);
    Label6.setGeometry(1665, 450, 1275, 285);
    L_NbImg.setGeometry(2475, 45, 1140, 285);

    P_ImgTampon.setGeometry(180, 4185, 510, 465);
    P_ImgTampon.setVisible(false);
    P_BaseLast.setGeometry(3015, 45, 2895, 2895);
    P_ImgLast.setGeometry(0, -45, 20000, 20000);
    P_ImgLast.setToolTip(QStringLiteral("Clic gauche pour recentrer"));
    P_BaseRef.setGeometry(-45, 45, 2895, 2895);
    P_ImgRef.setGeometry(45, 0, 20000, 20000);

    I_ImgLast.setGeometry(5985, 45, 4365, 2910);
    I_ImgLast.widget()->setCursor(Qt::CrossCursor);
    // The cursors are drawn over the overview.
    SH_CurseurRef.setGeometry(7155, 315, 600, 555);
    SH_CurseurLast.setGeometry(6075, 90, 600, 555);
    SH_CurseurRef.widget()->raise();
    SH_CurseurLast.widget()->raise();
    SH_CurseurRef.setVisible(false);
    SH_CurseurLast.setVisible(false);

    // Placed with the rest of the window, once it has its size.
    P_Instrument.setVisible(false);
}

namespace {

// A mouse handler that calls `handler` of `target` with the event's arguments.
template <class Target>
MouseHandler call(Target& target, void (Target::*handler)(int, int, float, float))
{
    return [&target, handler](int button, int shift, float x, float y) {
        (target.*handler)(button, shift, x, y);
    };
}

} // namespace

void MainWindow::wireEvents()
{
    resized() = [this] {
        layout.Form_Resize();
        instrument.place();
    };
    // The close box does what Quit does, so that closing the window never
    // loses the reception directory or the window's place.
    closing() = [this] { B_Quit_Click(); };
    screenChanged() = [this] { gestures.screenScaleChanged(); };

    B_Quit.events().mouseDown = call(buttons, &ImageButtons::B_Quit_MouseDown);
    B_Quit.events().click = [this] { B_Quit_Click(); };
    B_Start.events().mouseDown = call(buttons, &ImageButtons::B_Start_MouseDown);
    B_Start.events().click = [this] {
        if (!watcher.B_Start_Click()) {
            buttons.startRefused();
            // Watching has stopped: the empty curve says what to do.
            focus.refresh();
        }
    };
    B_Stop.events().mouseDown = call(buttons, &ImageButtons::B_Stop_MouseDown);
    B_Stop.events().mouseUp = call(buttons, &ImageButtons::B_Stop_MouseUp);
    B_Stop.events().click = [this] {
        watcher.B_Stop_Click();
        focus.refresh();
    };
    B_Reset.events().mouseDown = call(buttons, &ImageButtons::B_Reset_MouseDown);
    B_Reset.events().mouseUp = call(buttons, &ImageButtons::B_Reset_MouseUp);
    // Reset starts the focus session afresh, as it does the best figure.
    B_Reset.events().click = [this] {
        watcher.B_Reset_Click();
        focus.clear();
    };
    B_Select.events().mouseDown = call(buttons, &ImageButtons::B_Select_MouseDown);
    B_Select.events().mouseUp = call(buttons, &ImageButtons::B_Select_MouseUp);
    B_Select.events().click = [this] { gestures.B_Select_Click(); };
    B_Repertoire.click() = [this] { B_Repertoire_Click(T_RepReception); };

    MouseEvents& last = P_ImgLast.events();
    last.mouseDown = call(gestures, &PaneInteraction::P_ImgLast_MouseDown);
    last.mouseMove = call(gestures, &PaneInteraction::P_ImgLast_MouseMove);
    last.mouseUp = call(gestures, &PaneInteraction::P_ImgLast_MouseUp);
    last.dblClick = [this] { gestures.P_ImgLast_DblClick(); };
    MouseEvents& ref = P_ImgRef.events();
    ref.mouseDown = call(gestures, &PaneInteraction::P_ImgRef_MouseDown);
    ref.mouseMove = call(gestures, &PaneInteraction::P_ImgRef_MouseMove);
    ref.mouseUp = call(gestures, &PaneInteraction::P_ImgRef_MouseUp);
    ref.dblClick = [this] { gestures.P_ImgRef_DblClick(); };
    MouseEvents& overview = I_ImgLast.events();
    overview.mouseDown = call(gestures, &PaneInteraction::I_ImgLast_MouseDown);
    overview.mouseMove = call(gestures, &PaneInteraction::I_ImgLast_MouseMove);
    overview.mouseUp = call(gestures, &PaneInteraction::I_ImgLast_MouseUp);

    TM_TimerRead.timer() = [this] { watcher.TM_TimerRead_Timer(); };

    // The focus instrument follows the watcher and the current pane's crop.
    watcher.started = [this] { focus.newSession(); };
    watcher.listed = [this](const FileList& list) { focus.directoryListed(list); };
    watcher.shotTaken = [this](const TakenShot& shot) { focus.shotTaken(shot); };
    watcher.noticeChanged = [this](const QString& notice) {
        L_Avis.setCaption(notice);
        // A long folder's name may not fit the line: the whole text on hovering it.
        L_Avis.widget()->setToolTip(notice);
        instrument.place();
    };
    panes.cropsMoved = [this] {
        focus.refresh();
        aids.cropsMoved();
    };
    focus.mapReady = [this](int shotId) { aids.mapReady(shotId); };
    focus.cleared = [this] { aids.sessionCleared(); };
}

bool MainWindow::Form_Load()
{
    if (!settings.LoadSettings())
        return false;
    T_RepReception.setText(settings.ReceptionDir);
    gestures.LastDragging = false;
    gestures.RefDragging = false;
    gestures.SwapHeld = false;
    // All four are read before any is applied.
    const QString width = settings.ReadSetting(setting::Width);
    const QString height = settings.ReadSetting(setting::Height);
    const QString top = settings.ReadSetting(setting::Top);
    const QString left = settings.ReadSetting(setting::Left);
    restoreGeometry(width, height, top, left);
    return true;
}

void MainWindow::restoreGeometry(const QString& width, const QString& height, const QString& top,
                                 const QString& left)
{
    // A value that is missing or is no number leaves the design size or the
    // window system's placement in force.
    float w = 0, h = 0, t = 0, l = 0;
    const bool hasWidth = width != MissingValue && textToSingle(width, &w);
    const bool hasHeight = height != MissingValue && textToSingle(height, &h);
    const bool hasTop = top != MissingValue && textToSingle(top, &t);
    const bool hasLeft = left != MissingValue && textToSingle(left, &l);
    if (hasWidth)
        setOuterWidth(w);
    if (hasHeight)
        setOuterHeight(h);

    // A place that lies wholly off every screen (a screen since unplugged)
    // would hide the window: it then opens where the window system puts it.
    const QRect place = twipsToPixelRect(hasLeft ? l : outerLeft(), hasTop ? t : outerTop(),
                                         outerWidth(), outerHeight());
    bool onScreen = false;
    for (const QScreen* screen : QGuiApplication::screens())
        onScreen = onScreen || screen->geometry().intersects(place);
    if (!onScreen)
        return;
    if (hasTop)
        setOuterTop(t);
    if (hasLeft)
        setOuterLeft(l);
}

void MainWindow::B_Quit_Click()
{
    settings.WriteSetting(setting::RepBase, T_RepReception.text());
    settings.WriteSetting(setting::Width, singleToText(outerWidth()));
    settings.WriteSetting(setting::Height, singleToText(outerHeight()));
    settings.WriteSetting(setting::Top, singleToText(outerTop()));
    settings.WriteSetting(setting::Left, singleToText(outerLeft()));
    End();
}

} // namespace kelvaris
