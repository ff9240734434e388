#pragma once

#include "focus/RegionSharpness.h"

namespace kelvaris {

// What the session tells of one tile of the focus map, shot after shot:
// whether it holds enough detail to judge, at which scales its figures
// compare, and its sharpest shot. It judges as the focus curve judges the
// region in view (judgeRegion), folded one shot at a time as maps arrive,
// so that a new shot costs one step per tile whatever the session's length:
//  - detailed once the highest detail above noise among the shots reaches
//    the verdict's threshold;
//  - at the coarse scales where the shots' noise makes more than
//    judgeRegion's share of their fine energy;
//  - its best the sharpest at those scales, the first of equals (the
//    lowest id: ids grow in the order shots are taken).
class TileJudge
{
public:
    void add(int shotId, const RegionSharpness& tile);

    bool detailed() const;
    FigureScales scales() const;
    // The sharpest figure of the tile at its scales, 0 when it is not detailed.
    double best() const;
    // Its shot's id, -1 when the tile is not detailed.
    int bestShot() const;

private:
    struct Best
    {
        double figure = 0;
        int shot = -1;
        void offer(int shotId, double value)
        {
            if (shot < 0 || value > figure || (value == figure && shotId < shot)) {
                figure = value;
                shot = shotId;
            }
        }
    };

    double m_highestDetail = -1;
    double m_fine = 0;
    double m_noise = 0;
    Best m_fineBest;
    Best m_coarseBest;
};

} // namespace kelvaris
