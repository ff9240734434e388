#include "focus/SessionBackfill.h"

#include "capture/ShotLoader.h"
#include "platform/FileList.h"
#include "platform/PixelMemory.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace kelvaris {

namespace {

// The newest files looked at, at most: far more than the budget reaches,
// so that a folder of thousands costs Start nothing.
constexpr int MaxFiles = 500;

} // namespace

SessionBackfill::SessionBackfill()
{
    m_pool.setMaxThreadCount(1);
    // The idle priority is the one that the systems' schedulers honour
    // (SCHED_IDLE on Linux; the lower ones change nothing there).
    m_pool.setThreadPriority(QThread::IdlePriority);
}

SessionBackfill::~SessionBackfill()
{
    cancel();
}

void SessionBackfill::start(const FileList& list)
{
    cancel();
    const int count = list.listCount();
    m_firstFile = std::max(0, count - MaxFiles);
    for (int i = m_firstFile; i < count; ++i)
        m_files.push_back({list.list(i), list.nativePath(i)});
    m_queue.reset(count, budgetMs, maxShots);
    startNext();
}

void SessionBackfill::cancel()
{
    ++*m_generation;
    m_files.clear();
    m_queue.reset(0, 0, 0);
}

void SessionBackfill::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        startNext();
}

void SessionBackfill::holdFor(int ms)
{
    m_held.start();
    m_heldMs = ms;
    QTimer::singleShot(ms, &m_context, [this] { startNext(); });
}

bool SessionBackfill::isRunning() const
{
    return m_inFlight || m_queue.next() >= m_firstFile;
}

void SessionBackfill::startNext()
{
    const int file = m_queue.next();
    const bool held = m_held.isValid() && m_held.elapsed() < m_heldMs;
    if (m_paused || held || m_inFlight || file < m_firstFile)
        return;
    m_inFlight = true;
    const File& entry = m_files[std::size_t(file - m_firstFile)];
    const int generation = *m_generation;
    m_pool.start([this, file, entry, generation, current = m_generation] {
        QElapsedTimer clock;
        clock.start();
        Shot shot{entry.name, entry.path, 0, nullptr, 0};
        // A file of a cancelled start is not even read.
        if (*current == generation) {
            setHugePagesOnThisThread(false);
            const LoadedShot loaded = loadShot(entry.path);
            if (loaded.taken()) {
                shot.fileSize = loaded.fileSize;
                shot.map =
                    std::make_shared<const SharpnessMap>(SharpnessMap::measure(*loaded.picture));
            }
        }
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        QMetaObject::invokeMethod(
            &m_context,
            [this, file, generation, ms, shot = std::move(shot)]() mutable {
                m_inFlight = false;
                if (generation != *m_generation) {
                    startNext();
                    return;
                }
                const bool taken = shot.map != nullptr;
                shot.place = m_queue.placeOf(file);
                m_queue.tried(file, taken, ms);
                if (taken && measured)
                    measured(std::move(shot));
                startNext();
            },
            Qt::QueuedConnection);
    });
}

} // namespace kelvaris
