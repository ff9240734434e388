#pragma once

#include "focus/BackfillQueue.h"
#include "focus/SharpnessMap.h"
#include "platform/NativePath.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace kelvaris {

class FileList;

// The shots already in the folder at Start, brought into the focus curve:
// read, decoded and measured one at a time on a thread of the lowest
// priority, newest first (see BackfillQueue), as long as the work stays
// within a budget.
//
// The budget: 3 s of work, and at most 50 shots. A 24 MP shot takes some
// 0.15 s to decode and measure here, so a sweep of twenty shots comes in;
// a folder of a thousand shots of other days does not flood the curve.
//
// A new shot is not kept waiting: the work runs at the system's idle
// priority, its pictures leave the huge pages to the new shots (taking them
// made a new shot decoded meanwhile 1.5 to 2.5 times slower), and no file is
// begun while a new shot may be on its way (holdFor) or while the
// instrument measures one (setPaused). Start, Reset and closing cancel the
// work: a shot measured for a cancelled session is dropped, and closing
// waits for the one file under way at most.
class SessionBackfill
{
public:
    struct Shot
    {
        QString name;
        NativePath path;
        qint64 fileSize = 0;
        std::shared_ptr<const SharpnessMap> map;
        int place = 0; // where it goes in the session (BackfillQueue::placeOf)
    };

    SessionBackfill();
    ~SessionBackfill();
    SessionBackfill(const SessionBackfill&) = delete;
    SessionBackfill& operator=(const SessionBackfill&) = delete;

    // Begins with the files of `list`, as Start's look read it; cancels
    // what was under way.
    void start(const FileList& list);
    void cancel();
    // While paused, no new file is begun.
    void setPaused(bool paused);
    // No new file is begun for `ms` milliseconds: a new shot may be on its
    // way, and reading two shots at once slows both.
    void holdFor(int ms);
    // Whether files are still being measured or wait to be.
    bool isRunning() const;
    // Whether a file is being measured now.
    bool isWorking() const { return m_inFlight; }
    // Waits for the file under way to be measured; its shot still comes
    // through the event loop, unless cancelled meanwhile.
    void waitForWork() { m_pool.waitForDone(); }

    // Each shot measured, on the thread that started the work.
    std::function<void(Shot)> measured;

    static constexpr double DefaultBudgetMs = 3000;
    static constexpr int DefaultMaxShots = 50;
    double budgetMs = DefaultBudgetMs;
    int maxShots = DefaultMaxShots;

private:
    struct File
    {
        QString name;
        NativePath path;
    };

    void startNext();

    BackfillQueue m_queue;
    std::vector<File> m_files; // the newest files of the folder, in name order
    int m_firstFile = 0;       // the folder's number of m_files[0]
    bool m_paused = false;
    bool m_inFlight = false;
    QElapsedTimer m_held; // since holdFor
    int m_heldMs = 0;
    // Which start the work belongs to; read by the worker to skip a file
    // of a cancelled start.
    std::shared_ptr<std::atomic<int>> m_generation = std::make_shared<std::atomic<int>>(0);
    // Results come back through this object; the pool goes first, waiting
    // for its work.
    QObject m_context;
    QThreadPool m_pool;
};

} // namespace kelvaris
