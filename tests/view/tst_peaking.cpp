// Focus peaking: what it outlines and what it leaves, on shots as a camera
// writes them, and the crop of a pane it measures.
#include "focus/ShotSimulation.h"
#include "view/Peaking.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>

using namespace kelvaris;
using kelvaris::simulation::cameraJpeg;
using kelvaris::simulation::noisyFlat;

namespace {

const QRgb Ink = qRgb(255, 0, 220);

// A vertical edge from `dark` to `light` at `edgeX` (the step between
// edgeX - 1 and edgeX), blurred by a Gaussian of `sigma` pixels (0: sharp).
int edgeLevel(int x, int edgeX, double sigma, int dark, int light)
{
    const double t = sigma > 0 ? 0.5 * (1 + std::erf((x + 0.5 - edgeX) / (sigma * M_SQRT2)))
                               : (x >= edgeX ? 1.0 : 0.0);
    return int(std::lround(dark + t * (light - dark)));
}

QImage grey(QSize size, const std::function<int(int x, int y)>& level, double noise = 0,
            quint32 seed = 3)
{
    QRandomGenerator random(seed);
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            double n = 0;
            if (noise > 0) {
                const double u = std::max(random.generateDouble(), 1e-12);
                n = noise * std::sqrt(-2 * std::log(u)) *
                    std::cos(2 * M_PI * random.generateDouble());
            }
            const int v = std::clamp(int(std::lround(level(x, y) + n)), 0, 255);
            row[x] = qRgb(v, v, v);
        }
    }
    return image;
}

bool marked(const QImage& marks, int x, int y)
{
    return qAlpha(marks.pixel(x, y)) != 0;
}

// The rows of [top, bottom] with a mark in columns [left, right].
int rowsMarked(const QImage& marks, int left, int right, int top, int bottom)
{
    int rows = 0;
    for (int y = top; y <= bottom; ++y) {
        bool any = false;
        for (int x = left; x <= right; ++x)
            any = any || marked(marks, x, y);
        rows += any;
    }
    return rows;
}

int marksOf(const QImage& marks)
{
    int count = 0;
    for (int y = 0; y < marks.height(); ++y)
        for (int x = 0; x < marks.width(); ++x)
            count += marked(marks, x, y);
    return count;
}

} // namespace

class TestPeaking : public QObject
{
    Q_OBJECT

private slots:
    void aSharpEdgeAndNotItsBlurredTwin_data()
    {
        QTest::addColumn<int>("stroke"); // 0: an edge; else a dark stroke so many pixels wide
        QTest::addColumn<double>("blur");
        QTest::newRow("edge") << 0 << 2.5;
        QTest::newRow("stroke of 2 pixels") << 2 << 2.0;
        QTest::newRow("stroke of 1 pixel") << 1 << 2.0;
    }
    void aSharpEdgeAndNotItsBlurredTwin()
    {
        QFETCH(int, stroke);
        QFETCH(double, blur);
        // The same edge or stroke, sharp in the top half, blurred in the
        // bottom half, as a camera writes them (quality 90, 4:2:0).
        const auto level = [&](int x, int y) {
            const double sigma = y < 64 ? 0 : blur;
            if (stroke == 0)
                return edgeLevel(x, 100, sigma, 60, 190);
            // Light paper, the stroke dark from x = 100 on.
            return 200 - edgeLevel(x, 100, sigma, 0, 150) +
                   edgeLevel(x, 100 + stroke, sigma, 0, 150);
        };
        const QImage shot = cameraJpeg(grey({256, 128}, level, 1.5), 90);
        QVERIFY(!shot.isNull());
        const QImage marks = focusPeaking(shot, shot.rect(), Ink);
        QCOMPARE(marks.size(), shot.size());
        QCOMPARE(marks.pixel(100, 20), Ink);
        QVERIFY(rowsMarked(marks, 98, 101 + stroke, 2, 61) >= 54);
        QCOMPARE(rowsMarked(marks, 0, 255, 66, 125), 0);
        // Nothing but the edge or the stroke.
        QVERIFY(marksOf(marks) <= (4 + stroke) * 64);

        // A crop of the blurred half alone is measured on its own: its
        // edge is still no sharper.
        const QImage lower = focusPeaking(shot, QRect(60, 70, 80, 50), Ink);
        QCOMPARE(lower.size(), QSize(80, 50));
        QCOMPARE(marksOf(lower), 0);
    }

    void noBlockGridOnAFlatHeavilyCompressedRegion()
    {
        // A gentle slope under a little noise, compressed as hard as JPEG
        // goes: flat 8x8 blocks that step by several levels at their edges.
        const QImage shot =
            cameraJpeg(grey(
                           {256, 256}, [](int x, int y) { return 40 + (x + y) * 180 / 510; }, 2),
                       3);
        int blockSteps = 0;
        for (int y = 0; y < 256; ++y)
            for (int x = 7; x + 1 < 256; x += 8)
                blockSteps += std::abs(qGreen(shot.pixel(x + 1, y)) - qGreen(shot.pixel(x, y))) >=
                              peaking::Threshold;
        QVERIFY2(blockSteps > 200, qPrintable(QString::number(blockSteps)));
        QCOMPARE(marksOf(focusPeaking(shot, shot.rect(), Ink)), 0);
        QCOMPARE(marksOf(focusPeaking(shot, QRect(13, 21, 150, 150), Ink)), 0);
    }

    void theThresholdFollowsTheNoise_data()
    {
        QTest::addColumn<double>("noise");
        QTest::newRow("ISO 100") << 1.0;
        QTest::newRow("ISO 800") << 3.0;
        QTest::newRow("ISO 3200") << 8.0;
    }
    void theThresholdFollowsTheNoise()
    {
        QFETCH(double, noise);
        // A sharp edge of 90 levels on grey grain of `noise` levels.
        const QImage shot = cameraJpeg(
            grey(
                {256, 128}, [](int x, int) { return edgeLevel(x, 99, 0, 80, 170); }, noise, 5),
            95);
        const QImage marks = focusPeaking(shot, shot.rect(), Ink);
        QVERIFY(rowsMarked(marks, 97, 100, 0, 127) >= 115);
        int stray = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 256; ++x)
                stray += (x < 94 || x > 104) && marked(marks, x, y);
        QVERIFY2(stray <= 256 * 128 / 1000, qPrintable(QString::number(stray)));
    }

    void faintTextureBesideStrongEdgesIsLeft()
    {
        // Crisp bars of 140 levels on the left, sharp but faint grain of a
        // dozen levels on the right: the bars stand out, the grain does not.
        QRandomGenerator random(9);
        QImage shot(256, 128, QImage::Format_RGB32);
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 256; ++x) {
                const int v = x < 128 ? ((x / 4) % 2 ? 200 : 60) : 122 + int(random.bounded(13));
                shot.setPixel(x, y, qRgb(v, v, v));
            }
        const QImage marks = focusPeaking(shot, shot.rect(), Ink);
        QVERIFY(rowsMarked(marks, 8, 120, 0, 127) == 128);
        QCOMPARE(rowsMarked(marks, 136, 255, 0, 127), 0);
    }

    void oddCropsAndPictures()
    {
        const QImage flat = noisyFlat({40, 30}, 100, 2, 1);
        // Cut to the picture.
        QCOMPARE(focusPeaking(flat, QRect(30, 20, 50, 50), Ink).size(), QSize(10, 10));
        QVERIFY(focusPeaking(flat, QRect(40, 0, 10, 10), Ink).isNull());
        QVERIFY(focusPeaking(QImage(), QRect(0, 0, 10, 10), Ink).isNull());
        QCOMPARE(focusPeaking(flat.copy(0, 0, 1, 1), QRect(0, 0, 1, 1), Ink).size(), QSize(1, 1));
        // Another pixel format is read all the same.
        const QImage edge = grey({64, 32}, [](int x, int) { return edgeLevel(x, 30, 0, 40, 200); });
        const QImage indexed = edge.convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(focusPeaking(indexed, indexed.rect(), Ink), focusPeaking(edge, edge.rect(), Ink));
    }

    void theCropAPaneShows_data()
    {
        QTest::addColumn<QRect>("shown");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("crop");
        const QSize shot(6000, 4000);
        QTest::newRow("at its corner")
            << QRect(0, 0, 6000, 4000) << shot << 1.0 << QRect(0, 0, 193, 193);
        QTest::newRow("panned") << QRect(-2900, -1900, 6000, 4000) << shot << 1.0
                                << QRect(2900, 1900, 193, 193);
        QTest::newRow("its far corner")
            << QRect(-5900, -3950, 6000, 4000) << shot << 1.0 << QRect(5900, 3950, 100, 50);
        QTest::newRow("two device pixels a pixel")
            << QRect(-1000, -500, 3000, 2000) << shot << 2.0 << QRect(2000, 1000, 386, 386);
        QTest::newRow("smaller than the pane")
            << QRect(20, 30, 100, 80) << QSize(100, 80) << 1.0 << QRect(0, 0, 100, 80);
        QTest::newRow("dragged away") << QRect(300, 0, 6000, 4000) << shot << 1.0 << QRect();
    }
    void theCropAPaneShows()
    {
        QFETCH(QRect, shown);
        QFETCH(QSize, pixels);
        QFETCH(double, ratio);
        QFETCH(QRect, crop);
        QCOMPARE(paneCrop(QRect(0, 0, 193, 193), shown, pixels, ratio), crop);
    }
};

QTEST_MAIN(TestPeaking)
#include "tst_peaking.moc"
