#pragma once

#include "focus/RegionSharpness.h"

#include <span>

namespace kelvaris {

// What the session's shots together tell of one region: whether it holds
// enough detail to judge focus there, which scales the figures count, and
// which shot is the sharpest.
struct RegionJudgement
{
    // The verdict, the same for every shot of the session: a shot is never
    // excluded alone because a flicker of light or its noise moved it.
    bool enoughDetail = false;
    // The scales every shot's figure counts, chosen once for the session
    // so that its figures compare (SharpnessMap::figure).
    FigureScales scales = FigureScales::Fine;
    // The sharpest shot, an index into the shots judged; -1 when the region
    // holds too little detail or no shot was measured. The first of equals
    // wins.
    int best = -1;
};

// Judges one region over the shots of a session, in the order they were
// taken; a shot whose map is not ready yet is a default RegionSharpness
// (measuredFraction 0) and takes no part.
//  - The verdict: the highest detail above noise among the shots reaches
//    SharpnessMap::MinDetail: detail that the sharpest shot shows is
//    there, whatever a blurred, darker or noisier shot shows.
//  - The scales: the coarse ones where noise makes more than a twentieth
//    of the session's fine energy.
// Two passes over the shots, nothing allocated: cheap enough for every
// tile of a map over a session of tens of shots.
RegionJudgement judgeRegion(std::span<const RegionSharpness> shots);

// The scales for a region whose shots' fine energy and noise add up to
// `fine` and `noise` (the sums of RegionSharpness::fine and ::noise).
FigureScales scalesFor(double fine, double noise);

} // namespace kelvaris
