// The arithmetic of the crop cursors and of the pane gestures.
#include "platform/Twips.h"
#include "view/CursorGeometry.h"
#include "view/Gestures.h"

#include <QTest>
#include <stdexcept>

using namespace kelvaris;

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void cursorWorkedExample()
    {
        // A 3000 x 2000 pixel shot at 15 twips per pixel, centred in a
        // 3000-twip pane; the overview 4500 x 3000 at 6135, 45.
        const Box overview{6135, 45, 4500, 3000};
        const Box c = cursorBox(overview, {3000, 3000, {-21000, -13500, 45000, 30000}});
        QCOMPARE(c.width, 300.0f);
        QCOMPARE(c.height, 300.0f);
        QCOMPARE(c.left, 8235.0f);
        QCOMPARE(c.top, 1395.0f);
        // Centred on the overview's centre, as the pane shows the shot's centre.
        QCOMPARE(c.left + c.width / 2, overview.left + overview.width / 2);
    }

    void cursorScalesBothAxesByWidth()
    {
        // A 2:1 shot on a 3:2 overview: the vertical position uses the width
        // ratio, the height the height ratio.
        const Box c = cursorBox({0, 0, 4500, 3000}, {3000, 3000, {0, 0, 60000, 30000}});
        QCOMPARE(c.width, 225.0f);  // 4500 * 3000 / 60000
        QCOMPARE(c.height, 300.0f); // 3000 * 3000 / 30000
        QCOMPARE(c.left, 112.5f - 112.5f);
        QCOMPARE(c.top, static_cast<float>(1500 * 0.075 - 150)); // cy = 1500 * k
    }

    void cursorOfSmallPictureReachesPastOverview()
    {
        // A picture smaller than its frame: the cursor is larger than the
        // overview and is neither clamped nor hidden.
        const Box c = cursorBox({100, 100, 1500, 1000}, {3000, 3000, {500, 500, 1500, 1000}});
        QVERIFY(c.width > 1500);
        QVERIFY(c.height > 1000);
        QVERIFY(c.left < 100);
    }

    void cursorKeepsHalfTwips()
    {
        // Sums are formed in double and stored as floats without rounding.
        const Box c = cursorBox({6203, 45, 4551, 3034}, {3034, 3034, {0, -45, 20000, 20000}});
        QCOMPARE(c.width, static_cast<float>(4551.0 * 3034 / 20000));
        const double k = 4551.0 / 20000;
        QCOMPARE(c.left, static_cast<float>((6203 + 1517 * k) - c.width / 2.0));
        QCOMPARE(c.top, static_cast<float>((45 + (1517.0 + 45) * k) - c.height / 2.0));
    }

    void visibleCropInPicturePixels()
    {
        // The worked example's pane shows the middle 200 x 200 pixels of the shot.
        const PaneGeometry centred{3000, 3000, {-21000, -13500, 45000, 30000}};
        QCOMPARE(visibleCrop(centred, QSize(3000, 2000)), QRectF(1400, 900, 200, 200));
        // At twice the scale (one device pixel per picture pixel on a dense
        // screen), the same twips hold twice the pixels.
        const PaneGeometry dense{3000, 3000, {-10500, -6750, 22500, 15000}};
        QCOMPARE(visibleCrop(dense, QSize(3000, 2000)), QRectF(1400, 900, 400, 400));
        // A crop past the shot's edge keeps only what lies on the shot.
        const PaneGeometry offEdge{3000, 3000, {1500, -45, 45000, 30000}};
        QCOMPARE(visibleCrop(offEdge, QSize(3000, 2000)), QRectF(0, 3, 100, 200));
        const PaneGeometry away{3000, 3000, {6000, 0, 45000, 30000}};
        QVERIFY(visibleCrop(away, QSize(3000, 2000)).isEmpty());
        QVERIFY(visibleCrop(centred, QSize()).isEmpty());
    }

    void roundingIsHalfToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("22447.5") << 22447.5 << 22448;
        QTest::newRow("22446.5") << 22446.5 << 22446;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
    }
    void roundingIsHalfToEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(toInt32(value), expected);
    }

    void conversionsThatCannotFitAreErrors()
    {
        QCOMPARE(toInt16(32767.4), std::int16_t(32767));
        QVERIFY_THROWS_EXCEPTION(std::range_error, toInt16(32767.5));
        QVERIFY_THROWS_EXCEPTION(std::range_error, toInt16(-32768.6));
        QVERIFY_THROWS_EXCEPTION(std::range_error, toInt32(3e9));
    }

    void dragKeepsGrabbedPointUnderPointer()
    {
        // Grabbed at 700 in the picture, the pointer now at 750 in the
        // picture: the picture moves 50 along.
        QCOMPARE(dragged(-1000, 750, 700), -950.0f);
        QCOMPARE(dragged(-1000, 650.5f, 700), -1049.5f);
        // No clamping: a drag may carry the picture out of its frame.
        QCOMPARE(dragged(2000, 10000, 10), 11990.0f);
    }

    void doubleClickWorkedExample()
    {
        // Grabbed at 3000, 2000 in a picture at -21000, -13500 in a 2895 frame.
        const float left = recentred(2895, -21000, 3000);
        const float top = recentred(2895, -13500, 2000);
        QCOMPARE(left, -1552.0f);
        QCOMPARE(top, -552.0f);
        // The grabbed point now lies at 1448, 1448 in the frame.
        QCOMPARE(left + 3000, 1448.0f);
        QCOMPARE(top + 2000, 1448.0f);
    }

    void overviewCentre_data()
    {
        QTest::addColumn<float>("frame");
        QTest::addColumn<float>("picture");
        QTest::addColumn<float>("overview");
        QTest::addColumn<float>("pointer");
        QTest::addColumn<int>("expected");
        // A 45000-twip shot in a 3000 frame, on a 4500 overview.
        QTest::newRow("centre") << 3000.f << 45000.f << 4500.f << 2250.f << (1500 - 22500);
        QTest::newRow("start clamps to 0") << 3000.f << 45000.f << 4500.f << 0.f << 0;
        QTest::newRow("end clamps to the far edge")
            << 3000.f << 45000.f << 4500.f << 4500.f << (3000 - 45000);
        QTest::newRow("past the end") << 3000.f << 45000.f << 4500.f << 9000.f << (3000 - 45000);
        QTest::newRow("before the start") << 3000.f << 45000.f << 4500.f << -300.f << 0;
        // A shot smaller than the frame sits at the far edge wherever pressed.
        QTest::newRow("small, start") << 3000.f << 1800.f << 4500.f << 0.f << 1200;
        QTest::newRow("small, centre") << 3000.f << 1800.f << 4500.f << 2250.f << 1200;
        QTest::newRow("small, end") << 3000.f << 1800.f << 4500.f << 4500.f << 1200;
        // Rounding of the pointed point: 45000 * 1 / 4500 = 10; 1500 - 10.
        QTest::newRow("one twip in") << 3000.f << 45000.f << 4500.f << 1.f << 0;
        QTest::newRow("half way to centre") << 3000.f << 45000.f << 4500.f << 1125.f << -9750;
    }
    void overviewCentre()
    {
        QFETCH(float, frame);
        QFETCH(float, picture);
        QFETCH(float, overview);
        QFETCH(float, pointer);
        QFETCH(int, expected);
        QCOMPARE(centredFromOverview(frame, picture, overview, pointer), expected);
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
