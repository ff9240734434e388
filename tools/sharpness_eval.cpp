// The evidence for the focus figure and its verdict: real photographs made
// into focusing sessions, measured through the program's own maps and
// session as the program measures them. Takes about ten minutes.
//
//   sharpness_eval [--regions N] [--seed S] [--root DIR] [--verbose] [--crops]
//
// The photographs (25): lomiri-wallpapers-16.04 (landscapes, still lifes)
// and mate-backgrounds' nature/ (close-ups of leaves, drops, wood grain, storm
// clouds, a ladybird), rendered pictures left out (EvalPhotographs). A
// region is "detailed" when 5 % of its pixels have a green gradient of 10
// levels per pixel or more, "flat" when under 0.5 % reach 8, both on the
// photograph itself, independently of the measure.
//
// A session (EvalSessions): nine shots sweeping through focus, the best
// focus at shot 2 to 6 in half steps (half-way between two shots in four
// draws out of nine), each shot away from it adding 0.4 to 1.33 pixels of
// defocus radius (0 to 8 px, a disk in linear light). Then, as a condition
// says: a sensor's photon and read noise (full well 25,000 e- at ISO 100, 8
// and 32 times less at ISO 800 and 3200; read noise 3, 2, 1.6 e-), flicker
// (each shot -1/3 to +1/3 stop), JPEG 4:2:0 at a quality of 85 to 98 (one
// per session, or one per shot with "everything"), and with "everything"
// shifts of 0 to 2 px between shots and two shaken shots (a stroke of 2 to
// 4 px in any direction). The map is measured with the tiles a 24 MP shot
// has, the crop anywhere on them. "Truly sharpest": a steady shot of the
// smallest defocus (ties count). The best focus's error is in shots.
//
// Results (seed 7, 12 regions a photograph: 244 detailed 450 px regions;
// the thresholds were chosen on seed 11, the best focus's fall on seeds 11
// and 7 together):
//
//   condition             sharpest  shaken  none  Tenengrad:        best focus between shots:
//                                                 sharpest shaken  shown   median  90th
//   clean (ISO 100)         100.0 %     0   0.0 %  100.0 %     0   92.6 %    0.01  0.07
//   flicker (ISO 100)        99.6 %     0   0.0 %   89.3 %     0   93.0 %    0.03  0.10
//   ISO 100, everything      93.9 %    11   0.0 %   84.8 %    14   84.8 %    0.06  0.24
//   ISO 800, everything      92.6 %    12   0.0 %   84.0 %    13   79.5 %    0.09  0.29
//   ISO 3200, everything     92.2 %    14   0.0 %   87.7 %     9   73.8 %    0.08  0.23
//   ISO 3200, one quality    94.3 %     7   0.0 %   82.4 %    12   73.4 %    0.08  0.26
//
//   Seed 11 (249 regions), best focus between shots with everything at
//   ISO 100, 800, 3200: shown in 79.5, 75.5, 71.1 %, median 0.07, 0.07,
//   0.06, 90th percentile 0.21, 0.26, 0.23.
//   Sharpest by the fine scales alone at ISO 3200, everything: 84.0 %; by
//   the coarse ones alone: 92.2 % (the session chooses them in 99 % there,
//   in 6 to 9 % of the ISO 100 sessions).
//   Flat 200 px regions judged detailed: 12 MP 1.39, 1.39, 0.69 % of 1296
//   shots at ISO 100, 800, 3200 with everything; 24 MP 0.69, 0.69, 0.00 %.
//   The figure of 200 px crops against the exact one: median error 1.3 %,
//   90th percentile 5.8 %, 95th 9.1 % (1512 shots); as the curve shows it,
//   each shot's share of the session's best: median 0.5 %, 90th percentile
//   1.8 %, 95th 2.5 %.
//
// Against the targets: named best truly sharpest >= 99 % clean, >= 90 % in
// flicker, >= 88 % at ISO 800 and >= 85 % at ISO 3200 with everything:
// reached. No shot named in <= 4 % of detailed ISO 100 sessions: reached
// (none). Flat regions judged detailed <= 2 %: reached. Best focus between
// shots, median <= 0.1 and 90th percentile <= 0.3 shot: reached in every
// condition on both seeds (the V through 1 / figure, one or two shots less
// sharp than it left out, arms that fall by a tenth at least; shown in
// 92 % of the sessions in steady light, 71 to 85 % with everything). The
// figure of a 200 px crop within 5 % of its exact value: as the curve
// shows it, and at the median; not at the 90th percentile of the figure
// itself (5.8 %), whose divisor, the mean level, the map keeps for
// quarters of a tile (32-pixel parts would bring it to 3.2 % and cost 12
// more bytes a tile, over the 32 KB a shot). No shaken shot ever named:
// NOT reached, 4.5 to 5.7 % of the sessions with shaken shots, about as
// often as Tenengrad names one (a stroke of 2 px at best focus keeps more detail
// than a steady shot a whole step of defocus away; see SharpnessMap.h for
// what was tried).

#include "EvalExact.h"
#include "EvalPhotographs.h"
#include "EvalSessions.h"
#include "EvalTally.h"

#include "capture/ShotLoader.h"
#include "focus/FocusSession.h"
#include "focus/SharpnessMap.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace kelvaris;
using namespace kelvaris::eval;

namespace {

const Condition conditions[] = {
    {"clean (ISO 100)", 100, false, false},
    {"flicker (ISO 100)", 100, true, false},
    {"ISO 100, everything", 100, true, true},
    {"ISO 800, everything", 800, true, true},
    {"ISO 3200, everything", 3200, true, true},
    // As a camera does: one JPEG quality for the session.
    {"ISO 3200, one quality", 3200, true, true, false},
};
constexpr int ConditionCount = int(std::size(conditions));

// Gradient energy (Tenengrad: the mean squared Sobel magnitude of the
// green channel) over the crop: the classic operator to compare with.
double tenengrad(const QImage& shot, const QRect& crop)
{
    double sum = 0;
    for (int y = crop.top(); y <= crop.bottom(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(shot.constScanLine(y - 1));
        const auto* b = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        const auto* c = reinterpret_cast<const QRgb*>(shot.constScanLine(y + 1));
        for (int x = crop.left(); x <= crop.right(); ++x) {
            const int gx = qGreen(a[x + 1]) + 2 * qGreen(b[x + 1]) + qGreen(c[x + 1]) -
                           qGreen(a[x - 1]) - 2 * qGreen(b[x - 1]) - qGreen(c[x - 1]);
            const int gy = qGreen(c[x - 1]) + 2 * qGreen(c[x]) + qGreen(c[x + 1]) -
                           qGreen(a[x - 1]) - 2 * qGreen(a[x]) - qGreen(a[x + 1]);
            sum += double(gx) * gx + double(gy) * gy;
        }
    }
    return sum;
}

SessionCurve measureSession(const std::vector<QImage>& shots, const QRect& crop, int tileSize,
                            std::vector<RegionSharpness>& regions)
{
    FocusSession session;
    for (const QImage& shot : shots) {
        SessionShot s;
        s.map = std::make_shared<const SharpnessMap>(SharpnessMap::measure(shot, tileSize));
        regions.push_back(s.map->region(crop));
        session.add(std::move(s));
    }
    return session.curve(crop);
}

void detailedSession(const simulation::LinearPicture& linear, const QRect& crop, int tileSize,
                     QRandomGenerator& random, DetailedTally* tallies, bool verbose,
                     const QString& name)
{
    const Sweep sweep = drawSweep(random);
    const SessionScene scene(linear, crop, tileSize, sweep, random);
    for (int c = 0; c < ConditionCount; ++c) {
        const Condition& condition = conditions[c];
        const std::vector<QImage> shots = scene.shots(condition, random);
        std::vector<RegionSharpness> regions;
        const SessionCurve curve = measureSession(shots, scene.crop(), tileSize, regions);
        // Shots are steady outside "everything".
        Sweep truth = sweep;
        if (!condition.everything)
            truth.shakeLength.fill(0);
        int byTenengrad = 0;
        double best = -1;
        for (int i = 0; i < SweepLength; ++i) {
            const double t = tenengrad(shots[std::size_t(i)], scene.crop());
            if (t > best) {
                best = t;
                byTenengrad = i;
            }
        }
        tallies[c].add(truth, curve, regions, byTenengrad);
        const int named = curve.bestSharpness;
        if (verbose && !(named >= 0 && truth.trulySharpest(named))) {
            std::printf("  miss, %s: %s (%d,%d), best %.1f step %.2f, named %d:", condition.name,
                        qPrintable(name), crop.x(), crop.y(), sweep.best, sweep.step, named);
            for (int i = 0; i < SweepLength; ++i)
                std::printf(" %s%.4f%s", truth.shaken(i) ? "~" : "",
                            curve.points[std::size_t(i)].sharpness,
                            curve.points[std::size_t(i)].enoughDetail ? "" : "?");
            std::printf("\n");
        }
    }
}

// The conditions with noise and everything, for the flat regions.
constexpr int FirstFlatCondition = 2;
constexpr int FlatConditionCount = ConditionCount - 1;

void flatSession(const simulation::LinearPicture& linear, const QRect& crop, int tileSize,
                 QRandomGenerator& random, FlatTally* tallies, bool verbose, const QString& name)
{
    const Sweep sweep = drawSweep(random);
    const SessionScene scene(linear, crop, tileSize, sweep, random);
    for (int c = FirstFlatCondition; c < FlatConditionCount; ++c) {
        const std::vector<QImage> shots = scene.shots(conditions[c], random);
        std::vector<RegionSharpness> regions;
        const SessionCurve curve = measureSession(shots, scene.crop(), tileSize, regions);
        double highest = -1e9;
        for (const RegionSharpness& region : regions)
            highest = std::max(highest, SharpnessMap::detail(region));
        tallies[c].highestDetail.push_back(highest);
        int judged = 0;
        for (const CurvePoint& point : curve.points)
            judged += point.enoughDetail;
        tallies[c].shots += int(curve.points.size());
        tallies[c].judged += judged;
        if (verbose && judged) {
            std::printf("  flat judged, %s: %s (%d,%d) tiles %d, detail (map/exact):",
                        conditions[c].name, qPrintable(name), crop.x(), crop.y(), tileSize);
            for (std::size_t i = 0; i < shots.size(); ++i)
                std::printf(" %.2f/%.2f", SharpnessMap::detail(regions[i]),
                            SharpnessMap::detail(exactRegion(shots[i], scene.crop())));
            std::printf("\n");
        }
    }
}

// A crop of 200 pixels: its figure from the map against the exact one.
void cropSession(const simulation::LinearPicture& linear, const QRect& crop, int tileSize,
                 QRandomGenerator& random, CropTally& tally)
{
    const Sweep sweep = drawSweep(random);
    const SessionScene scene(linear, crop, tileSize, sweep, random);
    std::vector<double> mappedFigures, exactFigures;
    for (const QImage& shot : scene.shots(conditions[0], random)) {
        const RegionSharpness mapped = SharpnessMap::measure(shot, tileSize).region(scene.crop());
        const RegionSharpness exact = exactRegion(shot, scene.crop());
        const double figure = SharpnessMap::figure(exact, FigureScales::Fine);
        if (figure > 0 && exact.fine > 0 && exact.coarse > 0) {
            tally.figure.push_back(std::abs(mapped.value / figure - 1));
            tally.fine.push_back(std::abs(mapped.fine / exact.fine - 1));
            tally.coarse.push_back(std::abs(mapped.coarse / exact.coarse - 1));
            mappedFigures.push_back(mapped.value);
            exactFigures.push_back(figure);
        }
    }
    // What the curve shows: each other shot's figure as a share of the
    // session's highest.
    if (mappedFigures.empty())
        return;
    const double mappedBest = *std::max_element(mappedFigures.begin(), mappedFigures.end());
    const auto exactBest = std::max_element(exactFigures.begin(), exactFigures.end());
    for (std::size_t i = 0; i < mappedFigures.size(); ++i)
        if (exactFigures.begin() + std::ptrdiff_t(i) != exactBest)
            tally.share.push_back(
                std::abs((mappedFigures[i] / mappedBest) / (exactFigures[i] / *exactBest) - 1));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString root = QStringLiteral("/usr/share/backgrounds");
    int regionsPerPhoto = 12;
    quint32 seed = 7;
    bool verbose = false;
    bool cropsOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--regions") == 0 && i + 1 < argc)
            regionsPerPhoto = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            seed = quint32(std::strtoul(argv[++i], nullptr, 10));
        else if (std::strcmp(argv[i], "--root") == 0 && i + 1 < argc)
            root = QString::fromLocal8Bit(argv[++i]);
        else if (std::strcmp(argv[i], "--verbose") == 0)
            verbose = true;
        else if (std::strcmp(argv[i], "--crops") == 0)
            cropsOnly = true;
    }
    const QStringList files = photographs(root);
    if (files.isEmpty()) {
        std::fprintf(stderr, "no photographs in %s (tools/install-deps.sh installs them)\n",
                     qPrintable(root));
        return 1;
    }

    const int tile24 = SharpnessMap::tileSizeFor(QSize(6000, 4000));
    const int tile12 = SharpnessMap::tileSizeFor(QSize(4000, 3000));
    DetailedTally detailed[ConditionCount];
    FlatTally flat12[ConditionCount], flat24[ConditionCount];
    CropTally crops;
    QRandomGenerator random(seed);
    for (const QString& file : files) {
        const LoadedShot photograph = loadShot(file);
        if (!photograph.taken())
            continue;
        const QImage& sharp = *photograph.picture;
        const simulation::LinearPicture linear = simulation::toLinear(sharp);
        const QString name = QFileInfo(file).fileName();
        int found = 0, flats = 0;
        for (int attempt = 0;
             !cropsOnly && attempt < 40 * regionsPerPhoto && found < regionsPerPhoto; ++attempt) {
            const QRect crop(int(random.bounded(sharp.width() - 450)),
                             int(random.bounded(sharp.height() - 450)), 450, 450);
            if (classify(sharp, crop) != RegionKind::Detailed)
                continue;
            ++found;
            detailedSession(linear, crop, tile24, random, detailed, verbose, name);
        }
        for (int attempt = 0;
             !cropsOnly && attempt < 40 * regionsPerPhoto && flats < regionsPerPhoto / 2;
             ++attempt) {
            const QRect crop(int(random.bounded(sharp.width() - 200)),
                             int(random.bounded(sharp.height() - 200)), 200, 200);
            if (classify(sharp, crop) != RegionKind::Flat)
                continue;
            ++flats;
            flatSession(linear, crop, tile12, random, flat12, verbose, name);
            flatSession(linear, crop, tile24, random, flat24, verbose, name);
        }
        // Crops of 200 pixels anywhere but flat, on 24 MP tiles.
        for (int i = 0; i < regionsPerPhoto; ++i) {
            const QRect crop(int(random.bounded(sharp.width() - 200)),
                             int(random.bounded(sharp.height() - 200)), 200, 200);
            if (classify(sharp, crop) != RegionKind::Flat)
                cropSession(linear, crop, tile24, random, crops);
        }
        std::printf("%-45s %3d detailed, %3d flat regions\n", qPrintable(name), found, flats);
        std::fflush(stdout);
    }

    printDetailed(conditions, detailed, ConditionCount, tile24);
    printFlat(conditions, flat12, flat24, FlatConditionCount, tile12, tile24);
    printCrops(crops, tile24);
    return 0;
}
