#pragma once

#include <QObject>
#include <QTimer>

namespace kelvaris {

// When the watcher looks at the reception directory. Looks are asked for
// by Start, by the one-second timer and by the directory's notifications,
// and never overlap:
//  - asked now (Start, the timer) while no look is under way, a look starts
//    at once, whether the watcher runs or not (a tick is a tick);
//  - asked soon (a notification), it starts once the event loop comes
//    round, so that all the notifications of one burst (a card reader
//    copying several shots) make one look;
//  - asked either way while a look is under way, one look follows right
//    after it, however many times it was asked;
//  - stopped, notifications ask for nothing and what was asked is
//    forgotten; the look under way runs to its end.
// The watcher starts a look on lookDue and tells lookEnded when it ends.
class LookScheduler : public QObject
{
    Q_OBJECT

public:
    LookScheduler();

    // Start: looks may be asked for; Stop: none any more.
    void setRunning(bool running);
    bool isRunning() const { return m_running; }

    void askNow();
    void askSoon();
    // The look under way has ended.
    void lookEnded();

    bool isLooking() const { return m_looking; }
    // A look asked for and still to come.
    bool hasPending() const { return m_pending || m_soon.isActive(); }

signals:
    void lookDue();

private:
    void startLook();

    // Fires when the event loop comes round: a burst gathered, or the look
    // after the one that just ended.
    QTimer m_soon;
    bool m_running = false;
    bool m_looking = false;
    bool m_pending = false;
};

} // namespace kelvaris
