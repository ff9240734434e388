#pragma once

#include "capture/WatcherControls.h"

#include <QString>

namespace kelvaris {

class PaneInteraction;

// The capture watcher: once a second, while running, it lists the
// reception directory; when the directory holds more JPEG files than when
// it last took a shot, it takes the last file in name order as the newest
// shot, shows it and measures it.
class CaptureWatcher
{
public:
    CaptureWatcher(const WatcherControls& controls, PaneInteraction& panes)
        : F(controls), m_panes(panes)
    {
    }

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

private:
    // Takes the newest file as the current shot; false when it is not
    // complete or readable yet (it is tried again at the next look).
    bool takeNewestShot();

    WatcherControls F;
    PaneInteraction& m_panes;
    // The last file refused, so that a file that stays unreadable is
    // reported once, not at every look.
    QString m_refusedName;
};

} // namespace kelvaris
