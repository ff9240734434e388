#pragma once

#include "platform/EventHandler.h"

#include <QTimer>

namespace kelvaris {

// A timer control: while enabled it runs its handler every interval.
// Qt does not start the handler again while the same handler still runs.
class Timer
{
public:
    explicit Timer(const QString& name, int intervalMs);

    bool isEnabled() const { return m_timer.isActive(); }
    void setEnabled(bool enabled);
    int interval() const { return m_timer.interval(); }
    void setInterval(int intervalMs) { m_timer.setInterval(intervalMs); }
    EventHandler& timer() { return m_handler; }
    QString name() const { return m_timer.objectName(); }

private:
    QTimer m_timer;
    EventHandler m_handler;
};

} // namespace kelvaris
