// Where the focus instrument goes, at every window size.
#include "app/InstrumentLayout.h"
#include "app/Layout.h"

#include <QTest>

using namespace kelvaris;

namespace {

Box fondFor(float width, float height)
{
    LayoutInput in;
    in.outerWidth = width + 120;
    in.outerHeight = height + 525;
    in.innerWidth = width;
    in.innerHeight = height;
    const auto r = arrange(in);
    return r ? Box{45, r->fondTop, r->fondWidth, r->fondHeight} : Box{};
}

bool overlaps(const Box& a, const Box& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

} // namespace

Q_DECLARE_METATYPE(kelvaris::Box)

class TestInstrumentLayout : public QObject
{
    Q_OBJECT

private slots:
    void designSizeTakesTheBandUnderTheView()
    {
        const InstrumentArrangement r = arrangeInstrument({10890, 7755, fondFor(10890, 7755)});
        QVERIFY(r.visible && r.curveVisible && !r.noticeVisible);
        // P_Fond ends at 555 + 3949; the instrument starts 45 below it.
        QCOMPARE(r.panel.left, 45.f);
        QCOMPARE(r.panel.top, 4549.f);
        QCOMPARE(r.panel.width, 10800.f);
        QCOMPARE(r.panel.height, 3161.f);
        QCOMPARE(r.curve.top, 0.f);
        QCOMPARE(r.curve.top + r.curve.height + instrument::Margin, r.best.top);
        // The switches' line closes the panel, under the best shot's.
        QCOMPARE(r.best.top + r.best.height + instrument::Margin, r.mapToggle.top);
        QCOMPARE(r.mapToggle.top + r.mapToggle.height, r.panel.height);
        QCOMPARE(r.peakingToggle.top, r.mapToggle.top);
        QVERIFY(!r.stackVisible);
    }

    void theShortlistTakesALineOfTheCurveWhileTheMapIsShown()
    {
        const Box fond = fondFor(10890, 7755);
        const InstrumentArrangement off = arrangeInstrument({10890, 7755, fond});
        const InstrumentArrangement on = arrangeInstrument({10890, 7755, fond, false, true});
        QVERIFY(on.curveVisible && on.stackVisible);
        QCOMPARE(on.panel.top, off.panel.top);
        QCOMPARE(on.panel.height, off.panel.height);
        QCOMPARE(on.stack.top + on.stack.height, on.panel.height);
        QCOMPARE(on.mapToggle.top + on.mapToggle.height + instrument::Margin, on.stack.top);
        QCOMPARE(on.curve.height, off.curve.height - instrument::LineHeight - instrument::Margin);
        // The switches side by side, none past the panel.
        const Box row[] = {on.mapToggle, on.peakingToggle, on.stackScope};
        for (int i = 0; i + 1 < 3; ++i)
            QVERIFY(row[i].left + row[i].width < row[i + 1].left);
        QVERIFY(on.stackScope.left + on.stackScope.width <= on.panel.width);

        // Room for the curve's least (1860 twips) but not for the shortlist's
        // line as well: the curve stays, without it.
        const float low = fond.top + fond.height + 2 * instrument::Margin + 2000;
        const InstrumentArrangement cramped = arrangeInstrument({10890, low, fond, false, true});
        QVERIFY(cramped.curveVisible && !cramped.stackVisible);
        QCOMPARE(cramped.mapToggle.top + cramped.mapToggle.height, cramped.panel.height);
    }

    void aNoticeTakesTheFirstLine()
    {
        const InstrumentArrangement r =
            arrangeInstrument({10890, 7755, fondFor(10890, 7755), true});
        QVERIFY(r.noticeVisible && r.curveVisible);
        QCOMPARE(r.notice.top, 0.f);
        QCOMPARE(r.curve.top, instrument::LineHeight + instrument::Margin);
        QVERIFY(r.curve.height >= instrument::MinCurveHeight);
    }

    void aWideLowWindowUsesTheBandToTheRight()
    {
        const Box fond = fondFor(24000, 6000);
        const InstrumentArrangement r = arrangeInstrument({24000, 6000, fond});
        QVERIFY(r.visible && r.curveVisible);
        QCOMPARE(r.panel.left, fond.left + fond.width + 45);
        QCOMPARE(r.panel.top, fond.top);
        QCOMPARE(r.panel.left + r.panel.width, 24000.f - 45);
    }

    // The choice of band, for views that leave room on both sides (today's
    // layout never does, but the choice must not rest on that): the whole
    // instrument where it fits, under the view first; else the notice alone,
    // under the view first.
    void underTheViewFirst_data()
    {
        QTest::addColumn<Box>("fond");
        QTest::addColumn<bool>("notice");
        QTest::addColumn<bool>("under");
        QTest::addColumn<bool>("curve");
        // In a 24000 x 12000 window.
        const Box roomBelowAndRight{45, 555, 12000, 6000};
        const Box lowRoomBelow{45, 555, 12000, 10800};
        const Box narrowRoomRight{45, 555, 21000, 6000};
        const Box littleRoomAnywhere{45, 555, 21000, 10800};
        QTest::newRow("both hold it all") << roomBelowAndRight << true << true << true;
        QTest::newRow("both hold it all, no notice") << roomBelowAndRight << false << true << true;
        QTest::newRow("only the right holds it all") << lowRoomBelow << true << false << true;
        QTest::newRow("only the band under holds it all")
            << narrowRoomRight << true << true << true;
        QTest::newRow("the notice alone, under") << littleRoomAnywhere << true << true << false;
    }
    void underTheViewFirst()
    {
        QFETCH(Box, fond);
        QFETCH(bool, notice);
        QFETCH(bool, under);
        QFETCH(bool, curve);
        const InstrumentArrangement r = arrangeInstrument({24000, 12000, fond, notice});
        QVERIFY(r.visible);
        QCOMPARE(r.curveVisible, curve);
        if (under) {
            QCOMPARE(r.panel.top, fond.top + fond.height + 45);
            QCOMPARE(r.panel.left, 45.f);
        } else {
            QCOMPARE(r.panel.top, fond.top);
            QCOMPARE(r.panel.left, fond.left + fond.width + 45);
        }
    }

    void tooLittleRoomShowsLessThenNothing()
    {
        // Just too low for the curve under the view, too narrow at its right.
        const Box fond = fondFor(10890, 7755);
        const float low = fond.top + fond.height + 45 + 1500;
        InstrumentArrangement r = arrangeInstrument({10890, low, fond, true});
        QVERIFY(r.visible && r.noticeVisible && !r.curveVisible);
        r = arrangeInstrument({10890, low, fond, false});
        QVERIFY(!r.visible);
        r = arrangeInstrument({10890, fond.top + fond.height + 200, fond, true});
        QVERIFY(!r.visible);
    }

    void neverOverADesignControl()
    {
        for (float width = 10000; width <= 40000; width += 730) {
            for (float height = 4000; height <= 24000; height += 410) {
                const Box fond = fondFor(width, height);
                if (fond.width == 0)
                    continue; // below the layout's guard: nothing was laid out
                for (const bool notice : {false, true}) {
                    const InstrumentArrangement r =
                        arrangeInstrument({width, height, fond, notice});
                    const InstrumentArrangement withStack =
                        arrangeInstrument({width, height, fond, notice, true});
                    QVERIFY(!withStack.visible || !overlaps(withStack.panel, fond));
                    if (withStack.curveVisible)
                        QVERIFY(withStack.curve.height >= instrument::MinCurveHeight);
                    if (!r.visible)
                        continue;
                    const Box topBar{0, 0, width, 45 + 465};
                    QVERIFY2(!overlaps(r.panel, fond) && !overlaps(r.panel, topBar),
                             qPrintable(QStringLiteral("%1 x %2").arg(width).arg(height)));
                    QVERIFY(r.panel.left >= 45 && r.panel.top >= 45);
                    QVERIFY(r.panel.left + r.panel.width <= width - 45);
                    QVERIFY(r.panel.top + r.panel.height <= height - 45);
                    if (r.curveVisible)
                        QVERIFY(r.curve.height >= instrument::MinCurveHeight);
                    QVERIFY(!r.stackVisible);
                }
            }
        }
    }
};

QTEST_MAIN(TestInstrumentLayout)
#include "tst_instrumentlayout.moc"
