#pragma once

#include "focus/RegionSharpness.h"

#include <span>

namespace kelvaris {

// What the session's shots together tell of one region: whether it holds
// enough detail to judge focus there, and which shot is the sharpest.
struct RegionJudgement
{
    // The verdict, the same for every shot of the session: a shot is never
    // excluded alone because a flicker of light or its noise moved it.
    bool enoughDetail = false;
    // The sharpest shot, an index into the shots judged; -1 when the region
    // holds too little detail or no shot was measured. Shaken shots are
    // never named. The first of equals wins.
    int best = -1;
};

// Judges one region over the shots of a session, in the order they were
// taken; a shot whose map is not ready yet is a default RegionSharpness
// (measuredFraction 0) and takes no part. Allocates nothing and reads each
// shot a few times: cheap enough for every tile of a map over a session of
// tens of shots.
RegionJudgement judgeRegion(std::span<const RegionSharpness> shots);

} // namespace kelvaris
