// The focus curve's placement, without a window: which shot at which x,
// which figure at which y, the titles, the best focus's mark, the hit test,
// and a curve held still under the pointer.
#include "focus/CurveInputs.h"

#include <QTest>

using namespace kelvaris;
using namespace kelvaris::test;

class TestCurvePlacement : public QObject
{
    Q_OBJECT

private slots:
    void theWorkedExampleOfThePlot()
    {
        const CurvePlacement p = placeCurve(input({1, 2, 4}));
        QCOMPARE(p.plot, QRectF(PlotLeft, PlotTop, 300, PlotHeight));
        QCOMPARE(p.slotCount, 3);
        QCOMPARE(p.slotWidth, 100.0);
    }

    void whichShotAtWhichXAndWhichFigureAtWhichY_data()
    {
        QTest::addColumn<std::vector<double>>("sharpness");
        QTest::addColumn<int>("index");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        // Three slots of 100 pixels from x = 38; the sharpest at 100 %.
        QTest::newRow("first, weakest") << std::vector<double>{1, 2, 4} << 0 << 88.0 << yOf(1, 4);
        QTest::newRow("middle") << std::vector<double>{1, 2, 4} << 1 << 188.0 << yOf(2, 4);
        QTest::newRow("last, sharpest") << std::vector<double>{1, 2, 4} << 2 << 288.0 << yOf(4, 4);
        QTest::newRow("the sharpest first") << std::vector<double>{8, 2} << 0 << 113.0 << yOf(8, 8);
        QTest::newRow("one shot, centred") << std::vector<double>{3} << 0 << 188.0 << yOf(3, 3);
        QTest::newRow("nothing sharp: the axis")
            << std::vector<double>{0, 0} << 1 << 263.0 << PlotBottom;
    }
    void whichShotAtWhichXAndWhichFigureAtWhichY()
    {
        QFETCH(std::vector<double>, sharpness);
        QFETCH(int, index);
        QFETCH(double, x);
        QFETCH(double, y);
        const CurvePlacement p = placeCurve(input(sharpness));
        QVERIFY(p.points[std::size_t(index)].has_value());
        QCOMPARE(p.points[std::size_t(index)]->x(), x);
        QVERIFY2(near(p.points[std::size_t(index)]->y(), y),
                 qPrintable(QString::number(p.points[std::size_t(index)]->y())));
    }

    void sharperIsHigherAndTheScaleIsRelativeToTheBest()
    {
        // Sharper shots are higher up; half the best's sharpness is half-way
        // between the axis and the best, whatever the units.
        for (const double unit : {0.001, 1.0, 250.0}) {
            const CurvePlacement p = placeCurve(input({1 * unit, 4 * unit, 2 * unit}));
            QVERIFY(p.points[1]->y() < p.points[2]->y());
            QVERIFY(p.points[2]->y() < p.points[0]->y());
            QVERIFY(near(PlotBottom - p.points[2]->y(), (PlotBottom - p.points[1]->y()) / 2));
        }
    }

    void anUnjudgedShotAboveTheBestStaysOnThePlot()
    {
        // A region without enough detail in one shot may measure above the
        // best: the scale makes room for it, 100 % stays the best's.
        CurveInput in = input({2, 4, 6});
        in.shots[2].enoughDetail = false;
        in.best = 1;
        const CurvePlacement p = placeCurve(in);
        QCOMPARE(p.scale.hundred, 4.0);
        QVERIFY(near(p.points[2]->y(), PlotBottom - PlotHeight / curve::Headroom));
        QVERIFY(p.points[1]->y() > p.points[2]->y());
    }

    void titleAndLegendShareTheirLine_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("legend");
        QTest::addColumn<bool>("whole");
        const QString fullTitle = QStringLiteral("Netteté de la zone affichée, prise après prise");
        const QString shortTitle = QStringLiteral("Netteté de la zone affichée");
        const QString fullLegend = QStringLiteral("pointillés\u00A0: qualité (taille du fichier)");
        const QString shortLegend = QStringLiteral("pointillés\u00A0: qualité");
        // At 6 pixels a character: 276 + 8 + 240 pixels for both in full.
        QTest::newRow("wide") << 600.0 << fullTitle << fullLegend << true;
        QTest::newRow("just wide enough") << 532.0 << fullTitle << fullLegend << true;
        QTest::newRow("a shorter legend") << 531.0 << fullTitle << shortLegend << false;
        QTest::newRow("both shorter") << 300.0 << shortTitle << shortLegend << false;
        QTest::newRow("the word alone") << 150.0 << QStringLiteral("Netteté") << QString() << false;
        QTest::newRow("cut") << 40.0 << QStringLiteral("Netteté") << QString() << false;
    }
    void titleAndLegendShareTheirLine()
    {
        QFETCH(double, width);
        QFETCH(QString, title);
        QFETCH(QString, legend);
        QFETCH(bool, whole);
        const CurvePlacement p = placeCurve(input({1, 2}, width));
        QCOMPARE(p.title.text, title);
        QCOMPARE(p.legend.text, legend);
        QCOMPARE(p.whole, whole);
        // On one line above the plot, inside the widget, never over each other,
        // each as wide as its text or cut to its box.
        QVERIFY(p.title.box.left() >= 0 && p.title.box.right() <= width);
        QVERIFY(p.title.box.bottom() <= p.plot.top());
        QVERIFY(p.title.box.width() <= CharWidth * double(title.size()));
        if (!legend.isEmpty()) {
            QVERIFY(p.legend.box.right() <= width);
            QCOMPARE(p.legend.box.width(), CharWidth * double(legend.size()));
            QVERIFY(p.title.box.right() + curve::LabelGap <= p.legend.box.left());
        }
    }

    void theShotUnderAPoint_data()
    {
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<int>("shot");
        // Slots of 100 pixels from x = 38: the whole column counts.
        QTest::newRow("on the first point") << QPointF(88, yOf(1, 4)) << 0;
        QTest::newRow("high in the middle column") << QPointF(150, PlotTop) << 1;
        QTest::newRow("on the third's number") << QPointF(288, Height - 2) << 2;
        QTest::newRow("just left of the second") << QPointF(137.9, 100) << 0;
        QTest::newRow("just right of the first") << QPointF(138.1, 100) << 1;
        QTest::newRow("the title") << QPointF(88, 5) << -1;
        QTest::newRow("the percentages") << QPointF(20, 60) << -1;
        QTest::newRow("past the right edge") << QPointF(345, 60) << -1;
    }
    void theShotUnderAPoint()
    {
        QFETCH(QPointF, at);
        QFETCH(int, shot);
        QCOMPARE(placeCurve(input({1, 2, 4})).shotAt(at), shot);
    }

    void aHeldCurveKeepsItsPointsStill()
    {
        const CurveInput before = input({1, 2, 4});
        const CurvePlacement shown = placeCurve(before);

        // A sharper new shot comes, and an older one is brought in before the
        // others, while the pointer rests on the curve.
        CurveInput after = before;
        after.shots.push_back(shot(4, 8));
        after.shots.insert(after.shots.begin(), shot(9, 3));
        after.best = 4;
        after.hold = shown.hold();
        const CurvePlacement held = placeCurve(after);
        for (std::size_t i = 0; i < 3; ++i)
            QVERIFY(held.points[i + 1] == shown.points[i]);
        QVERIFY(!held.points[0] && !held.points[4]);
        // The new shot waits at the right edge, at its height on the held
        // scale (above it: at the top); the old one waits unseen.
        QVERIFY(held.waiting.has_value());
        QCOMPARE(held.waiting->x(), held.plot.right() + curve::RightEdge / 2);
        QCOMPARE(held.waiting->y(), held.plot.top());
        QCOMPARE(held.waitingCount, 1);
        QCOMPARE(held.shotAt(*held.waiting), -1);
        // The same point still aims at the same shot.
        QCOMPARE(held.shotAt(*shown.points[1]), 2);

        // Let go, the curve takes them in.
        after.hold.reset();
        const CurvePlacement free = placeCurve(after);
        QCOMPARE(free.slotCount, 5);
        QVERIFY(!free.waiting);
        QVERIFY(free.points[1]->x() != shown.points[0]->x());
    }

    void theBestFocusMark_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("x"); // -1: no mark
        QTest::newRow("on a shot") << 1.0 << 188.0;
        QTest::newRow("between, nearer the next") << 1.75 << 263.0;
        QTest::newRow("between, nearer the first") << 0.2 << 108.0;
        QTest::newRow("the last") << 3.0 << 388.0;
        QTest::newRow("unsupported") << -1.0 << -1.0;
        QTest::newRow("past the last") << 3.5 << -1.0;
    }
    void theBestFocusMark()
    {
        QFETCH(double, position);
        QFETCH(double, x);
        CurveInput in = input({1, 3, 4, 2}, 452); // four slots of 100 pixels
        in.bestPosition = position;
        const CurvePlacement p = placeCurve(in);
        QCOMPARE(p.bestMark.has_value(), x >= 0);
        if (!p.bestMark)
            return;
        QCOMPARE(p.bestMark->x(), x);
        QCOMPARE(p.bestMark->y(), p.plot.bottom());
        QVERIFY(p.onBestMark(*p.bestMark + QPointF(0, -3)));
        QVERIFY(!p.onBestMark(*p.bestMark + QPointF(20, 0)));
    }

    void noMarkBesideAWaitingShot()
    {
        CurveInput in = input({1, 3, 4});
        in.hold = placeCurve(in).hold();
        in.shots.push_back(shot(4, 2));
        in.bestPosition = 2.5;
        QVERIFY(!placeCurve(in).bestMark);
        in.bestPosition = 1.5;
        QVERIFY(placeCurve(in).bestMark);
    }

    void theCurrentShotsPercentage()
    {
        // Beside the current shot, how close it is to the sharpest.
        const CurvePlacement p = placeCurve(input({4, 2}));
        QCOMPARE(p.current.text, QStringLiteral("50\u00A0%"));
        QVERIFY(p.current.box.bottom() <= p.points[1]->y() - p.radius);
        QVERIFY(std::abs(p.current.box.center().x() - p.points[1]->x()) < 1e-9);
        // None when it is the sharpest.
        QVERIFY(placeCurve(input({2, 4})).current.text.isEmpty());
    }

    void anEmptyOrTinyCurveIsPlacedWithoutHarm()
    {
        const CurvePlacement empty = placeCurve(input({}));
        QCOMPARE(empty.slotCount, 0);
        QCOMPARE(empty.shotAt(QPointF(100, 60)), -1);
        const CurvePlacement tiny = placeCurve(input({1, 2, 3}, 10, 10));
        QVERIFY(tiny.plot.width() >= 1 && tiny.plot.height() >= 1);
        QCOMPARE(tiny.points.size(), std::size_t(3));
    }
};

QTEST_GUILESS_MAIN(TestCurvePlacement)
#include "tst_curveplacement.moc"
