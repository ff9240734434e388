// The arrangement of the main window for a given size.
#include "app/Layout.h"

#include <QTest>
#include <stdexcept>

using namespace kelvaris;

namespace {

LayoutInput window(float innerWidth, float innerHeight)
{
    LayoutInput in;
    // Outer size with a modest frame; only the guard reads it.
    in.outerWidth = innerWidth + 120;
    in.outerHeight = innerHeight + 525;
    in.innerWidth = innerWidth;
    in.innerHeight = innerHeight;
    return in;
}

} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void designSizeWorkedExample()
    {
        const auto r = arrange(window(10890, 7755));
        QVERIFY(r);
        QCOMPARE(r->S, 3034);
        QCOMPARE(r->repertoireWidth, 6645.f);
        QCOMPARE(r->repertoireBoxWidth, 3705.f);
        QCOMPARE(r->commandesLeft, 6735.f);
        QCOMPARE(r->repertoireButtonLeft, 6180.f);
        QCOMPARE(r->fondTop, 555.f);
        QCOMPARE(r->fondWidth, 10799.f);
        QCOMPARE(r->fondHeight, 3949.f);
        QCOMPARE(r->lastPaneLeft, 3124.f);
        QCOMPARE(r->overviewLeft, 6203.f);
        QCOMPARE(r->overviewWidth, 4551.f);
        QCOMPARE(r->stripTop, 3124.f);
        QCOMPARE(r->imagesWidth, 6113.f);
        QCOMPARE(r->selectLeft, 2734.f);
        QCOMPARE(r->referenceBoxWidth, 2644.f);
        QCOMPARE(r->currentBoxLeft, 3424.f);
        QCOMPARE(r->nbImgLeft, 3726.f);
        QCOMPARE(r->nbImgLabelLeft, 2541.f);
        QCOMPARE(r->fileNameWidth, 2451.f);
    }

    void guard_data()
    {
        QTest::addColumn<float>("outerWidth");
        QTest::addColumn<float>("outerHeight");
        QTest::addColumn<bool>("laidOut");
        QTest::newRow("exactly the minimum") << 10740.f << 4425.f << true;
        QTest::newRow("a hair too narrow") << 10739.99f << 4425.f << false;
        QTest::newRow("a hair too low") << 10740.f << 4424.99f << false;
        QTest::newRow("minimised") << 2400.f << 450.f << false;
    }
    void guard()
    {
        QFETCH(float, outerWidth);
        QFETCH(float, outerHeight);
        QFETCH(bool, laidOut);
        LayoutInput in = window(10620, 3900);
        in.outerWidth = outerWidth;
        in.outerHeight = outerHeight;
        QCOMPARE(arrange(in).has_value(), laidOut);
    }

    void wideLowWindowIsLimitedByHeight()
    {
        const auto r = arrange(window(24000, 6000));
        QVERIFY(r);
        // b = 6000 - 465 - 135 - 780 - 135
        QCOMPARE(r->S, 4485);
        QVERIFY(r->fondWidth < 24000 - 90);
        // The top bar still spans the full width.
        QCOMPARE(r->commandesLeft + 4110 + 45, 24000.f);
        // The view ends 45 above the bottom edge.
        QCOMPARE(r->fondTop + r->fondHeight + 45, 6000.f);
    }

    void narrowTallWindowIsLimitedByWidth()
    {
        const auto r = arrange(window(10890, 15000));
        QVERIFY(r);
        QCOMPARE(r->S, 3034);
        // The view ends 45 inside the right edge, up to the rounding of S.
        QVERIFY(qAbs(45 + r->fondWidth + 45 - 10890) < 3.5 * 0.5 + 0.01);
        QVERIFY(r->fondTop + r->fondHeight < 15000 - 45);
    }

    void panesAreSquareAndOverviewIsThreeToTwo()
    {
        for (float w : {10800.f, 12345.f, 20000.f, 31000.f}) {
            for (float h : {4000.f, 7777.f, 12000.f}) {
                const auto r = arrange(window(w, h));
                QVERIFY(r);
                QCOMPARE(double(r->overviewWidth), r->S * 1.5);
                QCOMPARE(r->overviewLeft, float(2 * r->S + 135));
            }
        }
    }

    void halvesOfTheWidthBudgetRoundToEven()
    {
        // a = (W - 270) * 2/7 = 3034.5 exactly when W - 270 = 10620.75.
        const auto r = arrange(window(10890.75f, 9000));
        QVERIFY(r);
        QCOMPARE(r->S, 3034);
    }

    void hugeWindowClampsThePaneSide()
    {
        const auto r = arrange(window(200000, 200000));
        QVERIFY(r);
        QCOMPARE(r->S, 32767);
    }

    void minOfChoosesAndRounds()
    {
        QCOMPARE(MinOf(3034.2857, 6240.f), std::int16_t(3034));
        QCOMPARE(MinOf(5000.0, 2500.5f), std::int16_t(2500));
        QCOMPARE(MinOf(2501.5, 2501.5f), std::int16_t(2502));
        QVERIFY_THROWS_EXCEPTION(std::range_error, MinOf(40000.0, 50000.f));
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
