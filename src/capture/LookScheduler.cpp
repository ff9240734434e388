#include "capture/LookScheduler.h"

#include <utility>

namespace kelvaris {

LookScheduler::LookScheduler()
{
    m_soon.setSingleShot(true);
    m_soon.setInterval(0);
    connect(&m_soon, &QTimer::timeout, this, &LookScheduler::askNow);
}

void LookScheduler::setRunning(bool running)
{
    m_running = running;
    if (!running) {
        m_soon.stop();
        m_pending = false;
    }
}

void LookScheduler::askNow()
{
    if (m_looking)
        m_pending = true;
    else
        startLook();
}

void LookScheduler::askSoon()
{
    if (m_running && !m_soon.isActive())
        m_soon.start();
}

void LookScheduler::lookEnded()
{
    m_looking = false;
    if (std::exchange(m_pending, false))
        askSoon();
}

void LookScheduler::startLook()
{
    m_looking = true;
    emit lookDue();
}

} // namespace kelvaris
