// A shot appears as soon as its file is complete, not at the next
// one-second look: the directory's notifications ask for an early look.
#include "app/MainWindow.h"
#include "platform/DirectoryWatch.h"
#include "support/WatcherTestCase.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

using namespace kelvaris;
using kelvaris::test::makeJpeg;
using kelvaris::test::WatcherTestCase;

namespace {

// A timer that never fires during a test: only notifications bring looks.
constexpr int Never = 3600 * 1000;
constexpr int Patience = 10000; // ms, for a loaded machine

} // namespace

class TestEarlyLooks : public WatcherTestCase
{
    Q_OBJECT

    // The shots taken, in order, with the number of looks begun at each.
    QStringList taken;
    QList<int> looks;

    void follow()
    {
        F->watcher.shotTaken = [this](const TakenShot& shot) {
            taken << shot.name;
            looks << F->watcher.lookCount();
        };
    }

private slots:
    void init()
    {
        QVERIFY(openWatcher());
        taken.clear();
        looks.clear();
        follow();
    }
    void cleanup()
    {
        closeWatcher();
        DirectoryWatch::setUnavailableForTesting(false);
    }

    void aCompleteFileIsTakenBeforeTheTimerWouldLook()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        QCOMPARE(taken, QStringList{QStringLiteral("IMG_0001.JPG")});
        QVERIFY(putAtomically(QStringLiteral("IMG_0002.JPG"), makeJpeg(320, 240)));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"),
                                  Patience);
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("2"));
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(320, 240));
        QTRY_COMPARE(F->B_State.picture(), F->P_Nothing.picture());
    }

    void aFileBeingWrittenIsTakenAtItsLastByte()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        const QByteArray whole = makeJpeg(400, 300, Qt::green, Qt::yellow, 300);
        QFile writing(file(QStringLiteral("IMG_0002.JPG")));
        QVERIFY(writing.open(QIODevice::WriteOnly));
        QVERIFY(writing.write(whole.left(whole.size() / 2)) > 0);
        QVERIFY(writing.flush());
        // Half written: nothing to take, whatever the directory says meanwhile.
        QTest::qWait(300);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(writing.write(whole.mid(whole.size() / 2)) > 0);
        writing.close();
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"),
                                  Patience);
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(400, 300));
    }

    void aRequestDuringALookIsAnsweredRightAfterIt()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        // The second shot arrives while Start's look shows its indicator.
        QTimer::singleShot(30, F, [this] {
            QVERIFY(F->watcher.isLooking());
            QVERIFY(putAtomically(QStringLiteral("IMG_0002.JPG"), makeJpeg(320, 240)));
        });
        startRunning(Never);
        QTRY_COMPARE_WITH_TIMEOUT(taken.size(), 2, Patience);
        QCOMPARE(taken,
                 (QStringList{QStringLiteral("IMG_0001.JPG"), QStringLiteral("IMG_0002.JPG")}));
        // Each shot was taken by a look of its own.
        QCOMPARE(looks.size(), 2);
        QVERIFY(looks[1] > looks[0]);
    }

    void aBurstGivesOneLook()
    {
        startRunning(Never);
        for (int i = 1; i <= 5; ++i)
            QVERIFY(putAtomically(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')),
                                  makeJpeg(64, 48)));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0005.JPG"),
                                  Patience);
        QTRY_VERIFY(!F->watcher.isLooking());
        QTest::qWait(200);
        // One look took the last of the five; none came after for nothing new.
        QCOMPARE(taken, QStringList{QStringLiteral("IMG_0005.JPG")});
    }

    void stopEndsTheEarlyLooksAndStartBringsThemBack()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        F->watcher.B_Stop_Click();
        QVERIFY(putAtomically(QStringLiteral("IMG_0002.JPG"), makeJpeg(64, 48)));
        QTest::qWait(300);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QVERIFY(putAtomically(QStringLiteral("IMG_0003.JPG"), makeJpeg(64, 48)));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0003.JPG"),
                                  Patience);
    }

    void aDirectoryThatComesBackIsWatchedAgain()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        const QString path = reception->path();
        QVERIFY(QDir(path).removeRecursively());
        // Its going is noticed at once.
        QTRY_VERIFY_WITH_TIMEOUT(!F->watcher.notice().isEmpty(), Patience);
        QVERIFY(QDir().mkpath(path));
        put(QStringLiteral("IMG_0001.JPG"));
        // The next one-second look finds it again and watches it once more.
        QTRY_VERIFY(!F->watcher.isLooking());
        tick();
        QCOMPARE(F->watcher.notice(), QString());
        // A count above the one of the last shot taken: a new shot.
        QVERIFY(putAtomically(QStringLiteral("IMG_0002.JPG"), makeJpeg(64, 48)));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"),
                                  Patience);
    }

    void withoutNotificationsTheTimerStillLooks()
    {
        DirectoryWatch::setUnavailableForTesting(true);
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(); // the designed one-second look
        QCOMPARE(F->TM_TimerRead.interval(), 1000);
        QVERIFY(putAtomically(QStringLiteral("IMG_0002.JPG"), makeJpeg(64, 48)));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"),
                                  Patience);
    }
};

QTEST_MAIN(TestEarlyLooks)
#include "tst_earlylooks.moc"
