#include "focus/TileJudge.h"

#include "focus/RegionJudgement.h"
#include "focus/SharpnessMap.h"

#include <algorithm>

namespace kelvaris {

void TileJudge::add(int shotId, const RegionSharpness& tile)
{
    if (!(tile.measuredFraction > 0))
        return;
    m_highestDetail = std::max(m_highestDetail, SharpnessMap::detail(tile));
    m_fine += tile.fine;
    m_noise += tile.noise;
    m_fineBest.offer(shotId, SharpnessMap::figure(tile, FigureScales::Fine));
    m_coarseBest.offer(shotId, SharpnessMap::figure(tile, FigureScales::Coarse));
}

bool TileJudge::detailed() const
{
    return m_highestDetail >= SharpnessMap::MinDetail;
}

FigureScales TileJudge::scales() const
{
    return scalesFor(m_fine, m_noise);
}

double TileJudge::best() const
{
    if (!detailed())
        return 0;
    return scales() == FigureScales::Fine ? m_fineBest.figure : m_coarseBest.figure;
}

int TileJudge::bestShot() const
{
    if (!detailed())
        return -1;
    return scales() == FigureScales::Fine ? m_fineBest.shot : m_coarseBest.shot;
}

} // namespace kelvaris
