// A look never waits on its shot: the shot is read and decoded on workers,
// the region in view first, and what arrives comes in the order the user
// sees it, with the design's rules for Stop, Start, Reset and the gestures
// while it loads.
#include "app/MainWindow.h"
#include "capture/JpegSamples.h"
#include "capture/ShotLoading.h"
#include "platform/NativePath.h"
#include "support/WatcherTestCase.h"

#include <QFile>
#include <QTest>
#include <QTimer>

#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

using namespace kelvaris;
using kelvaris::test::makeJpeg;
using kelvaris::test::WatcherTestCase;

namespace {

constexpr int Never = 3600 * 1000;

// Holds the whole shot back on its worker until opened, so that what comes
// before it can be seen; a loading told to stop gets through.
class Gate
{
public:
    Gate() = default;
    ~Gate() { ShotLoading::setBeforeWholeForTesting({}); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    // From now on, whole shots wait.
    void close()
    {
        ShotLoading::setBeforeWholeForTesting([this](const StopFlag& stop) {
            ++m_held;
            while (!m_open && !stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    }
    void open() { m_open = true; }
    int held() const { return m_held; }

private:
    std::atomic<bool> m_open{false};
    std::atomic<int> m_held{0};
};

// Shots larger than the pane's crop, so that the crop comes first.
QByteArray shotOf(QColor colour)
{
    return makeJpeg(800, 600, colour, colour);
}

// Whether the pixels the current pane shows hold `colour` anywhere.
bool paneShows(const MainWindow& F, QColor colour)
{
    const QImage shown = F.P_BaseLast.widget()->grab().toImage();
    for (int y = 2; y < shown.height() - 2; ++y)
        for (int x = 2; x < shown.width() - 2; ++x) {
            const QColor c = shown.pixelColor(x, y);
            if (std::abs(c.red() - colour.red()) < 40 &&
                std::abs(c.green() - colour.green()) < 40 &&
                std::abs(c.blue() - colour.blue()) < 40)
                return true;
        }
    return false;
}

} // namespace

class TestLoading : public WatcherTestCase
{
    Q_OBJECT

    // Starts on a folder holding a red shot, then a blue one arrives and
    // its look begins, the whole shot held back by `gate`.
    void startThenHoldANewShot(Gate& gate)
    {
        put(QStringLiteral("IMG_0001.JPG"), shotOf(Qt::red));
        startRunning(Never);
        gate.close();
        put(QStringLiteral("IMG_0002.JPG"), shotOf(Qt::blue));
        F->watcher.TM_TimerRead_Timer();
        QTRY_VERIFY(gate.held() > 0);
    }

private slots:
    void init() { QVERIFY(openWatcher()); }
    void cleanup() { closeWatcher(); }

    // The region in view comes first however the file is coded and
    // wherever the region lies: out of the whole decoding, or decoded
    // alone beside it.
    void thePartComesFirstForEveryKindOfFileAndPlace_data()
    {
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<QRect>("part");
        QTest::newRow("sequential, top") << false << QRect(0, 0, 200, 200);
        QTest::newRow("sequential, bottom") << false << QRect(500, 380, 200, 200);
        QTest::newRow("progressive, top") << true << QRect(0, 0, 200, 200);
        QTest::newRow("progressive, bottom") << true << QRect(500, 380, 200, 200);
    }

    void thePartComesFirstForEveryKindOfFileAndPlace()
    {
        QFETCH(bool, progressive);
        QFETCH(QRect, part);
        QImage picture(800, 600, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        samples::LibjpegOptions options;
        options.progressive = progressive;
        put(QStringLiteral("IMG_0001.JPG"), samples::encodeLibjpeg(picture, options));
        QThreadPool pool;
        pool.setMaxThreadCount(2);
        ShotLoading loading(toNativePath(file(QStringLiteral("IMG_0001.JPG"))), part, pool);
        std::optional<ShotPart> first;
        bool partBeforeWhole = false;
        QObject::connect(&loading, &ShotLoading::partDecoded, &loading, [&](const ShotPart& got) {
            first = got;
            partBeforeWhole = loading.state() == ShotLoading::State::Loading;
        });
        QTRY_VERIFY(loading.state() != ShotLoading::State::Loading);
        QVERIFY(first.has_value());
        QVERIFY(partBeforeWhole);
        QCOMPARE(first->where, part);
        QCOMPARE(*first->pixels, loading.result().picture->copy(part));
    }

    void whatALookShowsComesInOrder()
    {
        put(QStringLiteral("IMG_0001.JPG"), shotOf(Qt::red));
        start();
        // Another size of file, for another figure.
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(800, 600, Qt::blue, Qt::blue, 300));

        // Each state of what the user sees, as the event loop comes round.
        struct Seen
        {
            bool loading, named, partShown, captioned, whole, counted, figured, cursorMoved, idle;
            bool operator==(const Seen&) const = default;
        };
        const Picture before = F->P_ImgLast.picture();
        const float cursorLeft = F->SH_CurseurLast.left();
        // The pane elsewhere; the new shot's cursor will show it.
        F->P_ImgLast.setLeft(-1500);
        F->P_ImgLast.setTop(-1200);
        const auto seen = [&] {
            return Seen{
                F->B_State.picture() == F->P_Load.picture(),
                F->T_FichierImage.text() == QStringLiteral("IMG_0002.JPG"),
                F->P_ImgLast.isPartial(),
                F->T_ImageCourante.text() == QStringLiteral("IMG_0002.JPG"),
                F->I_ImgLast.picture() != before,
                F->T_NbImg.text() == QStringLiteral("2"),
                F->T_Qualite.text() ==
                    QString::number(QFileInfo(file(QStringLiteral("IMG_0002.JPG"))).size()).left(4),
                F->SH_CurseurLast.left() != cursorLeft,
                F->B_State.picture() == F->P_Nothing.picture()};
        };
        QList<Seen> states{seen()};
        QTimer sampler;
        QObject::connect(&sampler, &QTimer::timeout, &sampler, [&] {
            if (!(seen() == states.last()))
                states << seen();
        });
        sampler.start(0);
        Gate gate;
        gate.close();
        F->watcher.TM_TimerRead_Timer();
        states << seen();
        // The region in view arrives while the whole shot is held back.
        QTRY_VERIFY(F->P_ImgLast.isPartial());
        gate.open();
        QVERIFY(settle());
        sampler.stop();
        if (!(seen() == states.last()))
            states << seen();

        const QList<Seen> expected{
            {false, false, false, false, false, false, false, false, true},
            // The loading picture and the new name first...
            {true, true, false, false, false, false, false, false, false},
            // ...then the region in view under the new name...
            {true, true, true, true, false, false, false, false, false},
            // ...then the whole shot, the count, the figure, the cursor...
            {true, true, false, true, true, true, true, true, false},
            // ...and the idle picture after the pause.
            {false, true, false, true, true, true, true, true, true},
        };
        QCOMPARE(states.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QVERIFY2(states[i] == expected[i], qPrintable(QStringLiteral("state %1").arg(i)));
    }

    void aPanBeforeTheWholeShotNeverShowsThePreviousOne()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        QTRY_VERIFY(F->P_ImgLast.isPartial());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QVERIFY(paneShows(*F, Qt::blue));
        // Dragged to a region not decoded yet: background, never the red shot.
        QWidget* pane = F->P_ImgLast.widget();
        const QPoint from = pane->mapFrom(F->P_BaseLast.widget(), QPoint(100, 100));
        QTest::mousePress(pane, Qt::LeftButton, {}, from);
        QTest::mouseMove(pane, from + QPoint(-150, -120));
        QTest::mouseRelease(pane, Qt::LeftButton, {}, from + QPoint(-150, -120));
        QVERIFY(!paneShows(*F, Qt::red));
        // Select waits for the whole shot, and then takes it at that crop.
        const float left = F->P_ImgLast.left();
        QTest::mouseClick(F->B_Select.widget(), Qt::LeftButton);
        QVERIFY(!F->P_ImgRef.picture());
        gate.open();
        QVERIFY(settle());
        QVERIFY(!F->P_ImgLast.isPartial());
        QVERIFY(paneShows(*F, Qt::blue));
        QVERIFY(!paneShows(*F, Qt::red));
        QCOMPARE(F->P_ImgRef.picture(), F->P_ImgLast.picture());
        QCOMPARE(F->P_ImgRef.left(), left);
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0002.JPG"));
    }

    void aBlinkDuringTheLoadComesBackToTheNewShot()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        QTRY_VERIFY(F->P_ImgLast.isPartial());
        QTest::mouseClick(F->B_Select.widget(), Qt::LeftButton); // waits for the whole shot
        QWidget* pane = F->P_ImgLast.widget();
        QTest::mousePress(pane, Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!F->P_ImgLast.isPartial());
        QTest::mouseRelease(pane, Qt::RightButton, {}, QPoint(5, 5));
        // Released before the whole shot: the part again.
        QVERIFY(F->P_ImgLast.isPartial());
        QTest::mousePress(pane, Qt::RightButton, {}, QPoint(5, 5));
        gate.open();
        QVERIFY(settle());
        QTest::mouseRelease(pane, Qt::RightButton, {}, QPoint(5, 5));
        // Released after: the whole new shot.
        QCOMPARE(F->P_ImgLast.picture(), F->I_ImgLast.picture());
        QVERIFY(paneShows(*F, Qt::blue));
    }

    void stopDuringALoadLetsItsShotArrive()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        F->watcher.B_Stop_Click();
        QVERIFY(!F->TM_TimerRead.isEnabled());
        gate.open();
        QVERIFY(settle());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("2"));
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
    }

    void startOnAnotherFolderDuringALoadTakesThatFoldersShot()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        QTemporaryDir other;
        kelvaris::test::ProgramFixture::writeFile(other.filePath(QStringLiteral("DSC_0100.JPG")),
                                                  shotOf(Qt::green));
        F->T_RepReception.setText(other.path());
        QVERIFY(F->watcher.B_Start_Click());
        gate.open();
        QVERIFY(settle());
        // The shot of the folder left is not taken, in the view or the session.
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("DSC_0100.JPG"));
        QCOMPARE(F->T_FichierImage.text(), QStringLiteral("DSC_0100.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("1"));
        QCOMPARE(F->watcher.KnownImageCount, 1);
        QVERIFY(paneShows(*F, Qt::green));
        QVERIFY(!paneShows(*F, Qt::blue));
        QTRY_VERIFY(!F->focus.isMeasuring());
        QCOMPARE(F->focus.session().size(), 1);
        QCOMPARE(F->focus.session().shots()[0].name, QStringLiteral("DSC_0100.JPG"));
    }

    void resetDuringALoadMakesTheArrivingShotTheBest()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));
        gate.open();
        QVERIFY(settle());
        QCOMPARE(F->T_QualiteMax.text(), F->T_Qualite.text());
        QTRY_VERIFY(!F->focus.isMeasuring());
        QCOMPARE(F->focus.session().size(), 1);
        QCOMPARE(F->focus.session().shots()[0].name, QStringLiteral("IMG_0002.JPG"));
    }

    void aShotRefusedAfterItsPartLeavesThePreviousOne()
    {
        put(QStringLiteral("IMG_0001.JPG"), shotOf(Qt::red));
        start();
        // Whole, but damaged near its end: the region at the top decodes.
        QByteArray damaged = makeJpeg(800, 600, Qt::blue, Qt::blue, 600);
        for (qsizetype i = damaged.size() - 400; i < damaged.size() - 10; i += 7)
            damaged[i] = char(0xff), damaged[i + 1] = char(0xd3);
        put(QStringLiteral("IMG_0002.JPG"), damaged);
        Gate gate;
        gate.close();
        F->watcher.TM_TimerRead_Timer();
        QTRY_VERIFY(F->P_ImgLast.isPartial());
        gate.open();
        QVERIFY(settle());
        QVERIFY(!F->P_ImgLast.isPartial());
        QCOMPARE(F->P_ImgLast.picture(), F->I_ImgLast.picture());
        QVERIFY(paneShows(*F, Qt::red));
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->T_FichierImage.text(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(F->watcher.notice().contains(QStringLiteral("IMG_0002.JPG")));
    }

    void aRefusedFileIsReadAgainOnlyOnceItChanges()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        put(QStringLiteral("IMG_0002.JPG"), "no picture in here");
        tick();
        QCOMPARE(F->watcher.loadingCount(), 2);
        const QString notice = F->watcher.notice();
        QVERIFY(notice.contains(QStringLiteral("IMG_0002.JPG")));
        // Unchanged: looked at, not read again, and still told of.
        tick();
        tick();
        QCOMPARE(F->watcher.loadingCount(), 2);
        QCOMPARE(F->watcher.notice(), notice);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        // Rewritten, whole this time: taken.
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(320, 240));
        tick();
        QCOMPARE(F->watcher.loadingCount(), 3);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QCOMPARE(F->watcher.notice(), QString());
        // Start looks at everything afresh.
        put(QStringLiteral("IMG_0003.JPG"), "still no picture");
        tick();
        QCOMPARE(F->watcher.loadingCount(), 4);
        start();
        QCOMPARE(F->watcher.loadingCount(), 5);
    }

    void looksStopWhenNothingChanges()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        startRunning(Never);
        put(QStringLiteral("IMG_0002.JPG"));
        QTRY_COMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QVERIFY(settle());
        const int looks = F->watcher.lookCount();
        QTest::qWait(400);
        QCOMPARE(F->watcher.lookCount(), looks);
    }

    void theWindowClosedWhileAMapIsMeasuredTakesNothingLate()
    {
        put(QStringLiteral("IMG_0001.JPG"), shotOf(Qt::red));
        startRunning(Never);
        // A large shot, so that its sharpness map is still being measured
        // when the window goes, right after the shot is shown.
        bool measuring = false;
        const auto toInstrument = F->watcher.shotTaken;
        F->watcher.shotTaken = [&](const TakenShot& shot) {
            toInstrument(shot);
            measuring = F->focus.isMeasuring();
        };
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(4000, 3000, Qt::blue, Qt::green, 500));
        F->watcher.TM_TimerRead_Timer();
        QTRY_COMPARE(F->T_NbImg.text(), QStringLiteral("2"));
        QVERIFY(measuring);
        closeWatcher();
        QTest::qWait(50);
        QVERIFY(openWatcher());
    }

    void theWindowClosedWhileLoadingTakesNothingLate()
    {
        Gate gate;
        startThenHoldANewShot(gate);
        // The window goes while the whole shot is decoding, its map still
        // measuring the shot before: the workers stop, nothing arrives.
        closeWatcher();
        QTest::qWait(50);
        QVERIFY(openWatcher());
    }
};

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
