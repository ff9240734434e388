// The focus map: its tiles over the frame, the session's sharpest shot of
// each tile kept shot after shot, and the shortlist of shots to stack.
#include "focus/FocusMap.h"
#include "focus/RegionJudgement.h"
#include "focus/SharpnessMap.h"
#include "focus/StackCover.h"
#include "focus/TileJudge.h"
#include "focus/TiltedSubject.h"

#include <QRandomGenerator>
#include <QTest>

#include <cmath>
#include <numeric>

using namespace kelvaris;
using kelvaris::test::tiltedSubject;

namespace {

// The mean column of the tiles of shot `id` tinted `tint`; -1 when none.
double meanColumn(const FocusMap& map, int id, TileTint tint)
{
    const std::vector<TileTint> tints = map.tints(id);
    const int columns = map.gridOf(id).columns();
    double sum = 0;
    int count = 0;
    for (int t = 0; t < int(tints.size()); ++t) {
        if (tints[std::size_t(t)] == tint) {
            sum += t % columns;
            ++count;
        }
    }
    return count ? sum / count : -1;
}

std::vector<qfloat16> figures(std::initializer_list<float> values)
{
    std::vector<qfloat16> out;
    for (float v : values)
        out.push_back(qfloat16(v));
    return out;
}

} // namespace

class TestFocusMap : public QObject
{
    Q_OBJECT

private slots:
    // A tile judged shot by shot as maps arrive says what the curve says of
    // the same region judged over the whole session at once: sessions of
    // random figures, quiet and noisy, detailed and flat.
    void aTileIsJudgedAsTheCurveJudgesItsRegion()
    {
        QRandomGenerator random(17);
        int noisy = 0, detailed = 0;
        for (int session = 0; session < 400; ++session) {
            const int count = 1 + int(random.bounded(12));
            const double noiseScale = random.bounded(2) ? 0.001 : 0.2;
            const double detailScale = random.bounded(2) ? 1.0 : 8.0;
            std::vector<RegionSharpness> shots(static_cast<std::size_t>(count));
            TileJudge judge;
            for (int i = 0; i < count; ++i) {
                RegionSharpness& shot = shots[std::size_t(i)];
                shot.measuredFraction = random.bounded(8) ? 1.0 : 0.0; // some not measured yet
                shot.level = 40 + random.bounded(180.0);
                shot.coarser = random.bounded(20.0);
                shot.coarse = shot.coarser + random.bounded(detailScale);
                shot.fine = shot.coarse * (0.5 + random.bounded(2.0));
                shot.noise = shot.fine * noiseScale * random.bounded(1.0);
                shot.coarseNoise = random.bounded(0.2);
                judge.add(100 + i, shot); // ids grow with the order of the shots
            }
            const RegionJudgement whole = judgeRegion(shots);
            QCOMPARE(judge.detailed(), whole.enoughDetail);
            QCOMPARE(judge.scales(), whole.scales);
            QCOMPARE(judge.bestShot(), whole.best < 0 ? -1 : 100 + whole.best);
            noisy += whole.scales == FigureScales::Coarse;
            detailed += whole.enoughDetail;
        }
        // Both scales and both verdicts were tried.
        QVERIFY(noisy > 50 && noisy < 350);
        QVERIFY(detailed > 50 && detailed < 350);
    }

    void theGridFitsTheFrame_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::newRow("3:2") << QSize(6000, 4000) << 24 << 16;
        QTest::newRow("upright") << QSize(4000, 6000) << 16 << 24;
        QTest::newRow("4:3") << QSize(4000, 3000) << 24 << 18;
        QTest::newRow("square") << QSize(1000, 1000) << 24 << 24;
        QTest::newRow("a strip") << QSize(5000, 3) << 24 << 1;
        QTest::newRow("tiny") << QSize(5, 7) << 17 << 24;
    }
    void theGridFitsTheFrame()
    {
        QFETCH(QSize, picture);
        QFETCH(int, columns);
        QFETCH(int, rows);
        const TileGrid grid = TileGrid::forPicture(picture);
        QCOMPARE(grid.columns(), columns);
        QCOMPARE(grid.rows(), rows);
        // The tiles share out the picture and the overview alike, without
        // gap or overlap, and a point falls in the tile that holds it.
        for (const QSize area : {picture, QSize(303, 202), QSize(7, 5)}) {
            qint64 covered = 0;
            for (int t = 0; t < grid.count(); ++t) {
                const QRect tile = grid.tileRectIn(t, area);
                covered += qint64(tile.width()) * tile.height();
                if (!tile.isEmpty()) {
                    QCOMPARE(grid.tileAt(tile.topLeft(), area), t);
                    QCOMPARE(grid.tileAt(QPointF(tile.right() + 0.99, tile.bottom() + 0.99), area),
                             t);
                }
            }
            QCOMPARE(covered, qint64(area.width()) * area.height());
            QCOMPARE(grid.tileAt(QPointF(area.width(), 0), area), -1);
            QCOMPARE(grid.tileAt(QPointF(-0.5, 0), area), -1);
        }
    }

    void aCropTouchesTheTilesUnderIt()
    {
        const TileGrid grid = TileGrid::forPicture({6000, 4000}); // tiles of 250 px
        QCOMPARE(grid.tilesTouching(QRectF(0, 0, 250, 250)), std::vector<int>{0});
        QCOMPARE(grid.tilesTouching(QRectF(240, 490, 20, 20)),
                 (std::vector<int>{24 + 0, 24 + 1, 48 + 0, 48 + 1}));
        // Cut to the picture; nothing outside it.
        QCOMPARE(grid.tilesTouching(QRectF(5900, -100, 400, 150)), std::vector<int>{23});
        QVERIFY(grid.tilesTouching(QRectF(6000, 0, 100, 100)).empty());
    }

    void theSharpBandWalksAcrossTheTiltedSubject()
    {
        // The focus ring turns from the near left to the far right; a flat
        // strip on the left has nothing to judge.
        FocusMap map;
        const double focus[] = {0.15, 0.35, 0.55, 0.75, 0.95};
        for (int id = 1; id <= 5; ++id)
            map.add(id, SharpnessMap::measure(tiltedSubject(960, 640, focus[id - 1], 3, 80)));
        QCOMPARE(map.size(), 5);
        double previous = -1;
        for (int id = 1; id <= 5; ++id) {
            const double best = meanColumn(map, id, TileTint::Best);
            QVERIFY2(best > previous, qPrintable(QStringLiteral("shot %1: %2").arg(id).arg(best)));
            // Where the shot is sharp, it is the best the session has.
            QVERIFY(std::abs(best - (focus[id - 1] * 24 - 0.5)) <= 1);
            previous = best;
            // The flat strip stays untinted, the tiles far from focus short.
            const std::vector<TileTint> tints = map.tints(id);
            QCOMPARE(tints[0], TileTint::None);
            QCOMPARE(tints[std::size_t(24) * 8], TileTint::None);
            QVERIFY(meanColumn(map, id, TileTint::Short) >= 0);
        }
        // Hovering a tile names the shot that was sharpest there.
        const int middle = 8 * 24 + 13; // a column at 0.56 of the width
        QCOMPARE(map.standing(1, middle).sharpestShot, 3);
        QVERIFY(map.standing(1, middle).ratio < FocusMap::Near);
        QVERIFY(map.standing(3, middle).ratio > 0.999);
        QVERIFY(!map.standing(3, 0).detailed);
    }

    void bestsKeptAsMapsArriveMatchASecondLook()
    {
        // Whatever the order the maps come in, the session's judgement is
        // the one a look over every shot gives.
        std::vector<SharpnessMap> maps;
        for (double focus : {0.8, 0.2, 0.5})
            maps.push_back(SharpnessMap::measure(tiltedSubject(480, 320, focus, 2)));
        FocusMap inOrder, backwards;
        for (int i = 0; i < 3; ++i) {
            inOrder.add(i + 1, maps[std::size_t(i)]);
            backwards.add(3 - i, maps[std::size_t(2 - i)]);
        }
        for (int id = 1; id <= 3; ++id) {
            QCOMPARE(inOrder.tints(id), backwards.tints(id));
            for (int t = 0; t < inOrder.gridOf(id).count(); ++t)
                QCOMPARE(inOrder.standing(id, t).sharpestShot,
                         backwards.standing(id, t).sharpestShot);
        }
    }

    void figuresAreKeptWithinAQuarterPercent()
    {
        for (double figure = 1.0 / 2048; figure < 1 << 20; figure *= 1.37) {
            const double kept = FocusMap::figureOf(FocusMap::figureCode(figure));
            QVERIFY2(std::abs(kept / figure - 1) < 0.0028, qPrintable(QString::number(figure)));
        }
        // Nothing stays nothing; what lies beyond the range is held at its ends.
        for (double nothing : {0.0, -3.0, std::nan("")})
            QCOMPARE(FocusMap::figureOf(FocusMap::figureCode(nothing)), 0.0f);
        QVERIFY(FocusMap::figureOf(FocusMap::figureCode(1e-9)) > 0);
        QCOMPARE(FocusMap::figureOf(FocusMap::figureCode(1e12)),
                 FocusMap::figureOf(FocusMap::figureCode(1 << 20)));
    }

    void onlyShotsOfTheSameSizeCompare()
    {
        FocusMap map;
        map.add(1, SharpnessMap::measure(tiltedSubject(480, 320, 0.2, 2)));
        map.add(2, SharpnessMap::measure(tiltedSubject(480, 320, 0.8, 2)));
        const std::vector<TileTint> before = map.tints(1);
        // The same scene at half the size: sharper per pixel everywhere.
        map.add(3, SharpnessMap::measure(tiltedSubject(240, 160, 0.5, 0)));
        map.add(2, SharpnessMap::measure(tiltedSubject(480, 320, 0.5, 0))); // already in
        QCOMPARE(map.size(), 3);
        QCOMPARE(map.tints(1), before);
        const StackChoice stack = map.stack(1);
        QCOMPARE(stack.picks.size(), std::size_t(2));
        QVERIFY(std::find(stack.picks.begin(), stack.picks.end(), 3) == stack.picks.end());
        QCOMPARE(map.stack(3).picks, std::vector<int>{3});
        // An unknown shot has no map.
        QVERIFY(map.tints(9).empty());
        QVERIFY(map.stack(9).picks.empty());
        map.clear();
        QVERIFY(map.tints(1).empty());
    }

    void theStackOfAKnownSession()
    {
        // Ten detailed tiles (best 1), two without detail (best 0). Shot 1
        // is within 95 % on tiles 2 to 6, shot 3 on 7 to 9, shot 0 on 0 to
        // 3; two shots never cover the ten, and shot 4, at 90 % everywhere,
        // covers nothing.
        const std::vector<qfloat16> shots[] = {
            figures({1, 1, 1, 1, .5, .5, .5, .5, .5, .5, 1, 1}),
            figures({.5, .5, .97f, .97f, .95f, .96f, .97f, .5, .5, .5, 0, 0}),
            figures({.5, .5, .5, .5, 1, 1, 1, 1, .5, .5, 0, 0}),
            figures({.5, .5, .5, .5, .5, .5, .5, 1, 1, 1, 1, 1}),
            figures({.9f, .9f, .9f, .9f, .9f, .9f, .9f, .9f, .9f, .9f, .9f, .9f}),
        };
        std::vector<const qfloat16*> candidates;
        for (const auto& shot : shots)
            candidates.push_back(shot.data());
        std::vector<float> best{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
        StackChoice choice = coverStack(candidates, best, FocusMap::AtBest);
        QCOMPARE(choice.picks, (std::vector<int>{1, 3, 0}));
        QCOMPARE(choice.tiles, 10);
        QCOMPARE(choice.covered, 10);
        QCOMPARE(stackText({QStringLiteral("IMG_0001"), QStringLiteral("IMG_0002"),
                            QStringLiteral("IMG_0004")},
                           choice),
                 QStringLiteral("Pile\u00a0: IMG_0001, IMG_0002, IMG_0004 (3\u00a0prises "
                                "couvrent 100\u00a0% des zones détaillées)"));

        // Narrowed to tiles 7 to 9: one shot. Equal shots: the first.
        best = {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0};
        candidates.insert(candidates.begin() + 3, shots[3].data());
        choice = coverStack(candidates, best, FocusMap::AtBest);
        QCOMPARE(choice.picks, std::vector<int>{3});
        QCOMPARE(stackText({QStringLiteral("IMG_0004")}, choice),
                 QStringLiteral("Pile\u00a0: IMG_0004 (1\u00a0prise couvre 100\u00a0% des zones "
                                "détaillées)"));

        // A tile no candidate reaches (its best shot not among them).
        best = {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2};
        choice = coverStack(candidates, best, FocusMap::AtBest);
        QCOMPARE(choice.picks, std::vector<int>{0});
        QCOMPARE(
            stackText({QStringLiteral("IMG_0001")}, choice).contains(QStringLiteral("66\u00a0%")),
            true);

        // Nothing detailed.
        choice = coverStack(candidates, std::vector<float>(12, 0), FocusMap::AtBest);
        QVERIFY(choice.picks.empty());
        QCOMPARE(stackText({}, choice),
                 QStringLiteral("Pile\u00a0: trop peu de détails pour choisir des prises"));
    }

    void aLongShortlistNamesItsFirstShots()
    {
        StackChoice choice;
        choice.tiles = choice.covered = 300;
        QStringList names;
        for (int i = 1; i <= 11; ++i)
            names << QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
        choice.picks.resize(11);
        const QString text = stackText(names, choice);
        QVERIFY(text.startsWith(QStringLiteral("Pile\u00a0: IMG_0001, ")));
        QVERIFY(text.contains(QStringLiteral("IMG_0008 et 3\u00a0autres (11\u00a0prises")));
        QVERIFY(!text.contains(QStringLiteral("IMG_0009")));
        // A name with a placeholder of its own is shown as it is.
        QVERIFY(stackText({QStringLiteral("%1%2")}, choice)
                    .startsWith(QStringLiteral("Pile\u00a0: %1%2 (")));
    }

    void theStackOfTheTiltedSweepCoversEveryDetailedTile()
    {
        // Steps of an eighth of the depth, each shot sharp over a quarter of
        // it: the bands overlap, and some shots are not needed.
        FocusMap map;
        for (int id = 1; id <= 9; ++id)
            map.add(id, SharpnessMap::measure(tiltedSubject(480, 320, (id - 1) / 8.0, 3, 0, 0.75)));
        const StackChoice all = map.stack(9);
        QCOMPARE(all.covered, all.tiles);
        QCOMPARE(all.tiles, 24 * 16);
        QVERIFY2(all.picks.size() >= 4 && all.picks.size() < 9,
                 qPrintable(QString::number(all.picks.size())));
        // Narrowed to the left edge's tiles: the first shot alone.
        const std::vector<int> left = map.gridOf(9).tilesTouching(QRectF(0, 0, 10, 320));
        QCOMPARE(map.stack(9, &left).picks, std::vector<int>{1});
    }
};

QTEST_MAIN(TestFocusMap)
#include "tst_focusmap.moc"
