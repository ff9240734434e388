#include "capture/CaptureWatcher.h"

#include "capture/QualityFigure.h"
#include "capture/ShotLoader.h"
#include "platform/Runtime.h"
#include "settings/Settings.h"
#include "view/PaneInteraction.h"

#include <QDebug>
#include <utility>

namespace kelvaris {

bool CaptureWatcher::B_Start_Click()
{
    KnownImageCount = 0;
    const QString directory = F.T_RepReception.text();
    if (!DirExists(directory)) {
        // Nothing to watch: the watcher stays stopped and says why.
        F.TM_TimerRead.setEnabled(false);
        MsgBox(directory.isEmpty()
                   ? QStringLiteral("Aucun répertoire de réception n'est indiqué. Choisissez-le "
                                    "avec le bouton « ... » puis cliquez sur Start.")
                   : QStringLiteral("Le répertoire de réception « %1 » n'existe pas ou n'est pas "
                                    "accessible.")
                         .arg(directory),
               MessageButtons::Ok, QStringLiteral("Kelvaris"));
        return false;
    }
    F.F_Fichiers.setPath(directory);
    F.TM_TimerRead.setEnabled(true);
    TM_TimerRead_Timer();
    return true;
}

void CaptureWatcher::B_Stop_Click()
{
    F.TM_TimerRead.setEnabled(false);
}

void CaptureWatcher::B_Reset_Click()
{
    F.T_QualiteMax.setText(QStringLiteral("0"));
}

void CaptureWatcher::TM_TimerRead_Timer()
{
    F.F_Fichiers.refresh();
    const int count = F.F_Fichiers.listCount();
    if (count > KnownImageCount && count > 0) {
        F.B_State.setPicture(F.P_Load.picture());
        DoEvents();
        // Other handlers may have run during the yield (Start even a whole
        // tick): everything is read afresh from here on.
        takeNewestShot();
    } else {
        F.B_State.setPicture(F.P_Nopicture.picture());
    }
    yieldFor(indicatorPause);
    F.B_State.setPicture(F.P_Nothing.picture());
}

bool CaptureWatcher::takeNewestShot()
{
    FileList& list = F.F_Fichiers;
    if (list.listCount() == 0)
        return false;
    const QString name = list.list(list.listCount() - 1);
    const LoadedShot shot = loadShot(list.path() + QLatin1Char('/') + name);
    if (!shot.taken()) {
        // Still being written, or no picture: the previous shot stays with
        // its figures, and the next look tries again.
        if (name != std::exchange(m_refusedName, name))
            qInfo().noquote() << "Shot not taken yet:" << name << shot.error;
        return false;
    }
    m_refusedName.clear();

    F.T_FichierImage.setText(name);
    KnownImageCount = list.listCount();
    F.T_ImageCourante.setText(F.T_FichierImage.text());
    F.T_NbImg.setText(QString::number(KnownImageCount));
    // The figure comes from the size of the data that was decoded.
    F.T_Qualite.setText(qualityFigure(shot.fileSize));
    if (leadingNumber(F.T_Qualite.text()) > leadingNumber(F.T_QualiteMax.text()))
        F.T_QualiteMax.setText(F.T_Qualite.text());
    // The overview and the current pane share the one decoded picture.
    m_panes.showNewShot(shot.picture);
    return true;
}

} // namespace kelvaris
