// The focus curve's axes, without a window: the percentages up the side,
// and the shot numbers along the bottom, from the counters of the files'
// names or the shots' places.
#include "focus/CurveInputs.h"

#include <QTest>

using namespace kelvaris;
using namespace kelvaris::test;

class TestCurveAxes : public QObject
{
    Q_OBJECT

private slots:
    void percentagesUpTheSide_data()
    {
        QTest::addColumn<double>("height");
        QTest::addColumn<QStringList>("texts");
        const QString percent = QStringLiteral("\u00A0%");
        // 98 pixels: every 50 %, two lines apart; 19: 0 and 100, nearer; 14: the best's alone.
        QTest::newRow("tall") << Height
                              << QStringList{QStringLiteral("0") + percent,
                                             QStringLiteral("50") + percent,
                                             QStringLiteral("100") + percent};
        QTest::newRow("taller") << 200.0
                                << QStringList{QStringLiteral("0") + percent,
                                               QStringLiteral("25") + percent,
                                               QStringLiteral("50") + percent,
                                               QStringLiteral("75") + percent,
                                               QStringLiteral("100") + percent};
        QTest::newRow("low") << 60.0
                             << QStringList{QStringLiteral("0") + percent,
                                            QStringLiteral("100") + percent};
        QTest::newRow("lowest") << 55.0 << QStringList{QStringLiteral("100") + percent};
    }
    void percentagesUpTheSide()
    {
        QFETCH(double, height);
        QFETCH(QStringList, texts);
        const CurvePlacement p = placeCurve(input({2, 4, 1}, Width, height));
        QStringList shown;
        for (const CurveLabel& label : p.percents)
            shown << label.text;
        QCOMPARE(shown, texts);
        // The 100 % line runs through the sharpest point, each label on its line,
        // left of the plot, none over another.
        const qsizetype hundred = texts.size() - 1;
        QVERIFY(near(p.percentLines[std::size_t(hundred)], p.points[1]->y()));
        for (std::size_t i = 0; i < p.percents.size(); ++i) {
            const QRectF& box = p.percents[i].box;
            QVERIFY(box.right() <= p.plot.left());
            QVERIFY(box.top() <= p.percentLines[i] && p.percentLines[i] <= box.bottom());
            if (i > 0)
                QVERIFY(box.bottom() <= p.percents[i - 1].box.top() + 1e-9);
        }
    }

    void nothingMeasuredHasNoPercentages()
    {
        const CurvePlacement p = placeCurve(input({0, 0}));
        QVERIFY(p.percents.empty());
        QCOMPARE(p.plot.left(), PlotLeft); // the plot does not jump when they come
    }

    void shotCounters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("counter"); // -1: none
        QTest::newRow("camera") << QStringLiteral("IMG_0042.JPG") << 42;
        QTest::newRow("no separator") << QStringLiteral("DSC01234.JPG") << 1234;
        QTest::newRow("the last run") << QStringLiteral("2024-05-01_0007.jpg") << 7;
        QTest::newRow("digits in the extension") << QStringLiteral("IMG_12.JP2") << 12;
        QTest::newRow("no extension") << QStringLiteral("shot15") << 15;
        QTest::newRow("none") << QStringLiteral("portrait.jpg") << -1;
        QTest::newRow("too long") << QStringLiteral("1234567890.jpg") << -1;
        QTest::newRow("nine digits") << QStringLiteral("123456789.jpg") << 123456789;
        QTest::newRow("a hidden name") << QStringLiteral(".42") << 42;
    }
    void shotCounters()
    {
        QFETCH(QString, name);
        QFETCH(int, counter);
        QCOMPARE(shotCounter(name).value_or(-1), counter);
    }

    void shotNumbersAreCountersOrPlaces_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<std::vector<int>>("numbers");
        QTest::newRow("counters") << QStringList{QStringLiteral("IMG_0041.JPG"),
                                                 QStringLiteral("IMG_0043.JPG")}
                                  << std::vector<int>{41, 43};
        QTest::newRow("one without")
            << QStringList{QStringLiteral("IMG_0041.JPG"), QStringLiteral("x.jpg")}
            << std::vector<int>{1, 2};
        QTest::newRow("two alike")
            << QStringList{QStringLiteral("A_0001.JPG"), QStringLiteral("B_0001.JPG")}
            << std::vector<int>{1, 2};
    }
    void shotNumbersAreCountersOrPlaces()
    {
        QFETCH(QStringList, names);
        QFETCH(std::vector<int>, numbers);
        std::vector<CurveShot> shots;
        for (const QString& name : names)
            shots.push_back({int(shots.size()) + 1, name, true, 1, true, 0});
        QCOMPARE(shotNumbers(shots), numbers);
    }

    void numbersAlongTheBottom_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("first"); // the first shot's counter
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("room for all")
            << 3 << 41
            << QStringList{QStringLiteral("41"), QStringLiteral("42"), QStringLiteral("43")};
        // 60 shots of 5 pixels: every fifth number, the newest always.
        QTest::newRow("crowded") << 60 << 1
                                 << QStringList{QStringLiteral("5"),  QStringLiteral("10"),
                                                QStringLiteral("15"), QStringLiteral("20"),
                                                QStringLiteral("25"), QStringLiteral("30"),
                                                QStringLiteral("35"), QStringLiteral("40"),
                                                QStringLiteral("45"), QStringLiteral("50"),
                                                QStringLiteral("55"), QStringLiteral("60")};
        // The newest, 62, crowds 60 out.
        QTest::newRow("the newest first")
            << 60 << 3
            << QStringList{QStringLiteral("5"),  QStringLiteral("10"), QStringLiteral("15"),
                           QStringLiteral("20"), QStringLiteral("25"), QStringLiteral("30"),
                           QStringLiteral("35"), QStringLiteral("40"), QStringLiteral("45"),
                           QStringLiteral("50"), QStringLiteral("55"), QStringLiteral("62")};
    }
    void numbersAlongTheBottom()
    {
        QFETCH(int, count);
        QFETCH(int, first);
        QFETCH(QStringList, expected);
        CurveInput in = input(std::vector<double>(std::size_t(count), 1.0));
        for (int i = 0; i < count; ++i)
            in.shots[std::size_t(i)] = shot(first + i, 1.0);
        const CurvePlacement p = placeCurve(in);
        QStringList texts;
        for (std::size_t i = 0; i < p.shotNumbers.size(); ++i) {
            const CurveLabel& label = p.shotNumbers[i];
            texts << label.text;
            // Under the plot, inside the widget, none over its neighbour, and
            // each names the shot above it.
            QVERIFY(label.box.top() >= p.plot.bottom() && label.box.bottom() <= Height);
            QVERIFY(label.box.left() >= 0 && label.box.right() <= Width);
            if (i > 0)
                QVERIFY(label.box.left() >= p.shotNumbers[i - 1].box.right() + curve::LabelGap);
            const int under = p.shotAt(QPointF(label.box.center().x(), p.plot.bottom() + 1));
            QCOMPARE(in.shots[std::size_t(under)].name,
                     QStringLiteral("IMG_%1.JPG").arg(label.text.toInt(), 4, 10, QLatin1Char('0')));
        }
        QCOMPARE(texts, expected);
    }
};

QTEST_GUILESS_MAIN(TestCurveAxes)
#include "tst_curveaxes.moc"
