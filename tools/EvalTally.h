#pragma once

// What tools/sharpness_eval counts, and how it prints it.

#include "EvalSessions.h"

#include "focus/FocusSession.h"
#include "focus/RegionSharpness.h"

#include <vector>

namespace kelvaris::eval {

// Sessions of a detailed region under one condition.
struct DetailedTally
{
    int sessions = 0;
    int sharpest = 0;                  // named best truly sharpest
    int shaken = 0;                    // named best shaken
    int none = 0;                      // no shot named
    int tenengradSharpest = 0;         // Tenengrad's highest truly sharpest
    int tenengradShaken = 0;           // Tenengrad's highest shaken
    int fineSharpest = 0;              // the highest figure at the fine scales truly sharpest
    int coarseSharpest = 0;            // the same at the coarse scales
    int coarseChosen = 0;              // sessions judged at the coarse scales
    std::vector<double> fitErrors;     // |best focus estimated - true|, steps
    std::vector<double> highestDetail; // the session's highest detail

    // Counts one session: its curve, its regions, Tenengrad's choice.
    void add(const Sweep& truth, const SessionCurve& curve,
             const std::vector<RegionSharpness>& regions, int byTenengrad);
};

// Shots of flat regions judged detailed, and the sessions' highest detail.
struct FlatTally
{
    int shots = 0, judged = 0;
    std::vector<double> highestDetail;
};

// The figure of crops that cut tiles against the exact one.
struct CropTally
{
    std::vector<double> figure, fine, coarse; // relative errors
    std::vector<double> share;                // the same of a shot's share of its session's best
};

double percentile(std::vector<double> values, double p);

void printDetailed(const Condition* conditions, const DetailedTally* tallies, int count,
                   int tileSize);
void printFlat(const Condition* conditions, const FlatTally* tallies12, const FlatTally* tallies24,
               int count, int tile12, int tile24);
void printCrops(const CropTally& tally, int tileSize);

} // namespace kelvaris::eval
