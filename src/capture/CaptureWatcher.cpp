#include "capture/CaptureWatcher.h"

#include "capture/QualityFigure.h"
#include "capture/ShotLoader.h"
#include "platform/Runtime.h"
#include "settings/Settings.h"
#include "view/PaneInteraction.h"

#include <QDebug>
#include <QElapsedTimer>
#include <utility>

namespace kelvaris {

namespace {

qint64 monotonicMs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    return clock.elapsed();
}

} // namespace

CaptureWatcher::CaptureWatcher(const WatcherControls& controls, PaneInteraction& panes)
    : F(controls), m_panes(panes), m_directoryWatch([this] { requestEarlyLook(); })
{
    // The notifications of one burst (a card reader copying several shots)
    // arrive before this zero-delay timer fires, and make one look.
    m_earlyLook.setSingleShot(true);
    m_earlyLook.setInterval(0);
    QObject::connect(&m_earlyLook, &QTimer::timeout, &m_earlyLook, [this] {
        if (isRunning())
            lookOnceFree();
    });
}

bool CaptureWatcher::B_Start_Click()
{
    KnownImageCount = 0;
    m_notice.clear();
    updateNotice();
    const QString directory = F.T_RepReception.text();
    if (!DirExists(directory)) {
        // Nothing to watch: the watcher stays stopped and says why.
        F.TM_TimerRead.setEnabled(false);
        m_directoryWatch.stop();
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
    // Without notifications (a network share), the one-second look alone finds shots.
    m_directoryWatch.watch(directory);
    if (started)
        started();
    // Start's own look runs at once, even inside another look's pause.
    look();
    return true;
}

void CaptureWatcher::B_Stop_Click()
{
    F.TM_TimerRead.setEnabled(false);
    m_directoryWatch.stop();
    m_earlyLook.stop();
    m_lookPending = false;
    m_notice.clear();
    updateNotice();
}

void CaptureWatcher::B_Reset_Click()
{
    F.T_QualiteMax.setText(QStringLiteral("0"));
}

void CaptureWatcher::TM_TimerRead_Timer()
{
    // The timer may fire while an early look pauses: its look comes right after.
    lookOnceFree();
}

void CaptureWatcher::lookOnceFree()
{
    if (isLooking())
        m_lookPending = true;
    else
        look();
}

void CaptureWatcher::requestEarlyLook()
{
    if (isRunning() && !m_earlyLook.isActive())
        m_earlyLook.start();
}

void CaptureWatcher::look()
{
    ++m_lookDepth;
    F.F_Fichiers.refresh();
    if (listed)
        listed(F.F_Fichiers);
    if (F.F_Fichiers.isReadable()) {
        m_notice.directoryRead();
        // A directory that vanished and came back is watched again.
        if (isRunning() && !m_directoryWatch.isWatching())
            m_directoryWatch.watch(F.F_Fichiers.path());
    } else {
        m_notice.directoryLost(F.F_Fichiers.path());
    }
    const int count = F.F_Fichiers.listCount();
    if (count > KnownImageCount && count > 0) {
        F.B_State.setPicture(F.P_Load.picture());
        DoEvents();
        // Other handlers may have run during the yield (Start even a whole
        // look): everything is read afresh from here on.
        takeNewestShot();
    } else {
        // Nothing new: no file stands in the way of the next shot.
        m_notice.fileCleared();
        F.B_State.setPicture(F.P_Nopicture.picture());
    }
    updateNotice();
    yieldFor(indicatorPause);
    F.B_State.setPicture(F.P_Nothing.picture());
    --m_lookDepth;
    // A request that came during this look is answered now, by one look.
    if (m_lookDepth == 0 && std::exchange(m_lookPending, false) && isRunning())
        m_earlyLook.start();
}

bool CaptureWatcher::takeNewestShot()
{
    FileList& list = F.F_Fichiers;
    if (list.listCount() == 0)
        return false;
    const int last = list.listCount() - 1;
    const QString name = list.list(last);
    const NativePath path = list.nativePath(last);
    const LoadedShot shot = loadShot(path);
    if (!shot.taken()) {
        // Still being written, or no picture: the previous shot stays with
        // its figures, and the next look tries again.
        if (name != std::exchange(m_refusedName, name))
            qInfo().noquote() << "Shot not taken yet:" << name << shot.error;
        if (shot.outcome == LoadedShot::Outcome::Vanished)
            m_notice.fileCleared();
        else
            m_notice.fileRefused(name, shot.reason, shot.outcome == LoadedShot::Outcome::Incomplete,
                                 monotonicMs());
        return false;
    }
    m_refusedName.clear();
    m_notice.fileCleared();

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
    if (shotTaken)
        shotTaken({name, path, shot.picture, shot.fileSize, F.T_Qualite.text()});
    return true;
}

void CaptureWatcher::updateNotice()
{
    const QString text = m_notice.text();
    if (text == F.B_State.toolTip())
        return;
    // The status picture tells it too, where the window has no room for the notice.
    F.B_State.setToolTip(text);
    if (noticeChanged)
        noticeChanged(text);
}

} // namespace kelvaris
