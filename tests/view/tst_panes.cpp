// The mouse gestures of the comparison view, driven through the real widgets.
#include "app/MainWindow.h"
#include "support/WindowFixture.h"

#include <QTest>

using namespace kelvaris;
using kelvaris::test::ProgramFixture;
using kelvaris::test::WindowTestCase;

namespace {

// A shot of `width` x `height` pixels, as the watcher would have loaded it.
Picture shot(int width, int height, QColor colour = Qt::darkCyan)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return makePicture(std::move(image));
}

// Twips to the nearest pixel of a widget, at 15 twips per pixel.
QPoint px(double x, double y)
{
    return QPoint(qRound(x / 15), qRound(y / 15));
}

} // namespace

class TestPanes : public WindowTestCase
{
    Q_OBJECT

    void loadCurrent(const Picture& picture, const QString& name = QStringLiteral("IMG_0001.JPG"))
    {
        F->I_ImgLast.setPicture(picture);
        F->P_ImgLast.setPicture(picture);
        F->T_ImageCourante.setText(name);
        F->panes.LastPaneDirty = true;
        F->panes.RenderPanes();
    }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void dragKeepsTheGrabbedPointUnderThePointer()
    {
        loadCurrent(shot(3000, 2000));
        F->P_ImgLast.setLeft(-21000);
        F->P_ImgLast.setTop(-13500);
        QWidget* picture = F->P_ImgLast.widget();
        // Grab the picture's point 21600, 14100 (the frame's 600, 600).
        QTest::mousePress(picture, Qt::LeftButton, {}, px(21600, 14100));
        QCOMPARE(F->gestures.LastGrabX, 21600);
        QTest::mouseMove(picture, px(21600 - 3000, 14100 + 1500));
        QCOMPARE(F->P_ImgLast.left(), -24000.f);
        QCOMPARE(F->P_ImgLast.top(), -12000.f);
        // The grabbed point lies under the pointer again: 600 - 3000 in the frame.
        QCOMPARE(F->P_ImgLast.left() + 21600, 600.f - 3000);
        QVERIFY(F->SH_CurseurLast.widget()->isVisible());
        QTest::mouseRelease(picture, Qt::LeftButton, {}, px(18600, 15600));
        QVERIFY(!F->gestures.LastDragging);
        // Moves after the release pan nothing.
        QTest::mouseMove(picture, px(100, 100));
        QCOMPARE(F->P_ImgLast.left(), -24000.f);
    }

    void doubleClickBringsTheGrabbedPointToTheCentre()
    {
        loadCurrent(shot(3000, 2000));
        F->P_BaseLast.setWidth(2895);
        F->P_BaseLast.setHeight(2895);
        F->P_ImgLast.setLeft(-21000);
        F->P_ImgLast.setTop(-13500);
        // A real double-click: press, release, then the double-click event.
        const QPoint point = px(21000 + 3000, 13500 + 1995);
        QTest::mouseClick(F->P_ImgLast.widget(), Qt::LeftButton, {}, point);
        QTest::mouseDClick(F->P_ImgLast.widget(), Qt::LeftButton, {}, point);
        // dx = 22447.5 -> 22448, dy = 14947.5 -> 14948.
        QCOMPARE(F->P_ImgLast.left(), float(-21000 + 22448 - 24000));
        QCOMPARE(F->P_ImgLast.top(), float(-13500 + 14948 - 15495));
    }

    void referencePaneDragsOnItsOwn()
    {
        const Picture reference = shot(2000, 2000);
        F->P_ImgRef.setPicture(reference);
        F->P_ImgRef.setLeft(-1000);
        QTest::mousePress(F->P_ImgRef.widget(), Qt::LeftButton, {}, px(1500, 1500));
        QTest::mouseMove(F->P_ImgRef.widget(), px(1800, 1200));
        QCOMPARE(F->P_ImgRef.left(), -700.f);
        QCOMPARE(F->P_ImgLast.left(), 0.f);
        // The right button does nothing on the reference pane.
        QTest::mouseRelease(F->P_ImgRef.widget(), Qt::LeftButton, {}, px(1800, 1200));
        QTest::mousePress(F->P_ImgRef.widget(), Qt::RightButton, {}, px(10, 10));
        QTest::mouseMove(F->P_ImgRef.widget(), px(500, 500));
        QCOMPARE(F->P_ImgRef.left(), -700.f);
    }

    void overviewCentresTheCurrentPane_data()
    {
        QTest::addColumn<int>("shotWidth");
        QTest::addColumn<int>("shotHeight");
        QTest::addColumn<QPointF>("at");       // fraction of the overview
        QTest::addColumn<QPointF>("expected"); // -1 means the far edge
        QTest::newRow("large, centre") << 3000 << 2000 << QPointF(0.5, 0.5) << QPointF(2, 2);
        QTest::newRow("large, top-left") << 3000 << 2000 << QPointF(0, 0) << QPointF(0, 0);
        QTest::newRow("large, bottom-right") << 3000 << 2000 << QPointF(1, 1) << QPointF(-1, -1);
        QTest::newRow("small, anywhere") << 120 << 80 << QPointF(0.3, 0.6) << QPointF(-1, -1);
    }
    void overviewCentresTheCurrentPane()
    {
        QFETCH(int, shotWidth);
        QFETCH(int, shotHeight);
        QFETCH(QPointF, at);
        QFETCH(QPointF, expected);
        loadCurrent(shot(shotWidth, shotHeight));
        QWidget* overview = F->I_ImgLast.widget();
        // (QTest takes the point 0, 0 for the widget's centre: start at 1.)
        const QPoint point(qBound(1, int(at.x() * overview->width()), overview->width() - 1),
                           qBound(1, int(at.y() * overview->height()), overview->height() - 1));
        QTest::mousePress(overview, Qt::LeftButton, {}, point);
        QVERIFY(!F->SH_CurseurLast.widget()->isVisible());
        const float frame = F->P_BaseLast.width();
        const float farLeft = frame - F->P_ImgLast.width();
        const float farTop = F->P_BaseLast.height() - F->P_ImgLast.height();
        auto check = [](float actual, double wanted, float far, float frameSide, float picSide,
                        float pointer, float overviewSide) {
            if (wanted == -1)
                return actual == far;
            if (wanted == 0)
                return actual == 0;
            // Centre: the pointed point of the shot lies at the frame's centre.
            const double point = double(picSide) * pointer / overviewSide;
            return qAbs(actual - (frameSide / 2 - point)) <= 1;
        };
        QVERIFY(check(F->P_ImgLast.left(), expected.x(), farLeft, frame, F->P_ImgLast.width(),
                      point.x() * 15.f, F->I_ImgLast.width()));
        QVERIFY(check(F->P_ImgLast.top(), expected.y(), farTop, frame, F->P_ImgLast.height(),
                      point.y() * 15.f, F->I_ImgLast.height()));
        QTest::mouseRelease(overview, Qt::LeftButton, {}, point);
        QVERIFY(F->SH_CurseurLast.widget()->isVisible());
    }

    void overviewPressPutsTheFrameWhereItWasPressed_data()
    {
        QTest::addColumn<int>("shotWidth");
        QTest::addColumn<int>("shotHeight");
        QTest::newRow("3:2") << 1800 << 1200;
        QTest::newRow("4:3") << 1600 << 1200;
        QTest::newRow("1:1") << 1200 << 1200;
        QTest::newRow("16:9") << 1920 << 1080;
        QTest::newRow("portrait 2:3") << 1200 << 1800;
    }
    void overviewPressPutsTheFrameWhereItWasPressed()
    {
        QFETCH(int, shotWidth);
        QFETCH(int, shotHeight);
        loadCurrent(shot(shotWidth, shotHeight));
        QWidget* overview = F->I_ImgLast.widget();
        for (const QPointF& at : {QPointF(0.5, 0.5), QPointF(0.35, 0.7), QPointF(0.6, 0.3)}) {
            const QPoint point(int(at.x() * overview->width()), int(at.y() * overview->height()));
            QTest::mousePress(overview, Qt::LeftButton, {}, point);
            QTest::mouseRelease(overview, Qt::LeftButton, {}, point);
            // The red frame is centred on the point pressed, within a twip or two.
            const Shape& cursor = F->SH_CurseurLast;
            QVERIFY(cursor.widget()->isVisible());
            QVERIFY(qAbs(cursor.left() + cursor.width() / 2 -
                         (F->I_ImgLast.left() + point.x() * 15.f)) <= 2);
            QVERIFY(qAbs(cursor.top() + cursor.height() / 2 -
                         (F->I_ImgLast.top() + point.y() * 15.f)) <= 2);
            // And it lies within the overview.
            QVERIFY(cursor.top() >= F->I_ImgLast.top());
            QVERIFY(cursor.top() + cursor.height() <= F->I_ImgLast.top() + F->I_ImgLast.height());
        }
    }

    void overviewDragBeyondTheEdgeStaysClamped()
    {
        loadCurrent(shot(3000, 2000));
        QWidget* overview = F->I_ImgLast.widget();
        QTest::mousePress(overview, Qt::RightButton, {}, QPoint(10, 10));
        QTest::mouseMove(overview, QPoint(overview->width() + 200, -300));
        QCOMPARE(F->P_ImgLast.left(), F->P_BaseLast.width() - F->P_ImgLast.width());
        QCOMPARE(F->P_ImgLast.top(), 0.f);
        QTest::mouseRelease(overview, Qt::RightButton, {}, QPoint(overview->width() + 200, -300));
    }

    void rightButtonBlinksToTheReference()
    {
        const Picture current = shot(3000, 2000, Qt::red);
        const Picture reference = shot(3000, 2000, Qt::green);
        loadCurrent(current);
        F->P_ImgRef.setPicture(reference);
        F->P_ImgRef.setLeft(-5000);
        F->P_ImgRef.setTop(-4000);
        F->P_ImgLast.setLeft(-1000.4f);
        F->P_ImgLast.setTop(-2000.5f);
        const float cursorLeft = F->SH_CurseurLast.left();

        QTest::mousePress(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(F->P_ImgLast.picture(), reference);
        QCOMPARE(F->P_ImgLast.left(), -5000.f);
        QCOMPARE(F->P_ImgLast.top(), -4000.f);
        QCOMPARE(F->SH_CurseurLast.left(), cursorLeft);

        QTest::mouseRelease(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(20, 20));
        QCOMPARE(F->P_ImgLast.picture(), current);
        QVERIFY(!F->P_ImgTampon.picture());
        // Back at the place it had, in whole twips (halves to even).
        QCOMPARE(F->P_ImgLast.left(), -1000.f);
        QCOMPARE(F->P_ImgLast.top(), -2000.f);
        QVERIFY(!F->gestures.SwapHeld);
    }

    void blinkBeforeAnyReferenceShowsNothingUntilRelease()
    {
        const Picture current = shot(300, 200);
        loadCurrent(current);
        QTest::mousePress(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(5, 5));
        QVERIFY(!F->P_ImgLast.picture());
        QTest::mouseRelease(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(F->P_ImgLast.picture(), current);
    }

    void middleButtonDoesNothingOnThePanes()
    {
        loadCurrent(shot(3000, 2000));
        F->P_ImgLast.setLeft(-300);
        QTest::mousePress(F->P_ImgLast.widget(), Qt::MiddleButton, {}, QPoint(5, 5));
        QTest::mouseMove(F->P_ImgLast.widget(), QPoint(60, 60));
        QTest::mouseRelease(F->P_ImgLast.widget(), Qt::MiddleButton, {}, QPoint(60, 60));
        QCOMPARE(F->P_ImgLast.left(), -300.f);
        QVERIFY(!F->gestures.SwapHeld && !F->gestures.LastDragging);
    }

    void selectMakesTheCurrentShotTheReference()
    {
        const Picture current = shot(3000, 2000);
        loadCurrent(current, QStringLiteral("IMG_0042.JPG"));
        F->P_ImgLast.setLeft(-1234.5f);
        F->P_ImgLast.setTop(-678.25f);
        F->panes.RenderPanes();
        QTest::mouseClick(F->B_Select.widget(), Qt::LeftButton);
        QCOMPARE(F->P_ImgRef.picture(), current);
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0042.JPG"));
        QCOMPARE(F->P_ImgRef.left(), -1234.5f);
        QCOMPARE(F->P_ImgRef.top(), -678.25f);
        // Both cursors mark the same crop.
        QVERIFY(F->SH_CurseurRef.widget()->isVisible());
        QCOMPARE(F->SH_CurseurRef.left(), F->SH_CurseurLast.left());
        QCOMPARE(F->SH_CurseurRef.width(), F->SH_CurseurLast.width());
    }

    void selectBeforeTheFirstShot()
    {
        QTest::mouseClick(F->B_Select.widget(), Qt::LeftButton);
        QVERIFY(!F->P_ImgRef.picture());
        QCOMPARE(F->P_ImgRef.width(), 20000.f);
        QVERIFY(F->SH_CurseurRef.widget()->isVisible());
        QVERIFY(!F->SH_CurseurLast.widget()->isVisible());
    }

    void resizeMovesTheCursorsWithTheOverview()
    {
        loadCurrent(shot(3000, 2000));
        const float before = F->SH_CurseurLast.width();
        F->resize(F->width() + 300, F->height() + 200);
        QTRY_VERIFY(F->SH_CurseurLast.width() != before);
        QCOMPARE(F->SH_CurseurLast.width(),
                 static_cast<float>(double(F->I_ImgLast.width()) * F->P_BaseLast.width() /
                                    F->P_ImgLast.width()));
    }
};

QTEST_MAIN(TestPanes)
#include "tst_panes.moc"
