#pragma once

#include "capture/WatcherControls.h"
#include "capture/WatcherNotice.h"
#include "platform/DirectoryWatch.h"
#include "platform/NativePath.h"
#include "platform/Picture.h"

#include <QString>
#include <QTimer>

#include <functional>

namespace kelvaris {

class PaneInteraction;

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
// it last took a shot, it takes the last file in name order as the newest
// shot, shows it and measures it.
//
// Between two of those looks, the directory's notifications (a file
// closed after writing, or moved in) ask for an early look, so that a shot
// appears as soon as its last byte is written. An early look is a look
// like any other; the one-second look stays, for file systems that send
// no notifications. A look never starts inside another: a request that
// comes while one runs is answered by one look right after it.
class CaptureWatcher
{
public:
    CaptureWatcher(const WatcherControls& controls, PaneInteraction& panes);

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
    // Called after each shot taken, once the view shows it.
    std::function<void(const TakenShot&)> shotTaken;
    // Called when the notice about what keeps shots from arriving changes
    // (an empty text: nothing to say).
    std::function<void(const QString&)> noticeChanged;

    // How many looks are under way: 0 between looks, 1 during one, 2 when
    // Start runs its own look inside another's pause.
    int lookDepth() const { return m_lookDepth; }
    bool isLooking() const { return m_lookDepth > 0; }
    QString notice() const { return m_notice.text(); }

private:
    bool isRunning() const { return F.TM_TimerRead.isEnabled(); }
    // One look at the directory: the body of the tick.
    void look();
    // A look now, or right after the one under way.
    void lookOnceFree();
    // A notification asked for a look.
    void requestEarlyLook();
    // Takes the newest file as the current shot; false when it is not
    // complete or readable yet (it is tried again at the next look).
    bool takeNewestShot();
    void updateNotice();

    WatcherControls F;
    PaneInteraction& m_panes;
    DirectoryWatch m_directoryWatch;
    // Gathers the notifications of one burst into one early look.
    QTimer m_earlyLook;
    int m_lookDepth = 0;
    bool m_lookPending = false;
    WatcherNotice m_notice;
    // The last file refused, so that a file that stays unreadable is
    // logged once, not at every look.
    QString m_refusedName;
};

} // namespace kelvaris
