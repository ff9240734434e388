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

#include "capture/ShotLoader.h"
#include "focus/FocusSession.h"
#include "focus/RegionJudgement.h"
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

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::size_t(std::min(values.size() - 1, std::size_t(p * values.size())))];
}

struct DetailedTally
{
    int sessions = 0, sharpest = 0, shaken = 0, none = 0, tenengradSharpest = 0;
    int fineSharpest = 0, coarseSharpest = 0, coarseChosen = 0;
    std::vector<double> fitErrors;
};

struct FlatTally
{
    int shots = 0, judged = 0;
};

// The session's highest detail, for the verdict's threshold; the map's
// figure against the exact one, for crops that cut tiles.
std::vector<double> detailedHighest[ConditionCount], flatHighest[ConditionCount];
std::vector<double> cropErrors, coarseErrors, fineErrors;

double highestDetail(const std::vector<QImage>& shots, const QRect& crop, int tileSize)
{
    double highest = -1e9;
    for (const QImage& shot : shots)
        highest = std::max(
            highest, SharpnessMap::detail(SharpnessMap::measure(shot, tileSize).region(crop)));
    return highest;
}

SessionCurve measureSession(const std::vector<QImage>& shots, const QRect& crop, int tileSize,
                            std::vector<RegionSharpness>* regions = nullptr)
{
    FocusSession session;
    for (const QImage& shot : shots) {
        SessionShot s;
        s.map = std::make_shared<const SharpnessMap>(SharpnessMap::measure(shot, tileSize));
        if (regions)
            regions->push_back(s.map->region(crop));
        session.add(std::move(s));
    }
    return session.curve(crop);
}

// The shot of the highest figure at `scales`, whatever the verdict.
int sharpestAt(const std::vector<RegionSharpness>& regions, FigureScales scales)
{
    int best = 0;
    for (int i = 1; i < int(regions.size()); ++i) {
        if (SharpnessMap::figure(regions[std::size_t(i)], scales) >
            SharpnessMap::figure(regions[std::size_t(best)], scales))
            best = i;
    }
    return best;
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
        const SessionCurve curve = measureSession(shots, scene.crop(), tileSize, &regions);
        // Shots are steady outside "everything".
        Sweep truth = sweep;
        if (!condition.everything)
            truth.shakeLength.fill(0);
        detailedHighest[c].push_back(highestDetail(shots, scene.crop(), tileSize));
        DetailedTally& tally = tallies[c];
        ++tally.sessions;
        const int named = curve.bestSharpness;
        const bool right = named >= 0 && truth.trulySharpest(named);
        tally.sharpest += right;
        tally.fineSharpest += truth.trulySharpest(sharpestAt(regions, FigureScales::Fine));
        tally.coarseSharpest += truth.trulySharpest(sharpestAt(regions, FigureScales::Coarse));
        tally.coarseChosen += judgeRegion(regions).scales == FigureScales::Coarse;
        tally.none += named < 0;
        tally.shaken += named >= 0 && truth.shaken(named);
        if (curve.bestPosition >= 0)
            tally.fitErrors.push_back(std::abs(curve.bestPosition - sweep.best));
        int byTenengrad = 0;
        double best = -1;
        for (int i = 0; i < SweepLength; ++i) {
            const double t = tenengrad(shots[std::size_t(i)], scene.crop());
            if (t > best) {
                best = t;
                byTenengrad = i;
            }
        }
        tally.tenengradSharpest += truth.trulySharpest(byTenengrad);
        if (verbose && !right) {
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

void flatSession(const simulation::LinearPicture& linear, const QRect& crop, int tileSize,
                 QRandomGenerator& random, FlatTally* tallies, bool verbose, const QString& name)
{
    const Sweep sweep = drawSweep(random);
    const SessionScene scene(linear, crop, tileSize, sweep, random);
    for (int c = 2; c < ConditionCount - 1; ++c) {
        const std::vector<QImage> shots = scene.shots(conditions[c], random);
        const SessionCurve curve = measureSession(shots, scene.crop(), tileSize);
        if (tileSize > 80)
            flatHighest[c].push_back(highestDetail(shots, scene.crop(), tileSize));
        int judged = 0;
        for (const CurvePoint& point : curve.points) {
            ++tallies[c].shots;
            tallies[c].judged += point.enoughDetail;
            judged += point.enoughDetail;
        }
        if (verbose && judged) {
            std::printf("  flat judged, %s: %s (%d,%d) tiles %d:", conditions[c].name,
                        qPrintable(name), crop.x(), crop.y(), tileSize);
            for (const QImage& shot : shots) {
                const RegionSharpness r =
                    SharpnessMap::measure(shot, tileSize).region(scene.crop());
                const RegionSharpness e = exactRegion(shot, scene.crop());
                std::printf(" %.2f/%.2f(n%.1f)", SharpnessMap::detail(r), SharpnessMap::detail(e),
                            r.noise);
            }
            std::printf("\n");
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
        // Crops of 200 pixels anywhere, on 24 MP tiles: the map's figure
        // against the exact one.
        for (int i = 0; i < regionsPerPhoto; ++i) {
            const QRect crop(int(random.bounded(sharp.width() - 200)),
                             int(random.bounded(sharp.height() - 200)), 200, 200);
            if (classify(sharp, crop) == RegionKind::Flat)
                continue;
            const Sweep sweep = drawSweep(random);
            const SessionScene scene(linear, crop, tile24, sweep, random);
            const std::vector<QImage> shots = scene.shots(conditions[0], random);
            for (const QImage& shot : shots) {
                const double mapped =
                    SharpnessMap::measure(shot, tile24).region(scene.crop()).value;
                const double exact =
                    SharpnessMap::figure(exactRegion(shot, scene.crop()), FigureScales::Fine);
                if (exact > 0)
                    cropErrors.push_back(std::abs(mapped / exact - 1));
                const RegionSharpness m = SharpnessMap::measure(shot, tile24).region(scene.crop());
                const RegionSharpness e = exactRegion(shot, scene.crop());
                coarseErrors.push_back(std::abs(m.coarse / e.coarse - 1));
                fineErrors.push_back(std::abs(m.fine / e.fine - 1));
            }
        }
        std::printf("%-45s %3d detailed, %3d flat regions\n", qPrintable(name), found, flats);
        std::fflush(stdout);
    }

    std::printf("\nDetailed 450 px regions, sessions of 9 shots (24 MP tiles of %d px)\n", tile24);
    std::printf("%-28s %8s %9s %7s %6s %9s %7s %7s %7s %7s %7s %7s\n", "condition", "sessions",
                "sharpest", "shaken", "none", "tenengrad", "V fits", "median", "90th", "fine",
                "coarse", "chosen");
    for (int c = 0; c < ConditionCount; ++c) {
        const DetailedTally& t = detailed[c];
        const double n = std::max(t.sessions, 1);
        std::printf(
            "%-28s %8d %8.1f%% %7d %5.1f%% %8.1f%% %6.1f%% %7.3f %7.3f %6.1f%% %6.1f%% %6.1f%%\n",
            conditions[c].name, t.sessions, 100 * t.sharpest / n, t.shaken, 100 * t.none / n,
            100 * t.tenengradSharpest / n, 100 * double(t.fitErrors.size()) / n,
            percentile(t.fitErrors, 0.5), percentile(t.fitErrors, 0.9), 100 * t.fineSharpest / n,
            100 * t.coarseSharpest / n, 100 * t.coarseChosen / n);
    }
    for (int c = 0; c < ConditionCount; ++c)
        std::printf("%-22s highest detail, detailed: p1 %.2f p2 %.2f p4 %.2f p10 %.2f; flat (24 "
                    "MP): p50 %.2f p90 %.2f p98 %.2f p99 %.2f\n",
                    conditions[c].name, percentile(detailedHighest[c], 0.01),
                    percentile(detailedHighest[c], 0.02), percentile(detailedHighest[c], 0.04),
                    percentile(detailedHighest[c], 0.1), percentile(flatHighest[c], 0.5),
                    percentile(flatHighest[c], 0.9), percentile(flatHighest[c], 0.98),
                    percentile(flatHighest[c], 0.99));
    std::printf("\nFigure of 200 px crops on %d px tiles against the exact one: median error %.1f "
                "%%, 90th percentile %.1f %%, 95th %.1f %%, of %zu shots\n",
                tile24, 100 * percentile(cropErrors, 0.5), 100 * percentile(cropErrors, 0.9),
                100 * percentile(cropErrors, 0.95), cropErrors.size());
    std::printf(
        "coarse alone: median %.1f %% 90th %.1f %%; fine alone: median %.1f %% 90th %.1f %%\n",
        100 * percentile(coarseErrors, 0.5), 100 * percentile(coarseErrors, 0.9),
        100 * percentile(fineErrors, 0.5), 100 * percentile(fineErrors, 0.9));
    std::printf("\nFlat 200 px regions, shots judged detailed\n");
    for (int c = 2; c < ConditionCount; ++c) {
        std::printf(
            "%-22s 12 MP (%d px tiles) %5.2f%% of %5d   24 MP (%d px tiles) %5.2f%% of %5d\n",
            conditions[c].name, tile12, 100.0 * flat12[c].judged / std::max(flat12[c].shots, 1),
            flat12[c].shots, tile24, 100.0 * flat24[c].judged / std::max(flat24[c].shots, 1),
            flat24[c].shots);
    }
    return 0;
}
