// The focus instrument in the real window: the curve follows the crop, a
// click makes a shot the reference, Reset clears the session, and the panel
// keeps to the room the design leaves free.
#include "app/MainWindow.h"
#include "focus/CurveTexts.h"
#include "platform/CaptionLabel.h"
#include "support/FocusTestCase.h"

#include <QTest>

using namespace kelvaris;
using kelvaris::test::FocusTestCase;
using kelvaris::test::halves;
using kelvaris::test::inWindow;
using kelvaris::test::jpeg;

class TestInstrument : public FocusTestCase
{
    Q_OBJECT

    QStringList names() const
    {
        QStringList names;
        for (const SessionShot& shot : F->focus.session().shots())
            names << shot.name;
        return names;
    }

private slots:
    void init() { QVERIFY(openWatcher()); }
    void cleanup() { closeWatcher(); }

    void theCurveFollowsTheCropAndChoosesTheReference()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 3); // sharp on the left
        take(QStringLiteral("IMG_0002.JPG"), 3, 0); // sharp on the right
        QCOMPARE(F->focus.session().size(), 2);
        // The current pane shows the shot's top-left corner.
        QVERIFY(F->L_Meilleure.caption().contains(QStringLiteral("IMG_0001.JPG")));
        QVERIFY(F->P_Courbe.widget()->isVisible());

        // Dragging the current pane 300 pixels to the left, onto the right
        // half: the best changes.
        QWidget* picture = F->P_ImgLast.widget();
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(150, 100));
        QTest::mouseMove(picture, QPoint(-150, 100));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(150, 100));
        QCOMPARE(F->P_ImgLast.left(), -300.f * 15);
        QVERIFY(F->L_Meilleure.caption().contains(QStringLiteral("IMG_0002.JPG")));
        QCOMPARE(F->focus.curve().bestSharpness, 1);

        // A click on the first shot's point makes it the reference, at the
        // crop it is judged at.
        QTest::mouseClick(F->P_Courbe.widget(), Qt::LeftButton, {},
                          F->P_Courbe.pointOf(0).toPoint());
        // Read on a worker: it comes a moment later.
        QTRY_COMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(F->P_ImgRef.picture());
        QCOMPARE(F->P_ImgRef.picture()->size(), QSize(600, 300));
        QCOMPARE(F->P_ImgRef.left(), F->P_ImgLast.left());
        QCOMPARE(F->P_ImgRef.top(), F->P_ImgLast.top());
        QVERIFY(F->SH_CurseurRef.widget()->isVisible());
        QVERIFY(F->P_Courbe.toolTipOf(0).startsWith(QStringLiteral("IMG_0001.JPG")));
    }

    void aShotWhoseFileHasGoneGreysOut()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 0);
        take(QStringLiteral("IMG_0002.JPG"), 2, 2);
        QVERIFY(QFile::remove(file(QStringLiteral("IMG_0001.JPG"))));
        tick();
        QVERIFY(F->focus.session().shots()[0].gone);
        QVERIFY(F->P_Courbe.toolTipOf(0).contains(QStringLiteral("Fichier disparu")));
        QVERIFY(F->L_Meilleure.caption().contains(QStringLiteral("fichier disparu")));
        // Its point can no longer make it the reference.
        QTest::mouseClick(F->P_Courbe.widget(), Qt::LeftButton, {},
                          F->P_Courbe.pointOf(0).toPoint());
        QVERIFY(!F->focus.isLoadingReference());
        QCOMPARE(F->T_ImageReference.text(), QString());
    }

    void resetAndStartBeginASession()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 0);
        take(QStringLiteral("IMG_0002.JPG"), 2, 2);
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));
        QCOMPARE(F->focus.session().size(), 0);
        QCOMPARE(F->L_Meilleure.caption(), QString());
        take(QStringLiteral("IMG_0003.JPG"), 1, 1);
        QCOMPARE(F->focus.session().size(), 1);
        // Start: a new session, with the last shot of the directory, and the
        // others of the folder before it, in name order.
        start();
        QTRY_VERIFY(!F->focus.isMeasuring());
        QCOMPARE(F->focus.session().shots().back().name, QStringLiteral("IMG_0003.JPG"));
        QTRY_VERIFY_WITH_TIMEOUT(!F->focus.isFillingIn(), 60000);
        QCOMPARE(names(),
                 (QStringList{QStringLiteral("IMG_0001.JPG"), QStringLiteral("IMG_0002.JPG"),
                              QStringLiteral("IMG_0003.JPG")}));
    }

    void aReferenceIsReadAsideAndTheLastChoiceWins()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 3);
        take(QStringLiteral("IMG_0002.JPG"), 3, 0);
        // Two choices in a row: the second is the reference.
        F->focus.chooseReference(0);
        F->focus.chooseReference(1);
        QVERIFY(F->focus.isLoadingReference());
        QTRY_VERIFY(!F->focus.isLoadingReference());
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0002.JPG"));
        // Chosen, then Reset before it arrives: the session it belonged to
        // is gone, and so is the choice.
        F->focus.chooseReference(0);
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QTRY_VERIFY(!F->focus.isLoadingReference());
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0002.JPG"));
    }

    void aClickAfterAShotArrivedUnderAStillPointer()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 3, 3);
        take(QStringLiteral("IMG_0002.JPG"), 0, 0); // the peak
        take(QStringLiteral("IMG_0003.JPG"), 2, 2);
        // The photographer aims at the peak and presses; a shot arrives
        // before the button is released.
        QWidget* curve = F->P_Courbe.widget();
        const QPoint peak = F->P_Courbe.pointOf(1).toPoint();
        QTest::mouseMove(curve, peak);
        QTest::mousePress(curve, Qt::LeftButton, {}, peak);
        take(QStringLiteral("IMG_0004.JPG"), 1, 1);
        QCOMPARE(F->focus.session().size(), 4);
        QCOMPARE(F->P_Courbe.pointOf(1).toPoint(), peak);
        QTest::mouseRelease(curve, Qt::LeftButton, {}, peak);
        QTRY_COMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0002.JPG"));

        // The same with the pointer held still over the peak, then a click.
        take(QStringLiteral("IMG_0005.JPG"), 2, 2);
        QCOMPARE(F->P_Courbe.pointOf(1).toPoint(), peak);
        QTest::mouseClick(curve, Qt::LeftButton, {}, peak);
        QTRY_VERIFY(!F->focus.isLoadingReference());
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0002.JPG"));
        // Once the pointer leaves, the new shots take their places.
        QTest::mouseMove(F->P_ImgLast.widget(), QPoint(10, 10));
        QVERIFY(F->P_Courbe.pointOf(4).x() > 0);
    }

    void startBringsInTheFolderNewestFirst()
    {
        for (int i = 1; i <= 5; ++i)
            put(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')),
                jpeg(halves(600, 300, i % 3, i % 3)));
        // Room for the two newest besides Start's own.
        F->focus.backfill().maxShots = 2;
        start();
        QTRY_VERIFY_WITH_TIMEOUT(!F->focus.isFillingIn(), 60000);
        QTRY_VERIFY(!F->focus.isMeasuring());
        QCOMPARE(names(),
                 (QStringList{QStringLiteral("IMG_0003.JPG"), QStringLiteral("IMG_0004.JPG"),
                              QStringLiteral("IMG_0005.JPG")}));
        // Measured, judged and on the curve like the others.
        QCOMPARE(F->P_Courbe.placement().slotCount, 3);
        for (const CurvePoint& point : F->focus.curve().points)
            QVERIFY(point.measured);
        QVERIFY(F->focus.session().shots()[0].figure.toInt() > 0);
    }

    void resetWhileTheFolderComesIn()
    {
        const QByteArray shot = test::makeJpeg(1600, 1200, Qt::gray, Qt::white, 1200);
        for (int i = 1; i <= 20; ++i)
            put(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')), shot);
        F->watcher.indicatorPause = 0;
        start();
        // A shot of the folder measured and on its way: Reset now.
        QTRY_VERIFY_WITH_TIMEOUT(F->focus.backfill().isWorking(), 60000);
        F->focus.backfill().waitForWork();
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!F->focus.isFillingIn(), 60000);
        QCoreApplication::processEvents();
        QCOMPARE(F->focus.session().size(), 0);
    }

    void theEmptyCurveSaysWhatToDo()
    {
        QVERIFY(F->P_Courbe.emptyText().contains(QStringLiteral("après Start")));
        startRunning();
        put(QStringLiteral("IMG_0001.JPG"), jpeg(halves(600, 300, 0, 0)));
        QTRY_COMPARE(F->focus.session().size(), 1);
        // Reset while watching: the next shot draws the curve, no Start needed.
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QCOMPARE(F->focus.session().size(), 0);
        QCOMPARE(F->P_Courbe.emptyText(), emptyCurveText(true));
        QVERIFY(!F->P_Courbe.emptyText().contains(QStringLiteral("Start")));
        QTest::mouseClick(F->B_Stop.widget(), Qt::LeftButton);
        QCOMPARE(F->P_Courbe.emptyText(), emptyCurveText(false));
    }

    void everyTextFitsOrTellsItselfWhole_data()
    {
        QTest::addColumn<QSize>("client");
        // Under the view, at the design size and taller; to its right, in the
        // narrowest bands that hold the curve (about 200 pixels), and a wide one.
        QTest::newRow("design size") << QSize(726, 517);
        QTest::newRow("wide and low") << QSize(1400, 420);
        QTest::newRow("narrowest right band") << QSize(1026, 330);
        QTest::newRow("narrow right band") << QSize(1276, 400);
        QTest::newRow("wide right band") << QSize(1900, 380);
        QTest::newRow("tall") << QSize(800, 900);
    }
    void everyTextFitsOrTellsItselfWhole()
    {
        QFETCH(QSize, client);
        start();
        const QString name = QStringLiteral("Séance du soir au bord du lac, pose longue %1.JPG");
        take(name.arg(1), 0, 0);
        take(name.arg(2), 2, 2);
        F->resize(client);
        QTRY_COMPARE(F->size(), client);
        QVERIFY(F->P_Courbe.widget()->isVisible());

        // The title and the legend on their line, side by side, each whole or
        // cut to its box; the whole of both on hovering.
        const CurvePlacement& p = F->P_Courbe.placement();
        const QRectF curve(QPointF(0, 0), F->P_Courbe.widget()->size());
        const QFontMetricsF metrics(F->P_Courbe.widget()->font());
        QVERIFY(curve.contains(p.title.box) && curve.contains(p.legend.box));
        QVERIFY(!p.title.box.intersects(p.legend.box));
        QVERIFY(metrics.horizontalAdvance(p.legend.text) <= p.legend.box.width() + 0.5);
        if (metrics.horizontalAdvance(p.title.text) > p.title.box.width() + 0.5 || !p.whole) {
            QVERIFY(curveToolTip().contains(curveTitles().front()));
            QVERIFY(curveToolTip().contains(curveLegends().front()));
        }
        for (const CurveLabel& label : p.percents)
            QVERIFY(label.box.right() <= p.plot.left() && curve.contains(label.box));

        // The best shot's line: whole, or cut with its whole text on hovering.
        const auto* best = static_cast<const CaptionLabel*>(F->L_Meilleure.widget());
        QVERIFY(F->L_Meilleure.caption().contains(name.arg(1)));
        const bool fits =
            best->fontMetrics().horizontalAdvance(best->text()) <= best->contentsRect().width();
        QCOMPARE(best->isCut(), !fits);
        if (!fits)
            QCOMPARE(best->toolTip(), F->L_Meilleure.caption());
        if (client == QSize(1026, 330))
            QVERIFY(best->isCut()); // the case the line was lost in
    }

    void thePanelKeepsToTheRoomLeftFree_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("curveShown");
        QTest::newRow("design size") << QSize(726, 517) << true;
        QTest::newRow("tall") << QSize(800, 900) << true;
        QTest::newRow("wide and low") << QSize(1400, 420) << true;
        QTest::newRow("too low") << QSize(726, 330) << false;
    }
    void thePanelKeepsToTheRoomLeftFree()
    {
        QFETCH(QSize, client);
        QFETCH(bool, curveShown);
        F->resize(client);
        QTRY_COMPARE(F->size(), client);
        QCOMPARE(F->P_Courbe.widget()->isVisible(), curveShown);
        if (!F->P_Instrument.widget()->isVisible())
            return;
        const QRect panel = inWindow(F->P_Instrument, F);
        QVERIFY(F->rect().contains(panel));
        for (const Control* design : {static_cast<const Control*>(&F->P_Repertoire),
                                      static_cast<const Control*>(&F->P_Commandes),
                                      static_cast<const Control*>(&F->P_Fond)})
            QVERIFY2(!panel.intersects(inWindow(*design, F)), qPrintable(design->name()));
    }
};

QTEST_MAIN(TestInstrument)
#include "tst_instrument.moc"
