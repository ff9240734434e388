// The focus session: the sharpest shot of the region in view, whatever the
// file sizes say.
#include "focus/FocusSamples.h"
#include "focus/FocusSession.h"

#include <QTest>

using namespace kelvaris;
using kelvaris::test::halves;

namespace {

SessionShot shot(const QString& name, const QImage& picture, double figure)
{
    SessionShot s;
    s.name = name;
    s.figure = QString::number(figure);
    s.figureValue = figure;
    s.map = std::make_shared<const SharpnessMap>(SharpnessMap::measure(picture));
    return s;
}

const QRect leftHalf(40, 40, 200, 200);
const QRect rightHalf(360, 40, 200, 200);

} // namespace

class TestFocusSession : public QObject
{
    Q_OBJECT

private slots:
    void theSharpestWinsWhereFileSizesStraddleAPowerOfTen()
    {
        FocusSession session;
        // 800,267 bytes give 8002, 2,024,357 bytes 2024: the quality figure
        // ranks the blurred shot first.
        session.add(shot(QStringLiteral("IMG_0001.JPG"), halves(600, 300, 3, 3), 8002));
        session.add(shot(QStringLiteral("IMG_0002.JPG"), halves(600, 300, 0, 0), 2024));
        session.add(shot(QStringLiteral("IMG_0003.JPG"), halves(600, 300, 2, 2), 1893));
        const SessionCurve curve = session.curve(leftHalf);
        QCOMPARE(curve.bestSharpness, 1);
        QCOMPARE(curve.bestFigure, 0);
        QVERIFY(curve.points[1].sharpness > curve.points[2].sharpness);
        QVERIFY(curve.points[2].sharpness > curve.points[0].sharpness);
    }

    void theBestFollowsTheRegionInView()
    {
        // Each shot is sharp in one half: the subject is not parallel to the sensor.
        FocusSession session;
        session.add(shot(QStringLiteral("IMG_0001.JPG"), halves(600, 300, 0, 3), 1500));
        session.add(shot(QStringLiteral("IMG_0002.JPG"), halves(600, 300, 3, 0), 1500));
        QCOMPARE(session.curve(leftHalf).bestSharpness, 0);
        QCOMPARE(session.curve(rightHalf).bestSharpness, 1);
        // Equal figures: the first keeps the best figure, as "Qualité max" does.
        QCOMPARE(session.curve(rightHalf).bestFigure, 0);
    }

    void theFirstOfEqualSharpnessWins()
    {
        // Shots 1 and 2 are the same picture (the camera did not move, nor
        // its focus): the best stays with the first of them, as the curve
        // names it, rather than move at every equal shot.
        FocusSession session;
        const QImage sharp = halves(600, 300, 0, 0);
        session.add(shot(QStringLiteral("IMG_0001.JPG"), halves(600, 300, 2, 2), 1500));
        session.add(shot(QStringLiteral("IMG_0002.JPG"), sharp, 1500));
        session.add(shot(QStringLiteral("IMG_0003.JPG"), sharp, 1500));
        session.add(shot(QStringLiteral("IMG_0004.JPG"), halves(600, 300, 3, 3), 1500));
        const SessionCurve curve = session.curve(leftHalf);
        QCOMPARE(curve.points[1].sharpness, curve.points[2].sharpness);
        QCOMPARE(curve.bestSharpness, 1);
        QCOMPARE(curve.bestFigure, 0);
    }

    void noBestWithoutDetailOrMeasure()
    {
        FocusSession session;
        QImage flat(600, 300, QImage::Format_RGB32);
        flat.fill(qRgb(120, 130, 140));
        session.add(shot(QStringLiteral("IMG_0001.JPG"), flat, 1200));
        SessionShot pending;
        pending.name = QStringLiteral("IMG_0002.JPG");
        const int id = session.add(pending);
        SessionCurve curve = session.curve(leftHalf);
        QCOMPARE(curve.bestSharpness, -1);
        QVERIFY(curve.points[0].measured && !curve.points[0].enoughDetail);
        QVERIFY(!curve.points[1].measured);
        // The map arrives later, and counts from then on.
        QVERIFY(session.setMap(id, std::make_shared<const SharpnessMap>(
                                       SharpnessMap::measure(halves(600, 300, 0, 0)))));
        QCOMPARE(session.curve(leftHalf).bestSharpness, 1);
        // A map that comes back after Reset finds its shot gone.
        session.clear();
        QVERIFY(!session.setMap(id, nullptr));
        QCOMPARE(session.curve(leftHalf).points.size(), size_t(0));
    }
};

QTEST_MAIN(TestFocusSession)
#include "tst_focussession.moc"
