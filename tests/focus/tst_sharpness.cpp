#include "focus/BandSums.h"
#include "focus/FocusMap.h"
#include "focus/SharpnessMap.h"
#include "focus/ShotSimulation.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <climits>
#include <vector>

using namespace kelvaris;
using namespace kelvaris::simulation;

namespace {

// Photographs of a Debian package (lomiri-wallpapers-16.04, installed by
// tools/install-deps.sh): a mountain ridge above an autumn forest, and
// rocks below snow. Each with a detailed square of 512 pixels.
struct Scene
{
    const char* file;
    QPoint corner;
};
const Scene scenes[] = {
    {"/usr/share/backgrounds/aitzgorri_by_Aitzol_Berasategi.jpg", QPoint(2304, 1280)},
    {"/usr/share/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg", QPoint(2560, 1536)},
};
constexpr int SceneSide = 512;
// The crop looked at: well inside, so that the blur's edges stay outside.
const QRect crop(96, 96, 320, 320);

// Random pixels: every value of every channel, edges everywhere.
QImage noise(QSize size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x)
            line[x] = random.generate() | 0xff000000u;
    }
    return image;
}

// Stripes 6 pixels wide of green `level` +- `swing`.
QImage stripes(QSize size, int level, int swing)
{
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int g = (x + y) / 6 % 2 ? level + swing : level - swing;
            line[x] = qRgb(g, g, g);
        }
    }
    return image;
}

} // namespace

class TestSharpness : public QObject
{
    Q_OBJECT

private:
    // The shots of a scene at a defocus of `radius` pixels and `stops` of
    // exposure, q90 unless told.
    static RegionSharpness shot(const LinearPicture& scene, double radius, double stops,
                                int quality = 90)
    {
        LinearPicture blurred = scene;
        defocus(blurred, radius);
        return SharpnessMap::measure(cameraJpeg(expose(blurred, stops), quality)).region(crop);
    }

    static std::vector<LinearPicture> loadScenes()
    {
        std::vector<LinearPicture> out;
        for (const Scene& scene : scenes) {
            const LoadedShot photograph = loadShot(QString::fromLatin1(scene.file));
            if (photograph.taken())
                out.push_back(toLinear(
                    photograph.picture->copy(QRect(scene.corner, QSize(SceneSide, SceneSide)))));
        }
        return out;
    }

private slots:
    // -- the measure on real photographs --
    void blurSweepFalls()
    {
        const auto scenes = loadScenes();
        if (scenes.empty())
            QSKIP("lomiri-wallpapers-16.04 is not installed (tools/install-deps.sh)");
        for (const LinearPicture& scene : scenes) {
            double previous = 1e9;
            for (const double radius : {0.0, 1.0, 2.0, 3.0, 4.0, 6.0, 8.0}) {
                const RegionSharpness r = shot(scene, radius, 0);
                QVERIFY2(r.value < previous, qPrintable(QStringLiteral("radius %1").arg(radius)));
                previous = r.value;
                if (radius <= 2)
                    QVERIFY2(r.enoughDetail, "a detailed region is judged up to a defocus of 2 px");
            }
        }
    }

    void flickerAndCompressionKeepTheOrder()
    {
        const auto scenes = loadScenes();
        if (scenes.empty())
            QSKIP("lomiri-wallpapers-16.04 is not installed (tools/install-deps.sh)");
        const double third = 1.0 / 3;
        for (const LinearPicture& scene : scenes) {
            for (const double radius : {0.0, 1.0, 2.0}) {
                // The sharper shot a third of a stop darker, the blurrier
                // one brighter; then the sharper at q80, the blurrier at q95.
                const RegionSharpness dark = shot(scene, radius, -third);
                const RegionSharpness bright = shot(scene, radius + 1, third);
                QVERIFY(dark.enoughDetail);
                QVERIFY(dark.value > bright.value);
                QVERIFY(shot(scene, radius, third).value > shot(scene, radius + 1, -third).value);
                QVERIFY(shot(scene, radius, 0, 80).value > shot(scene, radius + 1, 0, 95).value);
                // Two thirds of a stop move the figure by 8 % at most here,
                // by a quarter if it followed the light.
                const double light = shot(scene, radius, third).value / dark.value;
                QVERIFY2(std::abs(light - 1) < 0.12, qPrintable(QString::number(light)));
            }
        }
    }

    // -- the verdict --
    void flatNoisyRegionHasTooLittleDetail_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("noise");
        for (const int level : {15, 128, 235})
            for (const double noise : {2.0, 5.0})
                QTest::addRow("grey %d, noise %g", level, noise) << level << noise;
    }

    void flatNoisyRegionHasTooLittleDetail()
    {
        QFETCH(int, level);
        QFETCH(double, noise);
        const QImage flat = cameraJpeg(noisyFlat(QSize(512, 512), level, noise, 3), 90);
        const RegionSharpness r = SharpnessMap::measure(flat).region(crop);
        QVERIFY(!r.enoughDetail);
        QCOMPARE_GT(r.measuredFraction, 0.99);
    }

    void smoothGradientHasTooLittleDetail()
    {
        // A clear sky: a slow ramp, as steep as 40 levels over the crop.
        QImage sky(512, 512, QImage::Format_RGB32);
        for (int y = 0; y < 512; ++y)
            for (int x = 0; x < 512; ++x)
                sky.setPixel(x, y, qRgb(90, 130 + (x + y) / 25, 200));
        QVERIFY(!SharpnessMap::measure(cameraJpeg(sky, 90)).region(crop).enoughDetail);
    }

    // -- the map --
    void vectorisedSumsMatchPortableOnes()
    {
        const QImage pictures[] = {noise({256, 4}, 1), stripes({256, 4}, 240, 15),
                                   stripes({256, 4}, 40, 40)};
        for (const QImage& picture : pictures) {
            const uchar* const rows[4] = {picture.constScanLine(0), picture.constScanLine(1),
                                          picture.constScanLine(2), picture.constScanLine(3)};
            for (const auto& [x0, x1] : {std::pair{0, 8}, {8, 136}, {128, 256}, {40, 72}}) {
                BandSums fast, plain;
                std::vector<quint16> fastCells(64, 1), plainCells(64, 1);
                sumBand(rows, x0, x1, fast, fastCells.data());
                sumBandPortable(rows, x0, x1, plain, plainCells.data());
                QCOMPARE(fast.level, plain.level);
                QCOMPARE(fast.fine, plain.fine);
                QCOMPARE(fast.coarse, plain.coarse);
                QCOMPARE(fast.noise, plain.noise);
                QCOMPARE(fastCells, plainCells);
            }
        }
    }

    void cropsCuttingTilesWeighTheirOverlap()
    {
        // Flat tiles of different levels: a crop's level is the mean of its
        // pixels only if each tile weighs as much as it overlaps the crop.
        const QSize size(640, 480);
        const int side = SharpnessMap::tileSizeFor(size);
        QImage picture(size, QImage::Format_RGB32);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                const int g = 10 + (x / side * 37 + y / side * 71) % 230;
                picture.setPixel(x, y, qRgb(0, g, 0));
            }
        const SharpnessMap map = SharpnessMap::measure(picture);
        for (const QRect& r : {QRect(5, 7, 50, 33), QRect(side - 1, side - 1, 2, 2),
                               QRect(123, 45, 301, 222), QRect(0, 0, 640, 480)}) {
            double sum = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    sum += qGreen(picture.pixel(x, y));
            const double expected = sum / (double(r.width()) * r.height());
            QVERIFY2(
                std::abs(map.region(r).level - expected) < 0.8,
                qPrintable(QStringLiteral("%1 against %2").arg(map.region(r).level).arg(expected)));
        }
    }

    void aCropBesideAStrongEdgeOutsideIt()
    {
        // Flat grey with a little noise, and from x = 408 on, stripes of
        // strong contrast. Tiles of 96 pixels: the tile from 384 to 479
        // holds both the crop's right edge and the stripes.
        QImage picture = noisyFlat(QSize(768, 480), 120, 1.5, 5);
        const QImage striped = stripes({360, 480}, 120, 90);
        for (int y = 0; y < 480; ++y)
            std::copy_n(reinterpret_cast<const QRgb*>(striped.constScanLine(y)), 360,
                        reinterpret_cast<QRgb*>(picture.scanLine(y)) + 408);
        picture = cameraJpeg(picture, 92);
        const SharpnessMap map = SharpnessMap::measure(picture, 96);
        QCOMPARE(map.tileSize(), 96);
        // The crop ends 12 pixels before the stripes, inside that tile.
        const RegionSharpness beside = map.region(QRect(196, 100, 200, 200));
        const RegionSharpness away = map.region(QRect(40, 100, 200, 200));
        QVERIFY(!beside.enoughDetail);
        QVERIFY2(std::abs(beside.value / away.value - 1) < 0.05,
                 qPrintable(QStringLiteral("%1 against %2").arg(beside.value).arg(away.value)));
        // A crop over the stripes and the flat part alike is judged on both.
        QVERIFY(map.region(QRect(300, 100, 200, 200)).enoughDetail);
    }

    void aCropTakesTheLevelOfItsOwnPartOfATile()
    {
        // Tiles of 128 pixels, bright on their left half and dark on their
        // right: a crop of the dark halves alone is dark, not the mean.
        QImage picture(512, 256, QImage::Format_RGB32);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 512; ++x)
                picture.setPixel(x, y, x % 128 < 64 ? qRgb(200, 200, 200) : qRgb(40, 40, 40));
        const SharpnessMap map = SharpnessMap::measure(picture, 128);
        QVERIFY(std::abs(map.region(QRect(64, 10, 64, 200)).level - 40) < 0.5);
        QVERIFY(std::abs(map.region(QRect(0, 10, 64, 200)).level - 200) < 0.8);
        QVERIFY(std::abs(map.region(QRect(32, 10, 64, 200)).level - 120) < 0.8);
    }

    void cropsOutsideThePicture()
    {
        const SharpnessMap map = SharpnessMap::measure(stripes({645, 483}, 100, 30));
        const RegionSharpness inside = map.region(QRect(100, 100, 200, 200));
        QVERIFY(inside.enoughDetail);
        QCOMPARE(inside.measuredFraction, 1.0);

        // Half outside: the half inside is what counts.
        const RegionSharpness half = map.region(QRect(-200, 100, 400, 200));
        QCOMPARE(half.measuredFraction, 0.5);
        QVERIFY(std::abs(half.value - map.region(QRect(0, 100, 200, 200)).value) < 1e-9);

        // Nothing measured: wholly outside, in the last columns that do not
        // make a whole strip, empty, inverted or absurd.
        for (const QRect& r : {QRect(700, 0, 100, 100), QRect(-300, -300, 100, 100),
                               QRect(641, 10, 4, 100), QRect(10, 10, 0, 0), QRect(50, 50, -20, 30),
                               QRect(QPoint(INT_MIN, INT_MIN), QPoint(INT_MIN + 10, INT_MAX))}) {
            const RegionSharpness none = map.region(r);
            QCOMPARE(none.value, 0.0);
            QVERIFY(!none.enoughDetail);
            QCOMPARE(none.measuredFraction, 0.0);
        }
        // The whole plane: only the picture counts, and nothing overflows.
        const RegionSharpness all =
            map.region(QRect(QPoint(INT_MIN, INT_MIN), QPoint(INT_MAX, INT_MAX)));
        QVERIFY(std::abs(all.value - map.region(QRect(0, 0, 640, 480)).value) < 1e-9);
    }

    void oddPictures()
    {
        for (const QImage& picture : {QImage(), QImage(7, 100, QImage::Format_RGB32),
                                      QImage(100, 3, QImage::Format_RGB32)}) {
            const SharpnessMap map = SharpnessMap::measure(picture);
            QVERIFY(map.isEmpty());
            QCOMPARE(map.region(QRect(0, 0, 10, 10)).measuredFraction, 0.0);
        }
        // Other formats are measured as their RGB32 conversion.
        const QImage rgb = noise({96, 64}, 5);
        const double expected = SharpnessMap::measure(rgb).region(QRect(0, 0, 96, 64)).value;
        for (const auto format : {QImage::Format_ARGB32, QImage::Format_RGB888}) {
            const SharpnessMap map = SharpnessMap::measure(rgb.convertToFormat(format));
            QCOMPARE(map.region(QRect(0, 0, 96, 64)).value, expected);
        }
    }

    void memoryWithinBudget_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addRow("45 MP") << QSize(8256, 5504);
        QTest::addRow("45 MP upright") << QSize(5504, 8256);
        QTest::addRow("24 MP") << QSize(6000, 4000);
        QTest::addRow("12 MP, 4:3") << QSize(4000, 3000);
        QTest::addRow("panorama") << QSize(16000, 1000);
        QTest::addRow("small") << QSize(64, 48);
    }

    void memoryWithinBudget()
    {
        QFETCH(QSize, size);
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(qRgb(90, 120, 150));
        const SharpnessMap map = SharpnessMap::measure(picture);
        QCOMPARE_LE(map.memoryBytes(), SharpnessMap::MemoryBudget);
        QCOMPARE(map.tileSize() % 8, 0);
        // The tiles cover the picture but for its last partial strip.
        QCOMPARE_GE(map.tileCount().width() * map.tileSize(), size.width() / 8 * 8);
        QCOMPARE_GE(map.tileCount().height() * map.tileSize(), size.height() / 4 * 4);
        QVERIFY(std::abs(map.region(QRect(QPoint(0, 0), size)).level - 120) < 0.8);

        // Beside its map, a shot keeps its figures in the focus map, and a
        // kilobyte of names and figures: all within the shot's budget.
        FocusMap one;
        one.add(1, map);
        FocusMap two;
        two.add(1, map);
        two.add(2, map);
        const std::size_t figures = two.memoryBytes() - one.memoryBytes();
        QCOMPARE_LE(map.memoryBytes() + figures + 1024, SharpnessMap::ShotBudget);
    }
};

QTEST_GUILESS_MAIN(TestSharpness)
#include "tst_sharpness.moc"
