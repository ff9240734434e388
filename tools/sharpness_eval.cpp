// The evidence for the focus figure and its verdict: real photographs made
// into focusing sessions, measured through the program's own maps and
// session, as the program measures them.
//
//   sharpness_eval [--regions N] [--seed S] [--root DIR] [--verbose]
//
// (results table below, filled in from a run)

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
    for (const QImage& shot : scene.shots(conditions[0], random)) {
        const RegionSharpness mapped = SharpnessMap::measure(shot, tileSize).region(scene.crop());
        const RegionSharpness exact = exactRegion(shot, scene.crop());
        const double figure = SharpnessMap::figure(exact, FigureScales::Fine);
        if (figure > 0 && exact.fine > 0 && exact.coarse > 0) {
            tally.figure.push_back(std::abs(mapped.value / figure - 1));
            tally.fine.push_back(std::abs(mapped.fine / exact.fine - 1));
            tally.coarse.push_back(std::abs(mapped.coarse / exact.coarse - 1));
        }
    }
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
