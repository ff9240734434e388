#pragma once

#include "focus/RegionSharpness.h"

namespace kelvaris {

// What the session tells of one tile of the focus map, shot after shot:
// whether it holds enough detail to judge, and its sharpest shot. It is
// folded one shot at a time, as maps arrive, so that a new shot costs one
// step per tile whatever the session's length.
//
// This is the one place where a tile is judged. It judges as the focus
// curve judges the region in view: the tile is detailed once a shot of the
// session has enough detail there, and its best is the sharpest of those
// shots (the first of equals). Judging a region over the session's shots
// in one function shared with the curve would take its place here.
class TileJudge
{
public:
    void add(int shotId, const RegionSharpness& tile)
    {
        if (!tile.enoughDetail)
            return;
        if (m_bestShot < 0 || tile.value > m_best ||
            (tile.value == m_best && shotId < m_bestShot)) {
            m_best = tile.value;
            m_bestShot = shotId;
        }
    }

    bool detailed() const { return m_bestShot >= 0; }
    // The sharpest figure of the tile, 0 when it is not detailed.
    double best() const { return m_best; }
    // Its shot's id, -1 when the tile is not detailed.
    int bestShot() const { return m_bestShot; }

private:
    double m_best = 0;
    int m_bestShot = -1;
};

} // namespace kelvaris
