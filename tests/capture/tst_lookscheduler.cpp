// When the watcher looks: no look inside another, a burst of notifications
// gives one look, a look asked during another gives one more, and nothing
// asked gives nothing.
#include "capture/LookScheduler.h"

#include <QSignalSpy>
#include <QTest>

using namespace kelvaris;

namespace {

// A watcher's side of the scheduler: each look it is told to start runs
// until the test ends it.
struct Looks
{
    explicit Looks(LookScheduler& scheduler) : scheduler(scheduler)
    {
        QObject::connect(&scheduler, &LookScheduler::lookDue, &scheduler, [this] {
            ++started;
            if (this->scheduler.isLooking())
                ++underWay;
            nestedSeen = nestedSeen || underWay > 1;
        });
    }
    // The look under way ends.
    void end()
    {
        --underWay;
        scheduler.lookEnded();
    }
    // Lets the event loop come round a few times.
    static void settle() { QTest::qWait(20); }

    LookScheduler& scheduler;
    int started = 0;
    int underWay = 0;
    bool nestedSeen = false;
};

} // namespace

class TestLookScheduler : public QObject
{
    Q_OBJECT

private slots:
    void askedNowALookStartsAtOnce()
    {
        LookScheduler scheduler;
        Looks looks(scheduler);
        // A tick is a tick, running or not: a look by hand.
        scheduler.askNow();
        QCOMPARE(looks.started, 1);
        QVERIFY(scheduler.isLooking());
        looks.end();
        QVERIFY(!scheduler.isLooking());
        QVERIFY(!scheduler.hasPending());
    }

    void aLookAskedDuringAnotherComesOnceRightAfterIt()
    {
        LookScheduler scheduler;
        scheduler.setRunning(true);
        Looks looks(scheduler);
        scheduler.askNow();
        // The timer, Start and notifications all ask while the look runs.
        scheduler.askNow();
        scheduler.askNow();
        scheduler.askSoon();
        Looks::settle();
        QCOMPARE(looks.started, 1);
        QVERIFY(scheduler.hasPending());
        looks.end();
        // Not inside the ending look: once the event loop comes round.
        QCOMPARE(looks.started, 1);
        QTRY_COMPARE(looks.started, 2);
        looks.end();
        // Nothing more was asked: nothing more comes, however long one waits.
        Looks::settle();
        QCOMPARE(looks.started, 2);
        QVERIFY(!scheduler.hasPending());
        QVERIFY(!looks.nestedSeen);
    }

    void aBurstOfNotificationsGivesOneLook()
    {
        LookScheduler scheduler;
        scheduler.setRunning(true);
        Looks looks(scheduler);
        for (int i = 0; i < 10; ++i)
            scheduler.askSoon();
        QCOMPARE(looks.started, 0);
        QTRY_COMPARE(looks.started, 1);
        looks.end();
        Looks::settle();
        QCOMPARE(looks.started, 1);
    }

    void notificationsAskNothingWhileStopped()
    {
        LookScheduler scheduler;
        Looks looks(scheduler);
        scheduler.askSoon();
        Looks::settle();
        QCOMPARE(looks.started, 0);
    }

    void stopForgetsWhatWasAskedAndLetsTheLookEnd()
    {
        LookScheduler scheduler;
        scheduler.setRunning(true);
        Looks looks(scheduler);
        scheduler.askNow();
        scheduler.askSoon();
        scheduler.askNow();
        scheduler.setRunning(false);
        QVERIFY(scheduler.isLooking());
        QVERIFY(!scheduler.hasPending());
        looks.end();
        Looks::settle();
        QCOMPARE(looks.started, 1);
        // A burst gathered but not yet looked at when Stop comes is forgotten too.
        scheduler.setRunning(true);
        scheduler.askSoon();
        scheduler.setRunning(false);
        Looks::settle();
        QCOMPARE(looks.started, 1);
    }

    void aSessionOfLooksSettles()
    {
        // Shots arrive during looks, again and again: every request is
        // answered, none twice, and the looks stop when requests do.
        LookScheduler scheduler;
        scheduler.setRunning(true);
        Looks looks(scheduler);
        scheduler.askNow();
        for (int round = 0; round < 5; ++round) {
            scheduler.askSoon();
            looks.end();
            QTRY_COMPARE(looks.started, round + 2);
        }
        looks.end();
        Looks::settle();
        QCOMPARE(looks.started, 6);
        QVERIFY(!scheduler.isLooking());
        QVERIFY(!looks.nestedSeen);
    }
};

QTEST_GUILESS_MAIN(TestLookScheduler)
#include "tst_lookscheduler.moc"
