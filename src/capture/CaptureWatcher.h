#pragma once

#include "capture/LookScheduler.h"
#include "capture/RefusedFile.h"
#include "capture/WatcherControls.h"
#include "capture/WatcherNotice.h"
#include "platform/DirectoryWatch.h"
#include "platform/NativePath.h"
#include "platform/Picture.h"

#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <functional>
#include <memory>

namespace kelvaris {

class PaneInteraction;
class ShotLoading;
struct ShotPart;

// A shot the watcher has just taken, for whoever follows the session.
struct TakenShot
{
    QString name;    // as the user reads it
    NativePath path; // the exact path it was read from
    Picture picture; // upright, RGB32; shared with the current pane
    qint64 fileSize = 0;
    QString figure; // its quality figure
};

// The capture watcher: once a second, while running, it lists the
// reception directory; when the directory holds more JPEG files than when
// it last took a shot, or its last file in name order sorts after the last
// shot taken, it takes that last file as the newest shot, shows it and
// measures it.
//
// Between two of those looks, the directory's notifications (a file
// closed after writing, or moved in) ask for an early look, so that a shot
// appears as soon as its last byte is written. An early look is a look
// like any other; the one-second look stays, for file systems that send
// no notifications. Looks never overlap (LookScheduler).
//
// A look never waits on the shot: it is read and decoded on worker threads
// (ShotLoading), and the look goes on as the results arrive, in the order
// the user sees them: the loading picture and the new name first, then the
// region the current pane shows, then the whole shot with the count and
// the figures, the cursor, and the idle picture after a short pause.
class CaptureWatcher
{
public:
    CaptureWatcher(const WatcherControls& controls, PaneInteraction& panes);
    ~CaptureWatcher();
    CaptureWatcher(const CaptureWatcher&) = delete;
    CaptureWatcher& operator=(const CaptureWatcher&) = delete;

    // Starts watching the directory of T_RepReception. Returns false, the
    // watcher staying stopped, when that directory cannot be watched (the
    // user has been told why).
    bool B_Start_Click();
    void B_Stop_Click();
    void B_Reset_Click();
    void TM_TimerRead_Timer();

    // The list's count when the watcher last took a shot, since the last
    // Start. An int, so that directories past 32767 files count right.
    int KnownImageCount = 0;

    // Seconds that the indicator stays on after each look (the benchmark
    // leaves it out to time the work of a look alone).
    double indicatorPause = 0.1;

    // Called when Start has accepted its directory, before its first look.
    std::function<void()> started;
    // Called after each reading of the directory.
    std::function<void(const FileList&)> listed;
    // Called when the region in view of a new shot is in the current
    // pane, before the rest of the shot is decoded.
    std::function<void()> shotPartShown;
    // Called after each shot taken, once the view shows it.
    std::function<void(const TakenShot&)> shotTaken;
    // Called when the notice about what keeps shots from arriving changes
    // (an empty text: nothing to say).
    std::function<void(const QString&)> noticeChanged;

    // Whether a look is under way, its shot loading or its pause running.
    bool isLooking() const { return m_scheduler.isLooking(); }
    // Whether a look is asked for and still to come.
    bool hasLookPending() const { return m_scheduler.hasPending(); }
    // Whether a shot is being read and decoded.
    bool isLoading() const { return m_loading != nullptr; }
    // How many looks have started, and how many shots were read to be
    // decoded, since the program began.
    int lookCount() const { return m_lookCount; }
    int loadingCount() const { return m_loadingCount; }
    QString notice() const { return m_notice.text(); }

private:
    bool isRunning() const { return F.TM_TimerRead.isEnabled(); }
    // One look at the directory: the start of the tick.
    void look();
    // Whether the list's last file is a shot to take.
    bool hasNewShot() const;
    void startLoading();
    void partDecoded(const ShotPart& part);
    void loadingFinished();
    void takeShot(const ShotLoading& loading);
    void refuseShot(const ShotLoading& loading);
    // The shot not taken leaves the pane and the names to the shot before.
    void showShotBefore(const ShotLoading& loading);
    // The indicator's pause, then the look's end.
    void pauseThenEnd();
    void endLook();
    void updateNotice();

    WatcherControls F;
    PaneInteraction& m_panes;
    DirectoryWatch m_directoryWatch;
    LookScheduler m_scheduler;
    QTimer m_pause;
    int m_lookCount = 0;
    int m_loadingCount = 0;
    // Two threads: the region in view and the whole shot, side by side.
    // Declared before the loading, so that a loading under way is told to
    // stop before the pool waits for its threads.
    QThreadPool m_pool;
    std::unique_ptr<ShotLoading> m_loading;
    QString m_loadingName;
    // Start counts afresh: a shot still loading from before it is not taken.
    int m_starts = 0;
    int m_loadingStarts = 0;
    // The name of the last shot taken since Start, as the system spells it.
    NativeName m_lastTaken;
    // What the current pane's caption and the file name showed before a
    // new shot's name and part came, for a shot refused after all.
    QString m_shownFile;
    QString m_shownCurrent;
    RefusedFile m_refused;
    QString m_loggedRefusal;
    WatcherNotice m_notice;
};

} // namespace kelvaris
