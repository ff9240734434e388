// The focus curve widget with sessions made by hand: what it paints in red,
// grey and green, the best focus's mark, and a click that takes the shot
// aimed at while new shots arrive under a still pointer.
#include "focus/CurveTexts.h"
#include "focus/FocusCurve.h"

#include <QTest>
#include <QToolTip>

#include <cmath>

using namespace kelvaris;

namespace {

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 90 && qBlue(pixel) < 90;
}
bool isGreen(QRgb pixel)
{
    return qGreen(pixel) > 150 && qRed(pixel) < 90 && qBlue(pixel) < 90;
}
bool isDark(QRgb pixel)
{
    return qGray(pixel) < 120 && !isRed(pixel) && !isGreen(pixel);
}

// The bounding box of the pixels of `image` inside `area` that `test` picks.
QRect boxOf(const QImage& image, const QRect& area, bool (*test)(QRgb))
{
    QRect box;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            if (test(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    return box;
}

QRect around(QPointF centre, double radius)
{
    const int r = int(std::ceil(radius));
    return QRect(centre.toPoint() - QPoint(r, r), QSize(2 * r + 1, 2 * r + 1));
}

} // namespace

class TestFocusCurve : public QObject
{
    Q_OBJECT

    // Shots IMG_0041.JPG on, measured at `sharpness`, the sharpest the best.
    void setShots(const std::vector<double>& sharpness, int reference = -1,
                  double bestPosition = -1)
    {
        m_session.clear();
        for (std::size_t i = 0; i < sharpness.size(); ++i)
            addShot();
        show(sharpness, reference, bestPosition);
    }
    int addShot(int place = -1)
    {
        SessionShot shot;
        shot.name =
            QStringLiteral("IMG_%1.JPG").arg(41 + m_session.size(), 4, 10, QLatin1Char('0'));
        shot.figure = QStringLiteral("1000");
        shot.figureValue = 1000;
        return place < 0 ? m_session.add(shot) : m_session.insert(place, shot);
    }
    void show(const std::vector<double>& sharpness, int reference = -1, double bestPosition = -1)
    {
        SessionCurve curve;
        for (const double value : sharpness) {
            curve.points.push_back({true, value, true});
            if (curve.bestSharpness < 0 ||
                value > curve.points[std::size_t(curve.bestSharpness)].sharpness)
                curve.bestSharpness = int(curve.points.size()) - 1;
        }
        curve.bestFigure = 0;
        curve.bestPosition = bestPosition;
        m_curve->setCurve(&m_session, curve, reference);
    }
    QImage painted() const { return m_curve->widget()->grab().toImage(); }
    QWidget* widget() const { return m_curve->widget(); }

    std::unique_ptr<QWidget> m_window;
    std::unique_ptr<FocusCurve> m_curve;
    FocusSession m_session;
    QList<int> m_clicked;

private slots:
    void init()
    {
        m_window = std::make_unique<QWidget>();
        m_window->resize(520, 220);
        m_curve = std::make_unique<FocusCurve>(m_window.get(), QStringLiteral("P_Courbe"));
        m_curve->setGeometry(0, 0, 480 * 15, 160 * 15);
        m_clicked.clear();
        m_curve->pointClicked = [this](int index) { m_clicked << index; };
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup()
    {
        m_curve.reset();
        m_window.reset();
        m_session.clear();
    }

    void redMarksTheCurrentShotAlone()
    {
        // The current shot is the sharpest and no reference is set: a small
        // red point ringed in grey, not a red disc.
        setShots({1, 2, 4});
        const QImage image = painted();
        const CurvePlacement& p = m_curve->placement();
        const QPointF current = m_curve->pointOf(2);
        const QRect red = boxOf(image, image.rect(), isRed);
        QVERIFY2(around(current, p.radius + 1.5).contains(red),
                 qPrintable(QStringLiteral("red over %1,%2 %3x%4")
                                .arg(red.x())
                                .arg(red.y())
                                .arg(red.width())
                                .arg(red.height())));
        const QRect ring = around(current, p.radius + 7);
        QVERIFY(isDark(
            image.pixel(int(std::lround(current.x() + p.radius + 6)), current.toPoint().y())));
        QVERIFY(boxOf(image, ring, isGreen).isNull());

        // The sharpest in the middle, the reference first: grey and green
        // rings, and red only at the current shot and its percentage.
        setShots({2, 4, 1}, 0);
        const QImage second = painted();
        const QPointF best = m_curve->pointOf(1);
        QVERIFY(boxOf(second, around(best, p.radius + 8), isRed).isNull());
        QVERIFY(
            isDark(second.pixel(int(std::lround(best.x() + p.radius + 6)), best.toPoint().y())));
        const QPointF reference = m_curve->pointOf(0);
        QVERIFY(!boxOf(second, around(reference, p.radius + 4), isGreen).isNull());
        QVERIFY(!boxOf(second, around(m_curve->pointOf(2), p.radius), isRed).isNull());
        QCOMPARE(m_curve->placement().current.text, QStringLiteral("25\u00A0%"));
    }

    void theBestFocusMark()
    {
        setShots({1, 2, 4, 3, 1}, -1, 2.3);
        const CurvePlacement& p = m_curve->placement();
        QVERIFY(p.bestMark.has_value());
        const QPointF from = m_curve->pointOf(2);
        const QPointF to = m_curve->pointOf(3);
        QVERIFY(std::abs(p.bestMark->x() - (from.x() + 0.3 * (to.x() - from.x()))) < 1e-9);
        // A small dark triangle on the axis, which tells where on hovering.
        const QImage image = painted();
        const QPoint tip = p.bestMark->toPoint() + QPoint(0, -2);
        QVERIFY(isDark(image.pixel(tip)));
        QTest::mouseMove(widget(), tip);
        QTRY_COMPARE(QToolTip::text(), bestMarkToolTip(2.3, m_session.shots()));
        QVERIFY(QToolTip::text().contains(
            QStringLiteral("entre IMG_0043 et IMG_0044, plus près de IMG_0043")));

        // None where the estimate is unsupported.
        QTest::mouseMove(m_window.get(), QPoint(510, 210));
        setShots({1, 2, 4, 3, 1}, -1, -1);
        QVERIFY(!m_curve->placement().bestMark);
        QVERIFY(!isDark(painted().pixel(tip)));
    }

    void aClickTakesTheShotAimedAtWhileShotsArrive()
    {
        setShots({1, 3, 2});
        const QPoint aimed = m_curve->pointOf(1).toPoint();
        QTest::mouseMove(widget(), aimed);
        QVERIFY(m_curve->isHeld());
        QTest::mousePress(widget(), Qt::LeftButton, {}, aimed);
        // A new shot, sharper than all, and an older one from the folder
        // arrive between press and release: nothing moves.
        const QPointF before = m_curve->pointOf(1);
        addShot();
        addShot(0);
        show({2, 1, 3, 2, 5});
        QCOMPARE(m_curve->pointOf(2), before);
        QVERIFY(m_curve->placement().waiting.has_value());
        QCOMPARE(m_curve->pointOf(4), QPointF(-1, -1));
        QTest::mouseRelease(widget(), Qt::LeftButton, {}, aimed);
        QCOMPARE(m_clicked, QList<int>{2}); // IMG_0042, now after the older one
        QCOMPARE(m_session.shots()[2].name, QStringLiteral("IMG_0042.JPG"));

        // The pointer leaves: they take their places.
        QTest::mouseMove(m_window.get(), QPoint(510, 210));
        QVERIFY(!m_curve->isHeld());
        QVERIFY(m_curve->pointOf(4).x() > 0);
        QVERIFY(m_curve->pointOf(2) != before);
    }

    void theShotUnderThePressIsTheOneTaken()
    {
        setShots({1, 3, 2});
        const QPoint pressed = m_curve->pointOf(1).toPoint();
        QTest::mousePress(widget(), Qt::LeftButton, {}, pressed);
        QTest::mouseMove(widget(), m_curve->pointOf(2).toPoint());
        QTest::mouseRelease(widget(), Qt::LeftButton, {}, m_curve->pointOf(2).toPoint());
        QCOMPARE(m_clicked, QList<int>{1});
        // Released outside the curve: nothing.
        QTest::mousePress(widget(), Qt::LeftButton, {}, pressed);
        QTest::mouseRelease(widget(), Qt::LeftButton, {}, QPoint(500, 200));
        QCOMPARE(m_clicked, QList<int>{1});
    }

    void aNewSessionLetsGo()
    {
        setShots({1, 3, 2});
        QTest::mouseMove(widget(), m_curve->pointOf(1).toPoint());
        QVERIFY(m_curve->isHeld());
        // Reset under the pointer: the shots held have gone, the next come.
        m_session.clear();
        addShot();
        show({1});
        QVERIFY(!m_curve->isHeld());
        QVERIFY(m_curve->pointOf(0).x() > 0);
    }
};

QTEST_MAIN(TestFocusCurve)
#include "tst_focuscurve.moc"
