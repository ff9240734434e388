// The controls of the platform layer: twips geometry, pictures, mouse events.
#include "platform/ImageBox.h"
#include "platform/PictureBox.h"
#include "platform/Runtime.h"
#include "platform/Twips.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace kelvaris;

class TestControls : public QObject
{
    Q_OBJECT

private slots:
    void geometryReadsBackExactlyAsSet()
    {
        QWidget window;
        PictureBox box(&window, QStringLiteral("box"), {Qt::gray});
        box.setGeometry(6203.f, 45.f, 4551.f, 3034.5f);
        box.setLeft(-21000.4f);
        QCOMPARE(box.left(), -21000.4f);
        QCOMPARE(box.height(), 3034.5f);
        QCOMPARE(box.name(), QStringLiteral("box"));
        QCOMPARE(box.widget()->objectName(), QStringLiteral("box"));
    }

    void pixelEdgesAreRoundedNotSizes_data()
    {
        QTest::addColumn<QList<double>>("twips");
        QTest::addColumn<QRect>("pixels");
        // 6203 / 15 = 413.53 -> 414; (6203 + 4551) / 15 = 716.93 -> 717.
        QTest::newRow("overview") << QList<double>{6203, 45, 4551, 3034} << QRect(414, 3, 303, 202);
        // Halves go to even: 22.5 -> 22, 37.5 -> 38, 38.5 -> 38.
        QTest::newRow("halves") << QList<double>{337.5, 562.5, 225, 15} << QRect(22, 38, 16, 0);
        QTest::newRow("negative") << QList<double>{-21000, -13500, 45000, 30000}
                                  << QRect(-1400, -900, 3000, 2000);
    }
    void pixelEdgesAreRoundedNotSizes()
    {
        QFETCH(QList<double>, twips);
        QFETCH(QRect, pixels);
        QCOMPARE(twipsToPixelRect(twips[0], twips[1], twips[2], twips[3]), pixels);
    }

    void abuttingControlsLeaveNoGap()
    {
        for (double left = 0; left < 200; left += 7.5) {
            const QRect a = twipsToPixelRect(left, 0, 1003.5, 10);
            const QRect b = twipsToPixelRect(left + 1003.5, 0, 500, 10);
            QCOMPARE(a.right() + 1, b.left());
        }
    }

    void autoSizedBoxTakesItsPicturesSizeAndSharesIt()
    {
        QWidget window;
        PictureBox store(&window, QStringLiteral("store"), {Qt::gray});
        PictureBox pane(&window, QStringLiteral("pane"), {Qt::black, false, Qt::black, true, true});
        pane.setGeometry(0, -45, 20000, 20000);
        store.setPicture(makePicture(QImage(300, 200, QImage::Format_RGB32)));
        pane.setPicture(store.picture());
        // The same object, not a copy of its pixels.
        QCOMPARE(pane.picture().get(), store.picture().get());
        QCOMPARE(pane.width(), 4500.f);
        QCOMPARE(pane.height(), 3000.f);
        QCOMPARE(pane.top(), -45.f);
        // No picture: the box keeps its size.
        pane.setPicture({});
        QCOMPARE(pane.width(), 4500.f);
    }

    void borderedBoxPlacesChildrenInsideItsBorder()
    {
        QWidget window;
        PictureBox frame(&window, QStringLiteral("frame"), {Qt::black, true});
        frame.setGeometry(0, 0, 1500, 1500);
        PictureBox child(inside(frame), QStringLiteral("child"), {Qt::gray});
        child.setGeometry(0, 0, 150, 150);
        QCOMPARE(child.widget()->mapTo(frame.widget(), QPoint(0, 0)), QPoint(1, 1));
    }

    void paneDrawsTheVisibleCropOfItsPicture()
    {
        QWidget window;
        window.resize(100, 100);
        PictureBox frame(&window, QStringLiteral("frame"), {Qt::black});
        frame.setGeometry(0, 0, 1500, 1500);
        PictureBox pane(inside(frame), QStringLiteral("pane"),
                        {Qt::darkGray, false, Qt::black, true, true});
        QImage image(400, 400, QImage::Format_RGB32);
        image.fill(Qt::blue);
        image.setPixel(250, 260, qRgb(255, 255, 0));
        pane.setPicture(makePicture(image));
        pane.setLeft(-200 * 15.f);
        pane.setTop(-200 * 15.f);
        const QImage shown = frame.widget()->grab().toImage();
        QCOMPARE(shown.pixel(50, 60), qRgb(255, 255, 0));
        QCOMPARE(shown.pixel(10, 10), qRgb(0, 0, 255));
    }

    void reducedCopyKeepsColoursWhereTheyWere()
    {
        QImage image(6000, 4000, QImage::Format_RGB32);
        image.fill(qRgb(200, 100, 50));
        for (int y = 0; y < 4000; ++y)
            for (int x = 3000; x < 6000; ++x)
                image.setPixel(x, y, qRgb(10, 20, 240));
        const QImage small = reducedCopy(image, QSize(300, 200));
        QCOMPARE(small.size(), QSize(300, 200));
        QCOMPARE(small.pixel(10, 100), qRgb(200, 100, 50));
        QCOMPARE(small.pixel(290, 100), qRgb(10, 20, 240));
        // Fine detail is averaged, not aliased to one of its values.
        QImage stripes(400, 400, QImage::Format_RGB32);
        for (int y = 0; y < 400; ++y)
            for (int x = 0; x < 400; ++x)
                stripes.setPixel(x, y, (x % 2) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        const QRgb grey = reducedCopy(stripes, QSize(100, 100)).pixel(50, 50);
        QVERIFY(qRed(grey) > 60 && qRed(grey) < 200);
    }

    void mouseEventsCarryTwipsAndClicksOnce()
    {
        QWidget window;
        window.resize(200, 200);
        PictureBox box(&window, QStringLiteral("box"), {Qt::gray});
        box.setGeometry(150, 150, 1500, 1500);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QList<QString> seen;
        MouseEvents& events = box.events();
        events.mouseDown = [&](int b, int s, float x, float y) {
            seen << QStringLiteral("down %1 %2 %3 %4").arg(b).arg(s).arg(x).arg(y);
        };
        events.mouseUp = [&](int b, int, float, float) { seen << QStringLiteral("up %1").arg(b); };
        events.click = [&] { seen << QStringLiteral("click"); };
        events.dblClick = [&] { seen << QStringLiteral("dblclick"); };

        QTest::mouseClick(box.widget(), Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
        QCOMPARE(seen, (QList<QString>{QStringLiteral("down 1 1 150 300"), QStringLiteral("up 1"),
                                       QStringLiteral("click")}));
        seen.clear();
        // The release that ends a double-click makes no second click.
        QTest::mouseDClick(box.widget(), Qt::LeftButton, {}, QPoint(10, 20));
        QTest::mouseRelease(box.widget(), Qt::LeftButton, {}, QPoint(10, 20));
        QCOMPARE(seen, (QList<QString>{QStringLiteral("dblclick"), QStringLiteral("up 1")}));
        seen.clear();
        // A right double-click is a press like any other.
        QTest::mouseDClick(box.widget(), Qt::RightButton, {}, QPoint(10, 20));
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen[0].startsWith(QStringLiteral("down 2")));
        seen.clear();
        // Released outside: an up, no click.
        QTest::mousePress(box.widget(), Qt::LeftButton, {}, QPoint(10, 20));
        QTest::mouseRelease(box.widget(), Qt::LeftButton, {}, QPoint(150, 150));
        QCOMPARE(seen.last(), QStringLiteral("up 1"));
    }

    void yieldForLetsOtherEventsRunAndEndsOnTime()
    {
        bool ran = false;
        QTimer::singleShot(20, [&] { ran = true; });
        QElapsedTimer clock;
        clock.start();
        yieldFor(0.1);
        QVERIFY(ran);
        QVERIFY(clock.elapsed() >= 100);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
