#include "EvalTally.h"

#include "focus/RegionJudgement.h"
#include "focus/SharpnessMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace kelvaris::eval {

namespace {

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

double share(int part, int whole)
{
    return 100.0 * part / std::max(whole, 1);
}

} // namespace

void DetailedTally::add(const Sweep& truth, const SessionCurve& curve,
                        const std::vector<RegionSharpness>& regions, int byTenengrad)
{
    ++sessions;
    const int named = curve.bestSharpness;
    sharpest += named >= 0 && truth.trulySharpest(named);
    shaken += named >= 0 && truth.shaken(named);
    none += named < 0;
    tenengradSharpest += truth.trulySharpest(byTenengrad);
    tenengradShaken += truth.shaken(byTenengrad);
    fineSharpest += truth.trulySharpest(sharpestAt(regions, FigureScales::Fine));
    coarseSharpest += truth.trulySharpest(sharpestAt(regions, FigureScales::Coarse));
    coarseChosen += judgeRegion(regions).scales == FigureScales::Coarse;
    if (curve.bestPosition >= 0)
        fitErrors.push_back(std::abs(curve.bestPosition - truth.best));
    double highest = -1e9;
    for (const RegionSharpness& region : regions)
        highest = std::max(highest, SharpnessMap::detail(region));
    highestDetail.push_back(highest);
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

void printDetailed(const Condition* conditions, const DetailedTally* tallies, int count,
                   int tileSize)
{
    std::printf("\nDetailed 450 px regions, sessions of 9 shots (24 MP tiles of %d px)\n",
                tileSize);
    std::printf("%-22s %8s %9s %6s %6s %9s %6s %6s %6s %6s | %6s %6s %6s\n", "condition",
                "sessions", "sharpest", "shaken", "none", "Tenengrad", "shaken", "V fit", "median",
                "90th", "fine", "coarse", "chosen");
    for (int c = 0; c < count; ++c) {
        const DetailedTally& t = tallies[c];
        std::printf(
            "%-22s %8d %8.1f%% %6d %5.1f%% %8.1f%% %6d %5.1f%% %6.2f %6.2f | %5.1f%% %5.1f%% "
            "%5.1f%%\n",
            conditions[c].name, t.sessions, share(t.sharpest, t.sessions), t.shaken,
            share(t.none, t.sessions), share(t.tenengradSharpest, t.sessions), t.tenengradShaken,
            share(int(t.fitErrors.size()), t.sessions), percentile(t.fitErrors, 0.5),
            percentile(t.fitErrors, 0.9), share(t.fineSharpest, t.sessions),
            share(t.coarseSharpest, t.sessions), share(t.coarseChosen, t.sessions));
    }
    std::printf("\nThe sessions' highest detail (the verdict's measure, MinDetail %.1f):\n",
                SharpnessMap::MinDetail);
    for (int c = 0; c < count; ++c) {
        const std::vector<double>& d = tallies[c].highestDetail;
        std::printf("%-22s detailed regions: 1st percentile %.2f, 2nd %.2f, 4th %.2f, 10th %.2f\n",
                    conditions[c].name, percentile(d, 0.01), percentile(d, 0.02),
                    percentile(d, 0.04), percentile(d, 0.1));
    }
}

void printFlat(const Condition* conditions, const FlatTally* tallies12, const FlatTally* tallies24,
               int count, int tile12, int tile24)
{
    std::printf("\nFlat 200 px regions, shots judged detailed\n");
    for (int c = 0; c < count; ++c) {
        if (tallies12[c].shots == 0)
            continue;
        const std::vector<double>& d = tallies24[c].highestDetail;
        std::printf("%-22s 12 MP (%d px tiles) %5.2f%% of %5d, 24 MP (%d px tiles) %5.2f%% of "
                    "%5d; highest detail at 24 MP: median %.2f, 98th percentile %.2f\n",
                    conditions[c].name, tile12, share(tallies12[c].judged, tallies12[c].shots),
                    tallies12[c].shots, tile24, share(tallies24[c].judged, tallies24[c].shots),
                    tallies24[c].shots, percentile(d, 0.5), percentile(d, 0.98));
    }
}

void printCrops(const CropTally& tally, int tileSize)
{
    std::printf("\nThe figure of 200 px crops on %d px tiles against the exact one, %zu shots:\n"
                "  figure: median error %.1f %%, 90th percentile %.1f %%, 95th %.1f %%\n"
                "  1-pixel energy: median %.1f %%, 90th %.1f %%; 2-pixel: median %.1f %%, 90th "
                "%.1f %%\n",
                tileSize, tally.figure.size(), 100 * percentile(tally.figure, 0.5),
                100 * percentile(tally.figure, 0.9), 100 * percentile(tally.figure, 0.95),
                100 * percentile(tally.fine, 0.5), 100 * percentile(tally.fine, 0.9),
                100 * percentile(tally.coarse, 0.5), 100 * percentile(tally.coarse, 0.9));
    std::printf("  as the curve shows it, a share of the session's best: median error %.1f %%, "
                "90th percentile %.1f %%, 95th %.1f %%\n",
                100 * percentile(tally.share, 0.5), 100 * percentile(tally.share, 0.9),
                100 * percentile(tally.share, 0.95));
}

} // namespace kelvaris::eval
