#include "platform/Runtime.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace kelvaris {

namespace {
EndFunction g_end;
MessageBoxFunction g_messageBox;
QString g_executableDir;
} // namespace

void DoEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void yieldFor(double seconds)
{
    DoEvents();
    QElapsedTimer clock;
    clock.start();
    const qint64 duration = static_cast<qint64>(seconds * 1e9);
    while (clock.nsecsElapsed() < duration) {
        // A wake-up timer bounds the wait; any event ends it earlier.
        const auto remainingMs =
            static_cast<int>(std::ceil((duration - clock.nsecsElapsed()) / 1e6));
        QTimer wakeUp;
        wakeUp.setSingleShot(true);
        wakeUp.setTimerType(Qt::PreciseTimer);
        wakeUp.start(std::max(remainingMs, 1));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

void End()
{
    if (g_end) {
        g_end();
        return;
    }
    // Everything the program writes is already on disk (settings are
    // replaced atomically), so nothing is lost by ending without unwinding,
    // and no handler of a nested event loop runs after this.
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

EndFunction setEndFunction(EndFunction function)
{
    return std::exchange(g_end, std::move(function));
}

MessageResult MsgBox(const QString& text, MessageButtons buttons, const QString& title)
{
    if (g_messageBox)
        return g_messageBox(text, buttons, title);
    QMessageBox box(QMessageBox::NoIcon, title, text,
                    buttons == MessageButtons::Ok ? QMessageBox::Ok
                                                  : QMessageBox::Ok | QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? MessageResult::Ok : MessageResult::Cancel;
}

MessageBoxFunction setMessageBoxFunction(MessageBoxFunction function)
{
    return std::exchange(g_messageBox, std::move(function));
}

QString executableDir()
{
    return g_executableDir.isEmpty() ? QCoreApplication::applicationDirPath() : g_executableDir;
}

void setExecutableDirForTesting(const QString& dir)
{
    g_executableDir = dir;
}

} // namespace kelvaris
