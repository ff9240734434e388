#include "platform/Timer.h"

namespace kelvaris {

Timer::Timer(const QString& name, int intervalMs)
{
    m_timer.setObjectName(name);
    m_timer.setInterval(intervalMs);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
        if (m_handler)
            m_handler();
    });
}

void Timer::setEnabled(bool enabled)
{
    // Enabling a running timer leaves its rhythm alone, as disabling a stopped one does.
    if (enabled && !m_timer.isActive())
        m_timer.start();
    else if (!enabled)
        m_timer.stop();
}

} // namespace kelvaris
