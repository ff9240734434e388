// The shots already in the folder at Start: which are measured, in what
// order, within what budget, where they go in the session; and the work in
// the background, paused for a new shot and cancelled by a new session.
#include "focus/BackfillQueue.h"
#include "focus/SessionBackfill.h"
#include "platform/FileList.h"
#include "support/Fixture.h"

#include <QTemporaryDir>
#include <QTest>

#include <set>

using namespace kelvaris;

namespace {

QString shotName(int counter)
{
    return QStringLiteral("IMG_%1.JPG").arg(counter, 4, 10, QLatin1Char('0'));
}

} // namespace

class TestBackfill : public QObject
{
    Q_OBJECT

    // A folder of `count` small shots, IMG_0001.JPG on.
    bool fill(int count)
    {
        for (int i = 1; i <= count; ++i)
            test::ProgramFixture::writeFile(m_folder->filePath(shotName(i)),
                                            test::makeJpeg(64, 48, Qt::gray, Qt::white, i % 48));
        m_list = std::make_unique<FileList>(QStringLiteral("F_Fichiers"), QStringLiteral("*.jpg"));
        m_list->setPath(m_folder->path());
        return m_list->listCount() == count;
    }

    // Collects what `backfill` measures.
    void collect(SessionBackfill& backfill)
    {
        m_measured.clear();
        backfill.measured = [this](SessionBackfill::Shot shot) {
            m_measured.push_back(std::move(shot));
        };
    }

    QStringList measuredNames() const
    {
        QStringList names;
        for (const SessionBackfill::Shot& shot : m_measured)
            names << shot.name;
        return names;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<FileList> m_list;
    std::vector<SessionBackfill::Shot> m_measured;

private slots:
    void init() { m_folder = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        m_list.reset();
        m_folder.reset();
    }

    void whichFilesInWhatOrder_data()
    {
        QTest::addColumn<int>("files");
        QTest::addColumn<double>("budgetMs");
        QTest::addColumn<int>("maxShots");
        QTest::addColumn<QList<int>>("failing");
        QTest::addColumn<QList<int>>("order");
        // Files in name order from 0; the last is Start's own; each try costs 10 ms.
        QTest::newRow("newest first") << 5 << 1e9 << 50 << QList<int>{} << QList<int>{3, 2, 1, 0};
        QTest::newRow("a file that fails is passed over")
            << 5 << 1e9 << 50 << QList<int>{2} << QList<int>{3, 2, 1, 0};
        QTest::newRow("within the budget")
            << 10 << 25.0 << 50 << QList<int>{} << QList<int>{8, 7, 6};
        QTest::newRow("enough shots, failures not counted")
            << 10 << 1e9 << 2 << QList<int>{7} << QList<int>{8, 7, 6};
        QTest::newRow("no budget") << 5 << 0.0 << 50 << QList<int>{} << QList<int>{};
        QTest::newRow("Start's shot alone") << 1 << 1e9 << 50 << QList<int>{} << QList<int>{};
        QTest::newRow("an empty folder") << 0 << 1e9 << 50 << QList<int>{} << QList<int>{};
    }
    void whichFilesInWhatOrder()
    {
        QFETCH(int, files);
        QFETCH(double, budgetMs);
        QFETCH(int, maxShots);
        QFETCH(QList<int>, failing);
        QFETCH(QList<int>, order);
        BackfillQueue queue;
        queue.reset(files, budgetMs, maxShots);
        QList<int> tried;
        for (int file = queue.next(); file >= 0 && tried.size() <= files; file = queue.next()) {
            tried << file;
            queue.tried(file, !failing.contains(file), 10);
        }
        QCOMPARE(tried, order);
    }

    void theShotsStandInNameOrder()
    {
        // Whatever order they are measured in, each shot goes after those of older files.
        BackfillQueue queue;
        queue.reset(10, 1e9, 50);
        QCOMPARE(queue.placeOf(8), 0);
        queue.tried(8, true, 1);
        QCOMPARE(queue.placeOf(6), 0);
        queue.tried(6, true, 1);
        queue.tried(5, false, 1);
        QCOMPARE(queue.placeOf(7), 1);
        QCOMPARE(queue.placeOf(4), 0);
        QCOMPARE(queue.placeOf(9), 2);
        QCOMPARE(queue.taken(), 2);
    }

    void theFolderComesInNewestFirst()
    {
        QVERIFY(fill(5));
        // A file that is no picture among them is passed over.
        test::ProgramFixture::writeFile(m_folder->filePath(shotName(3)), "not a picture");
        SessionBackfill backfill;
        collect(backfill);
        backfill.start(*m_list);
        QTRY_VERIFY_WITH_TIMEOUT(!backfill.isRunning(), 60000);
        QCOMPARE(measuredNames(), (QStringList{shotName(4), shotName(2), shotName(1)}));
        for (const SessionBackfill::Shot& shot : m_measured) {
            QVERIFY(shot.map);
            QCOMPARE(shot.fileSize, QFileInfo(m_folder->filePath(shot.name)).size());
            QCOMPARE(shot.place, 0); // before the newer ones already in
        }
    }

    void aNewShotGoesFirst()
    {
        QVERIFY(fill(3));
        SessionBackfill backfill;
        collect(backfill);
        // Paused while a new shot is measured: nothing begins.
        backfill.setPaused(true);
        backfill.start(*m_list);
        QVERIFY(backfill.isRunning());
        QVERIFY(!backfill.isWorking());
        QCoreApplication::processEvents();
        QVERIFY(m_measured.empty());
        backfill.setPaused(false);
        QTRY_VERIFY_WITH_TIMEOUT(!backfill.isRunning(), 60000);
        QCOMPARE(measuredNames(), (QStringList{shotName(2), shotName(1)}));

        // The same while a new shot may be on its way: nothing begins until the hold ends.
        backfill.holdFor(300);
        backfill.start(*m_list);
        QVERIFY(backfill.isRunning());
        QVERIFY(!backfill.isWorking());
        QTRY_VERIFY_WITH_TIMEOUT(!backfill.isRunning(), 60000);
        QCOMPARE(measuredNames().size(), 4);
    }

    void aCancelledSessionGetsNothingLate()
    {
        QVERIFY(fill(6));
        SessionBackfill backfill;
        collect(backfill);
        backfill.start(*m_list);
        QVERIFY(backfill.isWorking());
        // Reset once a shot is measured, before it is delivered: it never comes.
        backfill.waitForWork();
        backfill.cancel();
        QTRY_VERIFY_WITH_TIMEOUT(!backfill.isWorking(), 60000);
        QVERIFY(!backfill.isRunning());
        QVERIFY(m_measured.empty());

        // Start again while one is measured: only the new start's shots come.
        backfill.start(*m_list);
        QVERIFY(backfill.isWorking());
        QTemporaryDir other;
        test::ProgramFixture::writeFile(other.filePath(QStringLiteral("a.jpg")),
                                        test::makeJpeg(64, 48));
        test::ProgramFixture::writeFile(other.filePath(QStringLiteral("b.jpg")),
                                        test::makeJpeg(64, 48));
        FileList otherList(QStringLiteral("F_Fichiers"), QStringLiteral("*.jpg"));
        otherList.setPath(other.path());
        backfill.start(otherList);
        QTRY_VERIFY_WITH_TIMEOUT(!backfill.isRunning(), 60000);
        QCOMPARE(measuredNames(), QStringList{QStringLiteral("a.jpg")});
    }

    void closingWhileAtWork()
    {
        QVERIFY(fill(8));
        auto backfill = std::make_unique<SessionBackfill>();
        collect(*backfill);
        backfill->start(*m_list);
        QVERIFY(backfill->isWorking());
        // Gone at once: it waits for the shot under way, and calls nothing after.
        backfill.reset();
        QCoreApplication::processEvents();
        QVERIFY(m_measured.empty());
    }
};

QTEST_GUILESS_MAIN(TestBackfill)
#include "tst_backfill.moc"
