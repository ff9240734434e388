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

    void cursorOnA4by3Shot()
    {
        // A 4000 x 3000 pixel shot on the same 3:2 overview, which stretches
        // it: across 0.075 overview twip per picture twip, down 1/15.
        const Box overview{6135, 45, 4500, 3000};
        const Box centred = cursorBox(overview, {3000, 3000, {-28500, -21000, 60000, 45000}});
        QCOMPARE(centred.width, 225.0f);  // 4500 * 3000 / 60000
        QCOMPARE(centred.height, 200.0f); // 3000 * 3000 / 45000
        QCOMPARE(centred.left, 8272.5f);  // 6135 + 30000 * 0.075 - 112.5
        QCOMPARE(centred.top, 1445.0f);   // 45 + 22500 / 15 - 100
        // The crop in the shot's bottom-right corner: the cursor fills the
        // overview's, rather than hang below it over the file name.
        const Box corner = cursorBox(overview, {3000, 3000, {-57000, -42000, 60000, 45000}});
        QCOMPARE(corner.left + corner.width, overview.left + overview.width);
        QCOMPARE(corner.top + corner.height, overview.top + overview.height);
    }

    // Whatever the shot's shape, the cursor covers the same share of the
    // overview as the crop does of the shot, in each direction.
    void cursorMarksTheCropsShare_data()
    {
        QTest::addColumn<QSize>("shot"); // pixels, at 15 twips a pixel
        QTest::addColumn<QPointF>("at"); // the crop's corner, as a share of the room it can move in
        const QPointF topLeft(0, 0), centre(0.5, 0.5), bottomRight(1, 1), offCentre(0.3, 0.8);
        const QList<std::pair<const char*, QSize>> shapes = {
            {"3:2", QSize(6000, 4000)},          {"4:3", QSize(4000, 3000)},
            {"1:1", QSize(3000, 3000)},          {"16:9", QSize(4800, 2700)},
            {"portrait 2:3", QSize(4000, 6000)}, {"portrait 3:4", QSize(3000, 4000)},
            {"2:1", QSize(4000, 2000)},          {"smaller than its frame", QSize(160, 120)},
        };
        for (const auto& [shape, size] : shapes) {
            for (const auto& [where, at] : {std::pair{"top-left", topLeft},
                                            {"centre", centre},
                                            {"bottom-right", bottomRight},
                                            {"off centre", offCentre}})
                QTest::addRow("%s, %s", shape, where) << size << at;
        }
    }
    void cursorMarksTheCropsShare()
    {
        QFETCH(QSize, shot);
        QFETCH(QPointF, at);
        const Box overview{6135, 45, 4500, 3000};
        const float frame = 3000;
        const float wp = shot.width() * 15.f;
        const float hp = shot.height() * 15.f;
        const float left = static_cast<float>(at.x() * (frame - wp));
        const float top = static_cast<float>(at.y() * (frame - hp));
        const Box c = cursorBox(overview, {frame, frame, {left, top, wp, hp}});
        // Shares of the overview against shares of the shot; the overview's
        // own corner is added back so that no comparison is made near zero.
        const auto onOverview = [](double share, float start, float side) {
            return static_cast<float>(start + share * side);
        };
        QCOMPARE(c.left, onOverview(-left / wp, overview.left, overview.width));
        QCOMPARE(c.top, onOverview(-top / hp, overview.top, overview.height));
        QCOMPARE(c.left + c.width, onOverview((frame - left) / wp, overview.left, overview.width));
        QCOMPARE(c.top + c.height, onOverview((frame - top) / hp, overview.top, overview.height));
    }

    void overviewPressAndCursorAgree_data()
    {
        QTest::addColumn<QSize>("shot");
        QTest::newRow("3:2") << QSize(6000, 4000);
        QTest::newRow("4:3") << QSize(4000, 3000);
        QTest::newRow("1:1") << QSize(3000, 3000);
        QTest::newRow("16:9") << QSize(4800, 2700);
        QTest::newRow("portrait 2:3") << QSize(4000, 6000);
        QTest::newRow("portrait 3:4") << QSize(3000, 4000);
    }
    void overviewPressAndCursorAgree()
    {
        // A press on the overview centres the pane on the pointed point; the
        // cursor placed afterwards is centred on that point, whatever the
        // shot's shape, wherever the pane is not held at the shot's edge.
        QFETCH(QSize, shot);
        const Box overview{6135, 45, 4500, 3000};
        const float frame = 3000;
        const float wp = shot.width() * 15.f;
        const float hp = shot.height() * 15.f;
        for (const QPointF& pointer :
             {QPointF(2250, 1500), QPointF(1000, 700), QPointF(3700, 2400), QPointF(1800, 1100)}) {
            const auto x = static_cast<float>(pointer.x());
            const auto y = static_cast<float>(pointer.y());
            const auto left = static_cast<float>(centredFromOverview(frame, wp, overview.width, x));
            const auto top = static_cast<float>(centredFromOverview(frame, hp, overview.height, y));
            const Box c = cursorBox(overview, {frame, frame, {left, top, wp, hp}});
            // Up to the rounding of the point and of the pane's place to whole
            // twips: one picture twip is well under one overview twip.
            QVERIFY2(qAbs(c.left + c.width / 2 - (overview.left + x)) <= 1,
                     qPrintable(QStringLiteral("across, at %1").arg(x)));
            QVERIFY2(qAbs(c.top + c.height / 2 - (overview.top + y)) <= 1,
                     qPrintable(QStringLiteral("down, at %1").arg(y)));
        }
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
        const double kx = 4551.0 / 20000;
        const double ky = 3034.0 / 20000;
        QCOMPARE(c.left, static_cast<float>((6203 + 1517 * kx) - c.width / 2.0));
        QCOMPARE(c.top, static_cast<float>((45 + (1517.0 + 45) * ky) - c.height / 2.0));
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
