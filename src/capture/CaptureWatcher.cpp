#include "capture/CaptureWatcher.h"

#include "capture/QualityFigure.h"
#include "capture/ShotLoading.h"
#include "platform/PixelMemory.h"
#include "platform/Runtime.h"
#include "settings/Settings.h"
#include "view/PaneInteraction.h"

#include <QDebug>
#include <QElapsedTimer>

#include <utility>

namespace kelvaris {

namespace {

// How long the memory of a shot let go waits for the next shot to be
// decoded into it: a minute between two shots is a pause in the session.
constexpr std::chrono::seconds SpareMemoryKept(60);

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
    : F(controls), m_panes(panes), m_directoryWatch([this] { m_scheduler.askSoon(); })
{
    m_pool.setMaxThreadCount(2);
    m_pause.setSingleShot(true);
    QObject::connect(&m_pause, &QTimer::timeout, &m_scheduler, [this] { endLook(); });
    QObject::connect(&m_scheduler, &LookScheduler::lookDue, &m_scheduler, [this] { look(); });
}

// The loading goes first (it tells its workers to stop), then the pool,
// which waits for them.
CaptureWatcher::~CaptureWatcher() = default;

bool CaptureWatcher::B_Start_Click()
{
    KnownImageCount = 0;
    m_lastTaken.clear();
    // Start looks at everything afresh, a file refused before included.
    m_refused = RefusedFile();
    ++m_starts;
    if (m_loading)
        m_loading->stop();
    m_notice.clear();
    updateNotice();
    const QString directory = F.T_RepReception.text();
    if (!DirExists(directory)) {
        // Nothing to watch: the watcher stays stopped and says why.
        F.TM_TimerRead.setEnabled(false);
        m_scheduler.setRunning(false);
        m_directoryWatch.stop();
        MsgBox(directory.isEmpty()
                   ? QStringLiteral("Aucun répertoire de réception n'est indiqué. Choisissez-le "
                                    "avec le bouton «\u00a0...\u00a0» puis cliquez sur Start.")
                   : QStringLiteral(
                         "Le répertoire de réception «\u00a0%1\u00a0» n'existe pas ou n'est pas "
                         "accessible.")
                         .arg(directory),
               MessageButtons::Ok, QStringLiteral("Kelvaris"));
        return false;
    }
    F.F_Fichiers.setPath(directory);
    F.TM_TimerRead.setEnabled(true);
    m_scheduler.setRunning(true);
    // Without notifications (a network share), the one-second look alone finds shots.
    m_directoryWatch.watch(directory);
    if (started)
        started();
    // Start's own look: at once, or right after the look under way.
    m_scheduler.askNow();
    return true;
}

void CaptureWatcher::B_Stop_Click()
{
    // A look under way, its shot still loading, runs to its end.
    releaseSparePixelMemory(std::chrono::seconds(0));
    F.TM_TimerRead.setEnabled(false);
    m_scheduler.setRunning(false);
    m_directoryWatch.stop();
    m_notice.clear();
    updateNotice();
}

void CaptureWatcher::B_Reset_Click()
{
    F.T_QualiteMax.setText(QStringLiteral("0"));
}

void CaptureWatcher::TM_TimerRead_Timer()
{
    m_scheduler.askNow();
}

void CaptureWatcher::look()
{
    ++m_lookCount;
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
    const int last = F.F_Fichiers.listCount() - 1;
    const bool stillRefused = last >= 0 && m_refused.isUnchangedAt(F.F_Fichiers.nativePath(last));
    if (hasNewShot() && !stillRefused) {
        startLoading();
        return; // the look goes on as the shot arrives
    }
    if (stillRefused) {
        // It still stands in the way: the notice keeps telling it.
        m_notice.fileRefused(m_refused.name, m_refused.reason, m_refused.incomplete, monotonicMs());
    } else {
        // Nothing new: no file stands in the way of the next shot.
        m_notice.fileCleared();
    }
    F.B_State.setPicture(F.P_Nopicture.picture());
    // The memory kept for the next shot goes back once shots stop coming.
    releaseSparePixelMemory(SpareMemoryKept);
    updateNotice();
    pauseThenEnd();
}

bool CaptureWatcher::hasNewShot() const
{
    const FileList& list = F.F_Fichiers;
    const int count = list.listCount();
    if (count <= 0)
        return false;
    if (count > KnownImageCount)
        return true;
    // Fewer files than at the last shot taken (a reject deleted, the folder
    // gone and back): the last file is new all the same when it sorts after
    // that shot, as the camera's next file does.
    return !m_lastTaken.empty() && FileList::sortsBefore(m_lastTaken, list.nativeName(count - 1));
}

void CaptureWatcher::startLoading()
{
    const FileList& list = F.F_Fichiers;
    const int last = list.listCount() - 1;
    F.B_State.setPicture(F.P_Load.picture());
    m_shownFile = F.T_FichierImage.text();
    m_shownCurrent = F.T_ImageCourante.text();
    m_loadingName = list.list(last);
    F.T_FichierImage.setText(m_loadingName);
    m_loadingStarts = m_starts;
    ++m_loadingCount;
    m_loading =
        std::make_unique<ShotLoading>(list.nativePath(last), m_panes.nextShotCrop(), m_pool);
    QObject::connect(m_loading.get(), &ShotLoading::partDecoded, m_loading.get(),
                     [this](const ShotPart& part) { partDecoded(part); });
    QObject::connect(m_loading.get(), &ShotLoading::finished, m_loading.get(),
                     [this] { loadingFinished(); });
}

void CaptureWatcher::partDecoded(const ShotPart& part)
{
    if (m_loadingStarts != m_starts)
        return;
    // The region in view first, under the new shot's name.
    m_panes.showNewShotPart(part.pixels, part.where, part.whole);
    F.T_ImageCourante.setText(m_loadingName);
    if (shotPartShown)
        shotPartShown();
}

void CaptureWatcher::loadingFinished()
{
    // Deleted once its signal has returned.
    ShotLoading* loading = m_loading.release();
    loading->deleteLater();
    const bool startedSince = m_loadingStarts != m_starts;
    if (!startedSince && loading->state() == ShotLoading::State::Loaded) {
        takeShot(*loading);
    } else if (!startedSince && loading->result().outcome != LoadedShot::Outcome::Stopped) {
        refuseShot(*loading);
    } else {
        // Start came meanwhile: this shot is not taken, Start's look follows.
        showShotBefore(*loading);
    }
    updateNotice();
    pauseThenEnd();
}

void CaptureWatcher::takeShot(const ShotLoading& loading)
{
    const LoadedShot& shot = loading.result();
    m_refused = RefusedFile();
    m_loggedRefusal.clear();
    m_notice.fileCleared();
    m_lastTaken = loading.path().filename().native();

    F.T_FichierImage.setText(m_loadingName);
    KnownImageCount = F.F_Fichiers.listCount();
    F.T_ImageCourante.setText(F.T_FichierImage.text());
    F.T_NbImg.setText(QString::number(KnownImageCount));
    // The figure comes from the size of the data that was decoded.
    F.T_Qualite.setText(qualityFigure(shot.fileSize));
    if (leadingNumber(F.T_Qualite.text()) > leadingNumber(F.T_QualiteMax.text()))
        F.T_QualiteMax.setText(F.T_Qualite.text());
    // The overview and the current pane share the one decoded picture.
    m_panes.showNewShot(shot.picture, loading.rendition());
    if (shotTaken)
        shotTaken({m_loadingName, loading.path(), shot.picture, shot.fileSize, F.T_Qualite.text()});
}

void CaptureWatcher::refuseShot(const ShotLoading& loading)
{
    const LoadedShot& shot = loading.result();
    // Still being written, or no picture: the previous shot stays with its
    // name and figures, and a look tries again once the file changes.
    showShotBefore(loading);
    // Logged once, not at every state of a file still being written.
    if (std::exchange(m_loggedRefusal, m_loadingName) != m_loadingName)
        qInfo().noquote() << "Shot not taken yet:" << m_loadingName << shot.error;
    if (shot.outcome == LoadedShot::Outcome::Vanished) {
        m_refused = RefusedFile();
        m_notice.fileCleared();
        return;
    }
    const bool incomplete = shot.outcome == LoadedShot::Outcome::Incomplete;
    m_notice.fileRefused(m_loadingName, shot.reason, incomplete, monotonicMs());
    // A file whose identity could not be read (held shut by another
    // program) is looked at again at every look.
    m_refused = RefusedFile();
    if (loading.stamp() != FileStamp())
        m_refused = {loading.path(), loading.stamp(), m_loadingName, shot.reason, incomplete};
}

void CaptureWatcher::showShotBefore(const ShotLoading& loading)
{
    if (loading.hasPart())
        m_panes.withdrawNewShotPart();
    F.T_FichierImage.setText(m_shownFile);
    F.T_ImageCourante.setText(m_shownCurrent);
}

void CaptureWatcher::pauseThenEnd()
{
    // The indicator stays on a little, whatever the look found.
    m_pause.start(std::max(0, int(indicatorPause * 1000)));
}

void CaptureWatcher::endLook()
{
    F.B_State.setPicture(F.P_Nothing.picture());
    m_scheduler.lookEnded();
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
