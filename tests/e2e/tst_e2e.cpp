// End to end: the real program on an X display, driven with the pointer and
// the keyboard as a user drives it, and judged from screenshots and from the
// settings file it leaves behind.
#include "e2e/Desktop.h"
#include "e2e/MainScreen.h"
#include "e2e/ProgramRun.h"
#include "e2e/ScreenReading.h"
#include "platform/Twips.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace kelvaris;
using namespace kelvaris::e2e;

namespace {

const QString MainTitle = QStringLiteral("Kelvaris");
const QString DialogTitle = QStringLiteral("Sélection du répertoire de réception");
constexpr int StartTimeoutMs = 15000;
constexpr int ReactionTimeoutMs = 5000;
// The watcher looks into the reception directory once a second.
constexpr int ShotTimeoutMs = 3000;
// Where the stored geometry below puts the window (Left 1200, Top 1500,
// 12000 x 9000 twips): there is no frame without a window manager.
const QRect StoredPlace(80, 100, 800, 600);

QByteArray settingsFile(const QString& receptionDir)
{
    return "[R\xe9pertoires]\r\nRepBase=" + receptionDir.toLatin1() +
           "\r\n[Fenetre]\r\nWidth=12000\r\nHeight=9000\r\nTop=1500\r\nLeft=1200\r\n";
}

// Shots in colours that mix into no red, so that the red cursor stands out,
// and that differ quarter by quarter from one shot to the next.
const QColor Blue(0, 0, 255), Yellow(255, 255, 0), Cyan(0, 255, 255), White(255, 255, 255),
    Magenta(255, 0, 255);
const Shot FirstShot{Blue, Yellow, Cyan, White};
const Shot SecondShot{Yellow, Cyan, White, Blue};
const Shot ThirdShot{Magenta, Cyan, Blue, White};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

    QProcess m_displayHolder;
    std::unique_ptr<ProgramRun> m_run;
    std::unique_ptr<QTemporaryDir> m_files; // reception directories and shots

    QString filePath(const QString& name) const { return m_files->filePath(name); }

    // Starts the program, with `ini` as its settings file (none when null).
    void start(const QByteArray& ini, const QString& workingDir = {})
    {
        m_run = std::make_unique<ProgramRun>(QStringLiteral(KELVARIS_EXE));
        QVERIFY2(m_run->ready(), "cannot copy the program into a temporary directory");
        if (!ini.isNull())
            QVERIFY(m_run->writeIni(ini));
        if (!workingDir.isEmpty())
            m_run->setWorkingDirectory(workingDir);
        QVERIFY2(m_run->start(), "the program does not start");
    }

    // Waits for the main window to show at the place the settings file gives it.
    void waitForMainWindow(Desktop::WindowId* window)
    {
        QVERIFY2(QTest::qWaitFor([&] { return Desktop::visibleWindows(MainTitle).size() == 1; },
                                 StartTimeoutMs),
                 m_run->output().constData());
        *window = Desktop::visibleWindows(MainTitle).value(0);
        QVERIFY(QTest::qWaitFor([&] { return Desktop::geometry(*window) == StoredPlace; },
                                ReactionTimeoutMs));
    }

    // Starts the program with `ini` and waits for its main window; false
    // (the test has failed) when either does not happen.
    bool startShown(const QByteArray& ini, Desktop::WindowId* window,
                    const QString& workingDir = {})
    {
        start(ini, workingDir);
        if (QTest::currentTestFailed())
            return false;
        waitForMainWindow(window);
        return !QTest::currentTestFailed();
    }

    // Starts the program on a reception directory holding two shots, clicks
    // Start, and waits for the newer shot to show.
    void startWatchingTwoShots(Desktop::WindowId* window)
    {
        const QString reception = filePath(QStringLiteral("reception"));
        QVERIFY(QDir().mkpath(reception));
        QVERIFY(writeShot(reception + QStringLiteral("/prise-001.jpg"), FirstShot));
        QVERIFY(writeShot(reception + QStringLiteral("/prise-002.jpg"), SecondShot));
        if (!startShown(settingsFile(reception), window))
            return;
        const MainScreen screen(StoredPlace);
        // Nothing is shown before Start.
        QVERIFY(redBox(Desktop::screenshot(), screen.overview()).isEmpty());
        QVERIFY(Desktop::click(screen.startButton().center()));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const QImage shot = Desktop::screenshot();
                         return showsShot(shot, screen.overview(), SecondShot) &&
                                !redBox(shot, screen.overview()).isEmpty();
                     },
                     ShotTimeoutMs),
                 "the overview does not show the newest shot with its cursor");
    }

    void quitAndExpectExit()
    {
        QVERIFY(Desktop::click(MainScreen(StoredPlace).quitButton().center()));
        QVERIFY2(m_run->waitForExit(ReactionTimeoutMs), "the program does not end on Quit");
        QCOMPARE(m_run->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_run->exitCode(), 0);
    }

private slots:
    void initTestCase()
    {
        const QStringList missing = Desktop::missingTools();
        if (!missing.isEmpty())
            QFAIL(qPrintable(QStringLiteral("missing: %1 (ctest runs this test in xvfb-run)")
                                 .arg(missing.join(QStringLiteral(", ")))));
        QVERIFY2(QFileInfo(QStringLiteral(KELVARIS_EXE)).isExecutable(), KELVARIS_EXE);
        QVERIFY2(Desktop::holdDisplay(m_displayHolder), "cannot connect to the X display");
        // The display runs at 96 DPI.
        setTwipsPerPixelForTesting(15);
    }

    void cleanupTestCase()
    {
        m_displayHolder.kill();
        m_displayHolder.waitForFinished();
    }

    void init()
    {
        m_files = std::make_unique<QTemporaryDir>();
        QVERIFY(m_files->isValid());
    }

    void cleanup()
    {
        if (QTest::currentTestFailed()) {
            const QString path =
                QDir::tempPath() + QStringLiteral("/kelvaris-e2e-%1.png")
                                       .arg(QLatin1String(QTest::currentTestFunction()));
            if (Desktop::screenshot().save(path))
                qWarning().noquote() << "Screen at the failure:" << path;
            if (m_run)
                qWarning().noquote() << "Program output:" << m_run->output();
        }
        m_run.reset();
        m_files.reset();
    }

    void quitRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("window");
        // Quit writes nothing new over a file that already says it all.
        QTest::newRow("as written") << QByteArray("Width=12000\r\nHeight=9000\r\nTop=1500\r\n"
                                                  "Left=1200\r\n");
        // Figures spelt otherwise come back in the program's own spelling.
        QTest::newRow("spelt otherwise") << QByteArray("Width=12000.0\r\nHeight= 9E3\r\n"
                                                       "Top=1500,00\r\nLeft=+1200\r\n");
    }
    void quitRoundTrip()
    {
        QFETCH(QByteArray, window);
        const QString reception = filePath(QStringLiteral("reception"));
        QVERIFY(QDir().mkpath(reception));
        const QByteArray expected = settingsFile(reception);
        QByteArray ini = expected;
        ini.replace(ini.indexOf("Width="), ini.size(), window);
        Desktop::WindowId id = 0;
        if (!startShown(ini, &id))
            return;
        quitAndExpectExit();
        if (QTest::currentTestFailed())
            return;
        // The same directory and the same four figures, CRLF and Windows-1252.
        QCOMPARE(m_run->iniBytes(), expected);
    }

    void missingSettingsFile()
    {
        start(QByteArray());
        if (QTest::currentTestFailed())
            return;
        // The first message has the program's title; the second waits for it.
        QVERIFY2(QTest::qWaitFor([] { return Desktop::visibleWindows(MainTitle).size() == 1; },
                                 StartTimeoutMs),
                 m_run->output().constData());
        QVERIFY(Desktop::visibleWindows(QStringLiteral("Attention")).isEmpty());
        const QRect first = Desktop::geometry(Desktop::visibleWindows(MainTitle).value(0));
        QVERIFY2(first.width() < StoredPlace.width(), qPrintable(describe(first)));
        QVERIFY(Desktop::focus(Desktop::visibleWindows(MainTitle).value(0)));
        QVERIFY(Desktop::key(QStringLiteral("Return")));

        QVERIFY(QTest::qWaitFor(
            [] { return Desktop::visibleWindows(QStringLiteral("Attention")).size() == 1; },
            ReactionTimeoutMs));
        QVERIFY(Desktop::visibleWindows(MainTitle).isEmpty());
        QVERIFY(Desktop::focus(Desktop::visibleWindows(QStringLiteral("Attention")).value(0)));
        QVERIFY(Desktop::key(QStringLiteral("Return")));

        QVERIFY2(m_run->waitForExit(ReactionTimeoutMs), "the program does not end");
        QCOMPARE(m_run->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_run->exitCode(), 0);
        QVERIFY(!QFile::exists(m_run->iniPath()));
        QCOMPARE(QDir(m_run->appDir()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 1);
    }

    void watcherShowsNewShots()
    {
        Desktop::WindowId window = 0;
        startWatchingTwoShots(&window);
        if (QTest::currentTestFailed())
            return;
        const MainScreen screen(StoredPlace);
        // The current pane shows the top left of the shot at full size.
        QVERIFY(
            near(Desktop::screenshot().pixel(screen.lastPane().center()), SecondShot.topLeft, 40));

        QVERIFY(writeShot(filePath(QStringLiteral("reception/prise-003.jpg")), ThirdShot));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const QImage shot = Desktop::screenshot();
                         return showsShot(shot, screen.overview(), ThirdShot) &&
                                !redBox(shot, screen.overview()).isEmpty();
                     },
                     ShotTimeoutMs),
                 "the overview does not show the shot that arrived");
    }

    void panesFollowDragAndResize()
    {
        Desktop::WindowId window = 0;
        startWatchingTwoShots(&window);
        if (QTest::currentTestFailed())
            return;
        const MainScreen before(StoredPlace);
        const QRect cursor = redBox(Desktop::screenshot(), before.overview());

        // Dragging the picture up and left shows a part further down and
        // right: the cursor follows on the overview's scale.
        const QPoint grab = before.lastPane().center();
        const QPoint pull(-120, -90);
        QVERIFY(Desktop::drag(grab, grab + pull, 6));
        const QPoint expectedShift(
            qRound(-pull.x() * before.overview().width() / double(ShotWidth)),
            qRound(-pull.y() * before.overview().height() / double(ShotHeight)));
        QRect moved;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         moved = redBox(Desktop::screenshot(), before.overview());
                         const QPoint shift = moved.topLeft() - cursor.topLeft();
                         return std::abs(shift.x() - expectedShift.x()) <= 2 &&
                                std::abs(shift.y() - expectedShift.y()) <= 2;
                     },
                     ReactionTimeoutMs),
                 qPrintable(QStringLiteral("cursor %1 then %2, expected a shift of %3,%4")
                                .arg(describe(cursor), describe(moved))
                                .arg(expectedShift.x())
                                .arg(expectedShift.y())));
        QVERIFY(std::abs(moved.width() - cursor.width()) <= 1);
        QVERIFY(std::abs(moved.height() - cursor.height()) <= 1);

        // A larger window: larger square panes, both the same, and a larger overview.
        const QRect larger(StoredPlace.topLeft(), QSize(1100, 800));
        QVERIFY(Desktop::resize(window, larger.size()));
        QVERIFY(QTest::qWaitFor([&] { return Desktop::geometry(window) == larger; },
                                ReactionTimeoutMs));
        const MainScreen after(larger);
        QVERIFY(after.refPane().width() > before.refPane().width());
        QRect ref, last, resizedCursor;
        int overviewWidth = 0;
        const bool laidOut = QTest::qWaitFor(
            [&] {
                const QImage shot = Desktop::screenshot();
                ref = measuredFrame(shot, after.refPane());
                last = measuredFrame(shot, after.lastPane());
                overviewWidth = measuredOverviewWidth(shot, after.overview());
                resizedCursor = redBox(shot, after.overview());
                return !ref.isNull() && !last.isNull() &&
                       showsShot(shot, after.overview(), SecondShot);
            },
            ReactionTimeoutMs);
        QVERIFY2(laidOut,
                 qPrintable(QStringLiteral("frames %1 and %2 near %3 and %4")
                                .arg(describe(ref), describe(last), describe(after.refPane()),
                                     describe(after.lastPane()))));
        for (const QRect& frame : {ref, last}) {
            QVERIFY2(std::abs(frame.width() - frame.height()) <= 1, qPrintable(describe(frame)));
            QVERIFY2(std::abs(frame.width() - after.refPane().width()) <= 1,
                     qPrintable(describe(frame)));
        }
        QVERIFY(std::abs(ref.width() - last.width()) <= 1);
        QVERIFY(std::abs(ref.height() - last.height()) <= 1);
        // The overview is one and a half panes wide.
        QVERIFY2(overviewWidth > before.overview().width(),
                 qPrintable(QString::number(overviewWidth)));
        QVERIFY2(std::abs(overviewWidth - qRound(last.width() * 1.5)) <= 2,
                 qPrintable(QString::number(overviewWidth)));
        // The cursor is placed again on the new scale, over the same part of the shot.
        const double scale = after.overview().width() / double(ShotWidth);
        const QRect expectedCursor(after.overview().topLeft() +
                                       QPoint(qRound(-pull.x() * scale), qRound(-pull.y() * scale)),
                                   QSize(qRound(after.lastPane().width() * scale),
                                         qRound(after.lastPane().height() * scale)));
        const QPoint offBy = resizedCursor.topLeft() - expectedCursor.topLeft();
        QVERIFY2(std::abs(offBy.x()) <= 3 && std::abs(offBy.y()) <= 3 &&
                     std::abs(resizedCursor.width() - expectedCursor.width()) <= 2 &&
                     std::abs(resizedCursor.height() - expectedCursor.height()) <= 2,
                 qPrintable(QStringLiteral("cursor %1, expected about %2")
                                .arg(describe(resizedCursor), describe(expectedCursor))));
    }

    void focusCurveShowsTheSharpestShot()
    {
        // A focusing sweep: blurred, sharp, a little blurred.
        const QString reception = filePath(QStringLiteral("reception"));
        QVERIFY(QDir().mkpath(reception));
        QVERIFY(writeDetailedShot(reception + QStringLiteral("/IMG_0001.JPG"), 3));
        Desktop::WindowId window = 0;
        if (!startShown(settingsFile(reception), &window))
            return;
        const MainScreen screen(StoredPlace);
        const QRect curve = screen.focusCurve();
        QVERIFY2(!curve.isNull(), "no room for the focus curve at the stored size");
        // F5 starts the watcher, as the Start button does.
        QVERIFY(Desktop::focus(window));
        QVERIFY(Desktop::key(QStringLiteral("F5")));
        QVERIFY(QTest::qWaitFor(
            [&] { return !redBox(Desktop::screenshot(), screen.overview()).isEmpty(); },
            ShotTimeoutMs));
        QVERIFY(writeDetailedShot(reception + QStringLiteral("/IMG_0002.JPG"), 0));
        QTest::qWait(300);
        QVERIFY(writeDetailedShot(reception + QStringLiteral("/IMG_0003.JPG"), 2));

        // Three points: the current shot in red at the right, the sharpest
        // highest, in the middle, ringed. The shots stand in three equal
        // slots along the axis, above it.
        QLine axis;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         axis = curveAxis(Desktop::screenshot(), curve);
                         return !axis.isNull();
                     },
                     ReactionTimeoutMs),
                 "no axis under the focus curve");
        const double step = (axis.x2() - axis.x1() + 1) / 3.0;
        const auto column = [&](int index) {
            return QRect(axis.x1() + int(index * step + step / 2) - 12, curve.top() + 20, 25,
                         axis.y1() - curve.top() - 20);
        };
        const auto highest = [](const QImage& shot, const QRect& area) {
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    if (qGray(shot.pixel(x, y)) < 110 || redBox(shot, QRect(x, y, 1, 1)).isValid())
                        return y;
            return area.bottom() + 1;
        };
        QImage shot;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         shot = Desktop::screenshot();
                         return !redBox(shot, column(2)).isEmpty() &&
                                highest(shot, column(1)) + 10 < highest(shot, column(0)) &&
                                highest(shot, column(1)) + 10 < highest(shot, column(2));
                     },
                     ShotTimeoutMs * 2),
                 qPrintable(QStringLiteral("no peak in the curve at %1").arg(describe(curve))));

        // A click on the sharpest shot makes it the reference: its cursor appears.
        QVERIFY(greenBox(shot, screen.overview()).isEmpty());
        QVERIFY(Desktop::click(column(1).center()));
        QVERIFY2(QTest::qWaitFor(
                     [&] { return !greenBox(Desktop::screenshot(), screen.overview()).isEmpty(); },
                     ReactionTimeoutMs),
                 "the reference's cursor does not appear");
    }

    void dialogChoosesReceptionDirectory()
    {
        // The dialog opens in the program's current directory, whose one
        // subdirectory is where the shots arrive.
        const QString parent = filePath(QStringLiteral("reception"));
        const QString prises = parent + QStringLiteral("/prises");
        QVERIFY(QDir().mkpath(prises));
        QVERIFY(writeShot(prises + QStringLiteral("/prise-001.jpg"), FirstShot));
        Desktop::WindowId window = 0;
        if (!startShown(settingsFile(QString()), &window, parent))
            return;
        const MainScreen screen(StoredPlace);

        QVERIFY(Desktop::click(screen.directoryButton().center()));
        QVERIFY2(QTest::qWaitFor([] { return Desktop::visibleWindows(DialogTitle).size() == 1; },
                                 ReactionTimeoutMs),
                 "the reception directory window does not open");
        const Desktop::WindowId dialog = Desktop::visibleWindows(DialogTitle).value(0);
        QVERIFY(Desktop::focus(dialog));
        // The directory list has the focus, on the open directory: the next
        // entry down is its subdirectory; Enter opens it and Alt+V validates.
        QVERIFY(Desktop::key(QStringLiteral("Down")));
        QVERIFY(Desktop::key(QStringLiteral("Return")));
        QVERIFY(Desktop::key(QStringLiteral("alt+v")));
        QVERIFY2(QTest::qWaitFor([] { return Desktop::visibleWindows(DialogTitle).isEmpty(); },
                                 ReactionTimeoutMs),
                 "Alt+V does not close the reception directory window");

        // Start watches the chosen directory: its shot shows, and no message
        // box (it would bear the program's title) says that it is missing.
        QVERIFY(Desktop::click(screen.startButton().center()));
        QVERIFY2(QTest::qWaitFor(
                     [&] { return showsShot(Desktop::screenshot(), screen.overview(), FirstShot); },
                     ShotTimeoutMs),
                 "the shot of the chosen directory does not show");
        QCOMPARE(Desktop::visibleWindows(MainTitle).size(), 1);

        quitAndExpectExit();
        if (QTest::currentTestFailed())
            return;
        const QByteArray expected =
            "RepBase=" + QFileInfo(prises).canonicalFilePath().toLatin1() + "\r\n";
        QVERIFY2(m_run->iniBytes().contains(expected), m_run->iniBytes().constData());
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_e2e.moc"
