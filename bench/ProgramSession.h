#pragma once

#include "app/MainWindow.h"
#include "platform/Runtime.h"

#include <QTemporaryDir>

#include <memory>

namespace kelvaris::bench {

// The program's main window, loaded and shown as at start-up, with its own
// settings file in a temporary directory that stands for the executable's.
// The program's ending and message boxes are intercepted: a message the
// program shows is printed, and counts as a fault of the run.
class ProgramSession
{
public:
    ProgramSession();
    ~ProgramSession();
    ProgramSession(const ProgramSession&) = delete;
    ProgramSession& operator=(const ProgramSession&) = delete;

    // False when the window could not be loaded or shown.
    bool ready() const { return m_ready; }
    MainWindow& window() { return *m_window; }
    int messagesShown() const { return m_messages; }

    // Points the watcher at `directory` with Start, which takes the newest
    // shot at once, then stops its timer so that the caller runs the ticks.
    // The indicator's pause is left out, so a tick is only its work.
    void watchByHand(const QString& directory);

    // Writes a 24 MP test shot into `directory` as IMG_0001.JPG and takes it
    // with watchByHand; empty, or what went wrong.
    QString takeTestShot(const QString& directory);
    // Hands the focus instrument `count` more shots of the picture on
    // screen, IMG_0002.JPG on after `firstNumber` - 2 of them, as the
    // watcher hands a shot over, and waits for their maps.
    void addSessionShots(int count, int firstNumber = 2);
    // The same from IMG_0002.JPG on, then what the program keeps resident
    // for each of them, in KB, freed memory given back first.
    double addSessionShotsKeptKb(int count);
    // Waits until the focus instrument has measured every map.
    void waitForMaps();

    // Sets the window's client area to `width` x `height` pixels, lays it
    // out and paints it; false when the size was not reached.
    bool resizeClient(int width, int height);

    // Processes every pending event (paints included).
    static void settle();
    // Runs the event loop until the watcher has no look under way or asked
    // for: its shot loaded and shown. False after 30 s.
    bool finishLooks();

private:
    QTemporaryDir m_appDir;
    EndFunction m_oldEnd;
    MessageBoxFunction m_oldBox;
    std::unique_ptr<MainWindow> m_window;
    QString m_testShot;
    int m_messages = 0;
    bool m_ready = false;
};

} // namespace kelvaris::bench
