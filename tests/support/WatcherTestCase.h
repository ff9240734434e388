#pragma once

// Base of the test classes that drive the capture watcher of a shown main
// window over real files in a temporary reception directory.

#include "support/WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kelvaris::test {

class WatcherTestCase : public WindowTestCase
{
protected:
    bool openWatcher()
    {
        reception = std::make_unique<QTemporaryDir>();
        return reception->isValid() && openWindow();
    }
    void closeWatcher()
    {
        closeWindow();
        reception.reset();
    }

    QString file(const QString& name) const { return reception->filePath(name); }
    void put(const QString& name, const QByteArray& bytes)
    {
        ProgramFixture::writeFile(file(name), bytes);
    }
    void put(const QString& name) { put(name, makeJpeg(300, 200)); }
    // Writes the shot under a temporary name, then renames it into place,
    // as transfer software that writes atomically does.
    bool putAtomically(const QString& name, const QByteArray& bytes)
    {
        const QString temporary = file(name + QStringLiteral(".part"));
        ProgramFixture::writeFile(temporary, bytes);
        return QFile::rename(temporary, file(name));
    }

    // Start, then stop the timer so that each test runs its looks itself;
    // returns once Start's look has ended.
    void start()
    {
        F->T_RepReception.setText(reception->path());
        F->watcher.B_Start_Click();
        F->watcher.B_Stop_Click();
        settle();
    }
    // Start, the watcher left running; returns once Start's look has
    // ended. With a timer too slow to fire during the test, only
    // notifications can bring a look.
    void startRunning(int timerIntervalMs = 1000)
    {
        F->T_RepReception.setText(reception->path());
        F->TM_TimerRead.setInterval(timerIntervalMs);
        F->watcher.B_Start_Click();
        settle();
    }
    // One look, to its end.
    void tick()
    {
        F->watcher.TM_TimerRead_Timer();
        settle();
    }
    // Waits until no look is under way (its shot loaded, its pause over)
    // and none is asked for.
    bool settle()
    {
        return QTest::qWaitFor(
            [this] { return !F->watcher.isLooking() && !F->watcher.hasLookPending(); }, 20000);
    }

    std::unique_ptr<QTemporaryDir> reception;
};

} // namespace kelvaris::test
