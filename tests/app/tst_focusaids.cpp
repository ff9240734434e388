// The focus map, the shortlist to stack and peaking in the real window: off
// at start and then invisible, their keys and boxes, what they show, and the
// gestures of the design they leave alone.
#include "app/MainWindow.h"
#include "support/FocusTestCase.h"
#include "view/FocusMapOverlay.h"
#include "view/PeakingOverlay.h"

#include <QCheckBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QToolTip>

using namespace kelvaris;
using kelvaris::test::blurred;
using kelvaris::test::FocusTestCase;
using kelvaris::test::halves;
using kelvaris::test::inWindow;
using kelvaris::test::jpeg;

namespace {

// Squares of 6 pixels in random greys, like print or a fabric's weave
// seen up close, the left half blurred by `left` pixels and the right
// half by `right` (0: sharp).
QImage squares(int width, int height, int left, int right)
{
    QRandomGenerator random(5);
    std::vector<int> levels(std::size_t((width / 6 + 1) * (height / 6 + 1)));
    for (int& level : levels)
        level = 40 + int(random.bounded(180));
    std::vector<int> sharp(std::size_t(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            sharp[std::size_t(y) * width + x] =
                levels[std::size_t(y / 6) * std::size_t(width / 6 + 1) + std::size_t(x / 6)];
    const std::vector<int> a = left ? blurred(sharp, width, height, left) : sharp;
    const std::vector<int> b = right ? blurred(sharp, width, height, right) : sharp;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int v = (x < width / 2 ? a : b)[std::size_t(y) * width + x];
            image.setPixel(x, y, qRgb(v, v, v));
        }
    return image;
}

// What a control and its children look like on screen.
QImage look(const Control& control)
{
    return control.widget()->grab().toImage();
}

} // namespace

class TestFocusAids : public FocusTestCase
{
    Q_OBJECT

    // Three shots: sharp on the left, sharp on the right, blurred all over.
    void takeThree()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 3);
        take(QStringLiteral("IMG_0002.JPG"), 3, 0);
        take(QStringLiteral("IMG_0003.JPG"), 2, 2);
    }
    void key(Qt::Key key)
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : F;
        QTest::keyClick(target, key);
    }
    FocusMapOverlay* mapOverlay() const
    {
        return F->findChild<FocusMapOverlay*>(QStringLiteral("focusMapOverlay"));
    }
    PeakingOverlay* peakingOverlay() const
    {
        return F->findChild<PeakingOverlay*>(QStringLiteral("peakingOverlay"));
    }
    void hideTip()
    {
        QToolTip::hideText();
        QTRY_VERIFY(!QToolTip::isVisible());
    }
    // What hovering the overview at `point` tells.
    QString hover(QPoint point)
    {
        QWidget* overview = F->I_ImgLast.widget();
        QHelpEvent help(QEvent::ToolTip, point, overview->mapToGlobal(point));
        QApplication::sendEvent(overview, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

private slots:
    void init()
    {
        QVERIFY(openWatcher());
        F->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(F));
    }
    void cleanup() { closeWatcher(); }

    void offTheDesignLooksAsItDidWithout()
    {
        QVERIFY(!F->aids.mapShown() && !F->aids.peakingShown());
        QVERIFY(!F->mapToggle.isChecked() && !F->peakingToggle.isChecked());
        QVERIFY(!mapOverlay()->isVisible() && !peakingOverlay()->isVisible());
        QVERIFY(!F->stackLabel.widget()->isVisible());
        QVERIFY(!F->stackInCursor.widget()->isVisible());

        // Two shots, the first the reference: both cursors on the overview.
        takeThree();
        F->gestures.B_Select_Click();
        F->P_ImgRef.setLeft(-1500);
        F->panes.RenderPanes();
        QVERIFY(F->SH_CurseurRef.widget()->isVisible());
        const QImage fond = look(F->P_Fond);
        const QImage top[] = {look(F->P_Repertoire), look(F->P_Commandes)};

        // On, they show: the comparison below can see them.
        key(Qt::Key_M);
        key(Qt::Key_P);
        QVERIFY(mapOverlay()->showsTints());
        QVERIFY(look(F->P_Fond) != fond);
        // Off again, the design's controls look as before, to the pixel...
        key(Qt::Key_M);
        key(Qt::Key_P);
        QCOMPARE(look(F->P_Fond), fond);
        // ... and as they do without the additions at all.
        delete mapOverlay();
        delete peakingOverlay();
        QCOMPARE(look(F->P_Fond), fond);
        QCOMPARE(look(F->P_Repertoire), top[0]);
        QCOMPARE(look(F->P_Commandes), top[1]);
    }

    void theKeysWaitWhileTheDirectoryBoxIsTypedIn()
    {
        QLineEdit* box = F->T_RepReception.lineEdit();
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        box->setText(QString());
        QTest::keyClicks(box, QStringLiteral("/tmp/mp"));
        QCOMPARE(box->text(), QStringLiteral("/tmp/mp"));
        QVERIFY(!F->aids.mapShown() && !F->aids.peakingShown());
        key(Qt::Key_Return);
        key(Qt::Key_M);
        QVERIFY(F->aids.mapShown() && F->mapToggle.isChecked());
        key(Qt::Key_P);
        QVERIFY(F->aids.peakingShown() && F->peakingToggle.isChecked());
        // The boxes do what the keys do, and never take the keyboard.
        QTest::mouseClick(F->mapToggle.checkBox(), Qt::LeftButton);
        QVERIFY(!F->aids.mapShown() && !mapOverlay()->isVisible());
        QVERIFY(QApplication::focusWidget() != F->mapToggle.checkBox());
        QTest::mouseClick(F->peakingToggle.checkBox(), Qt::LeftButton);
        QVERIFY(!F->aids.peakingShown() && !peakingOverlay()->isVisible());
    }

    void theMapTintsEachShotUnderTheCursors()
    {
        start();
        take(QStringLiteral("IMG_0001.JPG"), 0, 3);
        F->aids.setMapShown(true);
        FocusMapOverlay* overlay = mapOverlay();
        QCOMPARE(overlay->grid().columns(), 24);
        QCOMPARE(overlay->grid().rows(), 12);
        // One shot: at its best where it has detail; its blurred half has
        // too little to judge yet.
        QCOMPARE(overlay->tints()[0], TileTint::Best);
        QCOMPARE(overlay->tints()[23], TileTint::None);
        // The next is sharp where the first was not, and short where it was.
        take(QStringLiteral("IMG_0002.JPG"), 3, 0);
        QVERIFY(overlay->showsTints());
        QCOMPARE(overlay->tints()[0], TileTint::Short);
        QCOMPARE(overlay->tints()[23], TileTint::Best);
        // A new picture on the overview hides the tints of the last until
        // its own come.
        const Picture tinted = F->I_ImgLast.picture();
        F->I_ImgLast.setPicture(makePicture(halves(600, 300, 1, 1)));
        QVERIFY(!overlay->showsTints());
        F->I_ImgLast.setPicture(tinted);

        // Over the overview, under both cursors, which stay visible above it.
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->geometry(), F->I_ImgLast.widget()->geometry());
        const QObjectList stack = F->P_Fond.clientWidget()->children();
        QVERIFY(stack.indexOf(F->I_ImgLast.widget()) < stack.indexOf(overlay));
        QVERIFY(stack.indexOf(overlay) < stack.indexOf(F->SH_CurseurRef.widget()));
        QVERIFY(stack.indexOf(overlay) < stack.indexOf(F->SH_CurseurLast.widget()));

        // Hovering a tile names its sharpest shot.
        const QRect overview = F->I_ImgLast.widget()->rect();
        const QPoint left(overview.width() / 10, overview.height() / 2);
        const QPoint right(overview.width() * 9 / 10, overview.height() / 2);
        QVERIFY(hover(left).startsWith(QStringLiteral("Plus nette ici\u00a0: IMG_0001.JPG — cette "
                                                      "prise\u00a0: ")));
        QCOMPARE(hover(right), QStringLiteral("Plus nette ici\u00a0: IMG_0002.JPG, cette prise"));
        // Off, the overview tells nothing.
        F->aids.setMapShown(false);
        hideTip();
        QCOMPARE(hover(left), QString());

        // Reset forgets the session's bests.
        F->aids.setMapShown(true);
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QVERIFY(!overlay->showsTints());
        QCOMPARE(F->aids.focusMap().size(), 0);
    }

    void theOverviewKeepsItsGesturesUnderTheMap()
    {
        takeThree();
        QWidget* overview = F->I_ImgLast.widget();
        const QPoint point(overview->width() * 3 / 4, overview->height() / 3);
        // Where a press puts the pane, with the map and without; the red
        // cursor hides while the button is down, as ever.
        struct Press
        {
            QPointF placed;
            bool dragging = false, cursorWhileDown = true, cursorAfter = false;
            bool operator==(const Press&) const = default;
        };
        const auto pressAt = [&] {
            F->P_ImgLast.setLeft(0);
            F->P_ImgLast.setTop(0);
            Press press;
            QTest::mousePress(overview, Qt::LeftButton, {}, point);
            press.placed = QPointF(F->P_ImgLast.left(), F->P_ImgLast.top());
            press.dragging = F->gestures.OverviewDragging;
            press.cursorWhileDown = F->SH_CurseurLast.widget()->isVisible();
            QTest::mouseRelease(overview, Qt::LeftButton, {}, point);
            press.cursorAfter = F->SH_CurseurLast.widget()->isVisible();
            return press;
        };
        const Press without = pressAt();
        QVERIFY(without.dragging && !without.cursorWhileDown && without.cursorAfter);
        QVERIFY(without.placed != QPointF(0, 0));
        F->aids.setMapShown(true);
        F->aids.setPeakingShown(true);
        QVERIFY(pressAt() == without);
        // The pointer finds the overview and the pane's picture through them.
        const QPoint onOverview = overview->geometry().center();
        QCOMPARE(F->P_Fond.clientWidget()->childAt(onOverview), overview);
        QCOMPARE(F->P_BaseLast.clientWidget()->childAt(QPoint(20, 20)), F->P_ImgLast.widget());
        QCOMPARE(F->P_ImgLast.toolTip(), QStringLiteral("Clic gauche pour recentrer"));
    }

    void theShortlistNamesTheShotsToStack()
    {
        takeThree();
        QVERIFY(!F->stackLabel.widget()->isVisible());
        key(Qt::Key_M);
        QVERIFY(F->stackLabel.widget()->isVisible());
        QVERIFY(F->stackInCursor.widget()->isVisible());
        QCOMPARE(F->stackLabel.caption(),
                 QStringLiteral("Pile\u00a0: IMG_0001, IMG_0002 (2\u00a0prises couvrent "
                                "100\u00a0% des zones détaillées)"));
        // The shortlist takes a line of the curve's, under the design's controls.
        const QRect label(F->stackLabel.widget()->mapTo(F, QPoint(0, 0)),
                          F->stackLabel.widget()->size());
        QVERIFY(F->rect().contains(label));
        QVERIFY(!label.intersects(
            QRect(F->P_Fond.widget()->mapTo(F, QPoint(0, 0)), F->P_Fond.widget()->size())));

        // Narrowed to the red cursor, on the left half where the pane starts.
        QTest::mouseClick(F->stackInCursor.checkBox(), Qt::LeftButton);
        QVERIFY(F->aids.stackNarrowed());
        QCOMPARE(F->stackLabel.caption(),
                 QStringLiteral("Pile\u00a0: IMG_0001 (1\u00a0prise couvre 100\u00a0% des zones "
                                "détaillées)"));
        // Dragged onto the right half: the shortlist follows once the pan stops.
        QWidget* picture = F->P_ImgLast.widget();
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(390, 100));
        QTest::mouseMove(picture, QPoint(10, 100));
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(10, 100));
        QTRY_VERIFY(F->stackLabel.caption().startsWith(QStringLiteral("Pile\u00a0: IMG_0002 (")));

        key(Qt::Key_M);
        QVERIFY(!F->stackLabel.widget()->isVisible());
        QVERIFY(!F->stackInCursor.widget()->isVisible());
    }

    void peakingFollowsPansAndBlinks()
    {
        start();
        put(QStringLiteral("IMG_0001.JPG"), jpeg(squares(600, 300, 0, 3)));
        tick();
        F->gestures.B_Select_Click();
        const Picture reference = F->P_ImgRef.picture();
        put(QStringLiteral("IMG_0002.JPG"), jpeg(squares(600, 300, 3, 0)));
        tick();
        const Picture current = F->P_ImgLast.picture();
        key(Qt::Key_P);
        PeakingOverlay* overlay = peakingOverlay();
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->geometry(), F->P_BaseLast.clientWidget()->rect());
        // The part of the shot in the pane's picture that the pane shows.
        const auto shown = [this] {
            const QWidget* picture = F->P_ImgLast.widget();
            return F->P_BaseLast.clientWidget()
                ->rect()
                .translated(-picture->pos())
                .intersected(QRect(QPoint(0, 0), F->P_ImgLast.picture()->size()));
        };
        const int side = overlay->width();
        // The current shot's top-left crop: its blurred half, nothing outlined.
        QTRY_COMPARE(overlay->measuredPicture(), current);
        QCOMPARE(overlay->measuredCrop(), shown());
        QCOMPARE(overlay->measuredCrop().left(), 0);
        QCOMPARE(overlay->marks().size(), shown().size());
        const auto outlined = [overlay] {
            int count = 0;
            const QImage& marks = overlay->marks();
            for (int y = 0; y < marks.height(); ++y)
                for (int x = 0; x < marks.width(); ++x)
                    count += qAlpha(marks.pixel(x, y)) != 0;
            return count;
        };
        QCOMPARE(outlined(), 0);

        // Panned onto the sharp half: measured again there, and outlined.
        QWidget* picture = F->P_ImgLast.widget();
        QTest::mousePress(picture, Qt::LeftButton, {}, QPoint(400, 100));
        QTest::mouseMove(picture, QPoint(50, 100));
        QTRY_COMPARE(overlay->measuredCrop(), shown());
        QCOMPARE(overlay->measuredCrop().left(), 350);
        QTest::mouseRelease(picture, Qt::LeftButton, {}, QPoint(50, 100));
        const QRect panned = shown();
        QVERIFY(outlined() > side * side / 10);

        // The blink shows the reference at its own crop, with its own peaking:
        // its left half is the sharp one.
        QTest::mousePress(picture, Qt::RightButton, {}, QPoint(50, 50));
        QTRY_COMPARE(overlay->measuredPicture(), reference);
        QCOMPARE(overlay->measuredCrop(), shown());
        QCOMPARE(overlay->measuredCrop().left(), 0);
        QVERIFY(outlined() > side * side / 10);
        QTest::mouseRelease(picture, Qt::RightButton, {}, QPoint(50, 50));
        QTRY_COMPARE(overlay->measuredPicture(), current);
        QCOMPARE(overlay->measuredCrop(), panned);
    }
};

QTEST_MAIN(TestFocusAids)
#include "tst_focusaids.moc"
