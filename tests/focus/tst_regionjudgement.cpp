// The judgement of one region over a session's shots: the verdict, the
// scales and the sharpest shot, on real photographs made into shots as a
// camera takes them.
#include "focus/RegionJudgement.h"
#include "focus/SensorSimulation.h"
#include "focus/SharpnessMap.h"

#include <QTest>

#include <vector>

using namespace kelvaris;
using namespace kelvaris::simulation;

namespace {

// Photographs of the Debian packages tools/install-deps.sh installs.
const QString woodFile = QStringLiteral("/usr/share/backgrounds/mate/nature/Wood.jpg");
const QString ridgeFile =
    QStringLiteral("/usr/share/backgrounds/aitzgorri_by_Aitzol_Berasategi.jpg");
constexpr int Side = 512;
const QRect crop(96, 96, 320, 320);

// One shot of `scene`: defocus `radius`, a stroke of `shakeLength` pixels
// if any, `stops` of exposure, the sensor at `iso`, JPEG at `quality`.
struct Shot
{
    double radius = 0;
    double stops = 0;
    int quality = 92;
    int iso = 100;
    double shakeLength = 0;
};

RegionSharpness take(const LinearPicture& scene, const Shot& shot, quint64 seed)
{
    LinearPicture lens = scene;
    defocus(lens, shot.radius);
    if (shot.shakeLength > 0)
        shake(lens, shot.shakeLength, 0.5);
    const QImage picture =
        cameraJpeg(capture(lens, shot.stops, Sensor::atIso(shot.iso), seed), shot.quality);
    return SharpnessMap::measure(picture, 96).region(crop);
}

std::vector<RegionSharpness> session(const LinearPicture& scene, const std::vector<Shot>& shots)
{
    std::vector<RegionSharpness> out(shots.size());
    for (std::size_t i = 0; i < shots.size(); ++i)
        out[i] = take(scene, shots[i], i + 1);
    return out;
}

} // namespace

class TestRegionJudgement : public QObject
{
    Q_OBJECT

private slots:
    void flickerOnBrightTextureKeepsTheSharpShot()
    {
        // Pale wood grain: a third of a stop more light brings its texture
        // near clipping. The sharpest shot is the brightest.
        const LinearPicture wood = photographPart(woodFile, QPoint(1024, 704), Side);
        if (wood.width == 0)
            QSKIP("mate-backgrounds is not installed (tools/install-deps.sh)");
        const double third = 1.0 / 3;
        const std::vector<RegionSharpness> shots = session(wood, {{2.4, third},
                                                                  {1.6, -third},
                                                                  {0.8, 0},
                                                                  {0, third},
                                                                  {0.8, -third},
                                                                  {1.6, third},
                                                                  {2.4, 0}});
        const RegionJudgement judgement = judgeRegion(shots);
        QVERIFY(judgement.enoughDetail);
        QCOMPARE(judgement.best, 3);
    }

    void aShakenShotIsNotTheSharpest()
    {
        const LinearPicture ridge = photographPart(ridgeFile, QPoint(2304, 1280), Side);
        if (ridge.width == 0)
            QSKIP("lomiri-wallpapers-16.04 is not installed (tools/install-deps.sh)");
        // Shaken at best focus, beside the same focus steady.
        Shot shaken;
        shaken.shakeLength = 3;
        const std::vector<RegionSharpness> shots = session(ridge, {shaken, {0, 0}, {1, 0}});
        const RegionJudgement judgement = judgeRegion(shots);
        QVERIFY(judgement.enoughDetail);
        QCOMPARE(judgement.best, 1);
    }

    void noisyDarkerShotDoesNotPassForSharper()
    {
        // ISO 3200: the blurrier shot a third of a stop darker and kept at
        // JPEG quality 98, its noise and all; the sharper one at 85.
        const LinearPicture ridge = photographPart(ridgeFile, QPoint(2304, 1280), Side);
        if (ridge.width == 0)
            QSKIP("lomiri-wallpapers-16.04 is not installed (tools/install-deps.sh)");
        const double third = 1.0 / 3;
        const std::vector<RegionSharpness> shots =
            session(ridge, {{0.6, third, 85, 3200}, {1.4, -third, 98, 3200}});
        const RegionJudgement judgement = judgeRegion(shots);
        QCOMPARE(judgement.scales, FigureScales::Coarse);
        QVERIFY(judgement.enoughDetail);
        QCOMPARE(judgement.best, 0);
    }

    void verdictIsTheSessions_data()
    {
        QTest::addColumn<std::vector<double>>("details");
        QTest::addColumn<bool>("enoughDetail");
        QTest::addRow("one detailed shot is enough") << std::vector<double>{0.1, 50, 0.2} << true;
        QTest::addRow("none") << std::vector<double>{0.1, 0.5, 0.2} << false;
        QTest::addRow("empty") << std::vector<double>{} << false;
    }

    void verdictIsTheSessions()
    {
        QFETCH(std::vector<double>, details);
        QFETCH(bool, enoughDetail);
        // Regions whose detail is `details`: coarse energy over nothing
        // coarser and no noise.
        std::vector<RegionSharpness> shots;
        for (const double d : details) {
            RegionSharpness r;
            r.level = 100;
            r.fine = r.coarse = d;
            r.measuredFraction = 1;
            shots.push_back(r);
        }
        // A shot not measured yet takes no part.
        shots.push_back(RegionSharpness());
        const RegionJudgement judgement = judgeRegion(shots);
        QCOMPARE(judgement.enoughDetail, enoughDetail);
        QCOMPARE(judgement.best, enoughDetail ? 1 : -1);
    }
};

QTEST_GUILESS_MAIN(TestRegionJudgement)
#include "tst_regionjudgement.moc"
