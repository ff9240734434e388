// The focus session: the sharpest shot of the region in view, whatever the
// file sizes say.
#include "focus/BestFocus.h"
#include "focus/FocusSamples.h"
#include "focus/FocusSession.h"
#include "focus/ShotSimulation.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace kelvaris;
using kelvaris::test::halves;
using namespace kelvaris::simulation;

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

// The figures of a sweep of `count` shots whose best focus lies at `best`,
// `step` pixels of defocus radius apart: the figure falls as one over the
// blur, which grows as the radius away from the best and is `floor` (what
// the lens and the pixels leave) at best.
std::vector<double> sweep(int count, double best, double step = 1, double floor = 0.5)
{
    std::vector<double> figures(std::size_t(std::max(count, 0)));
    for (std::size_t i = 0; i < figures.size(); ++i) {
        const double radius = step * (double(i) - best);
        figures[i] = 1 / std::sqrt(floor * floor + radius * radius);
    }
    return figures;
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

    void bestFocusBetweenShots_data()
    {
        QTest::addColumn<std::vector<double>>("figures");
        QTest::addColumn<double>("expected"); // negative: no estimate
        QTest::addRow("on a shot") << sweep(9, 4) << 4.0;
        QTest::addRow("half-way") << sweep(9, 3.5) << 3.5;
        QTest::addRow("a quarter") << sweep(9, 4.25, 0.6) << 4.25;
        QTest::addRow("near the start") << sweep(9, 2.5, 1.3) << 2.5;
        QTest::addRow("two on the short side") << sweep(5, 2.3) << 2.3;
        // Shots that do not count (0) are skipped, the arms go on past them.
        std::vector<double> gaps = sweep(9, 4.5);
        gaps[3] = gaps[6] = 0;
        QTest::addRow("gaps") << gaps << 4.5;
        // Shaken shots on the arms, well below the V: left out of the fit,
        // one on each side or both on one.
        std::vector<double> shaken = sweep(9, 4.5, 0.8);
        shaken[6] *= 0.6;
        QTest::addRow("one shot off the V") << shaken << 4.5;
        shaken[2] *= 0.7;
        QTest::addRow("two shots off the V") << shaken << 4.5;
        std::vector<double> bothRight = sweep(9, 3.5, 0.8);
        bothRight[5] *= 0.7;
        bothRight[6] *= 0.6;
        QTest::addRow("two off the V on one side") << bothRight << 3.5;
        // A shot far sharper than the V through the others is not taken
        // for a shaken one: such a sweep describes no V.
        std::vector<double> sharper = sweep(9, 4.5, 0.8);
        sharper[7] *= 2;
        QTest::addRow("one shot above the V") << sharper << -1.0;
        // Not supported: one shot on a side, the peak at an end, no fall.
        QTest::addRow("one before the peak") << sweep(9, 1) << -1.0;
        std::vector<double> lonely = sweep(9, 4);
        lonely[0] = lonely[1] = lonely[2] = 0;
        QTest::addRow("one counted before") << lonely << -1.0;
        QTest::addRow("peak at the end") << sweep(9, 8.2) << -1.0;
        QTest::addRow("flat") << std::vector<double>(9, 0.5) << -1.0;
        // Arms three shots long that fall by less than a tenth: a V that
        // shallow is lost in what changes from shot to shot.
        QTest::addRow("shallow") << sweep(9, 4.25, 0.2, 1.5) << -1.0;
        // Shots scattered about any V by more than a third of its rise per shot.
        std::vector<double> scattered = sweep(9, 4, 0.5);
        for (std::size_t i = 0; i < scattered.size(); ++i)
            scattered[i] *= i % 2 ? 1.12 : 0.9;
        scattered[4] = 1;
        QTest::addRow("scattered") << scattered << -1.0;
        QTest::addRow("empty") << std::vector<double>() << -1.0;
    }

    void bestFocusBetweenShots()
    {
        QFETCH(std::vector<double>, figures);
        QFETCH(double, expected);
        const int peak =
            figures.empty()
                ? -1
                : int(std::max_element(figures.begin(), figures.end()) - figures.begin());
        const double position = bestFocusPosition(figures, peak);
        if (expected < 0)
            QCOMPARE_LT(position, 0.0);
        else
            QVERIFY2(std::abs(position - expected) < 0.02, qPrintable(QString::number(position)));
    }

    void sessionMarksTheBestBetweenTwoEquallySharpShots()
    {
        // A ridge of a real photograph, defocused by a disk growing evenly
        // on both sides of a best focus half-way between shots 3 and 4.
        const LinearPicture ridge = photographPart(
            QStringLiteral("/usr/share/backgrounds/aitzgorri_by_Aitzol_Berasategi.jpg"),
            QPoint(2304, 1280), 512);
        if (ridge.width == 0)
            QSKIP("lomiri-wallpapers-16.04 is not installed (tools/install-deps.sh)");
        FocusSession session;
        for (const double radius : {2.8, 2.0, 1.2, 0.4, 0.4, 1.2, 2.0, 2.8}) {
            LinearPicture lens = ridge;
            defocus(lens, radius);
            session.add(shot(QStringLiteral("IMG.JPG"), cameraJpeg(expose(lens, 0), 92), 1000));
        }
        const QRect crop(96, 96, 320, 320);
        const SessionCurve curve = session.curve(crop);
        QVERIFY(curve.bestSharpness == 3 || curve.bestSharpness == 4);
        QVERIFY2(std::abs(curve.bestPosition - 3.5) < 0.1,
                 qPrintable(QString::number(curve.bestPosition)));
        // One side alone: nothing to place between shots.
        FocusSession half;
        for (const double radius : {0.4, 1.2, 2.0, 2.8}) {
            LinearPicture lens = ridge;
            defocus(lens, radius);
            half.add(shot(QStringLiteral("IMG.JPG"), cameraJpeg(expose(lens, 0), 92), 1000));
        }
        QCOMPARE_LT(half.curve(crop).bestPosition, 0.0);
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
        QCOMPARE_LT(curve.bestPosition, 0.0);
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
