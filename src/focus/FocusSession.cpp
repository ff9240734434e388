#include "focus/FocusSession.h"

#include "focus/BestFocus.h"
#include "focus/RegionJudgement.h"

#include <algorithm>

namespace kelvaris {

int FocusSession::add(SessionShot shot)
{
    shot.id = m_nextId++;
    m_shots.push_back(std::move(shot));
    return m_shots.back().id;
}

int FocusSession::insert(int place, SessionShot shot)
{
    shot.id = m_nextId++;
    const int at = std::clamp(place, 0, size());
    return m_shots.insert(m_shots.begin() + at, std::move(shot))->id;
}

bool FocusSession::setMap(int id, std::shared_ptr<const SharpnessMap> map)
{
    // Shots arrive in order and maps nearly so: look from the end.
    const auto found = std::find_if(m_shots.rbegin(), m_shots.rend(),
                                    [id](const SessionShot& shot) { return shot.id == id; });
    if (found == m_shots.rend())
        return false;
    found->map = std::move(map);
    return true;
}

SessionShot* FocusSession::find(int id)
{
    const auto found = std::find_if(m_shots.begin(), m_shots.end(),
                                    [id](const SessionShot& shot) { return shot.id == id; });
    return found == m_shots.end() ? nullptr : &*found;
}

void FocusSession::clear()
{
    m_shots.clear();
}

SessionCurve FocusSession::curve(const QRect& crop) const
{
    SessionCurve curve;
    curve.points.resize(m_shots.size());
    std::vector<RegionSharpness> regions(m_shots.size());
    double bestFigure = 0;
    for (std::size_t i = 0; i < m_shots.size(); ++i) {
        const SessionShot& shot = m_shots[i];
        if (shot.map) {
            regions[i] = shot.map->region(crop);
            curve.points[i].measured = true;
            curve.points[i].sharpness = regions[i].value;
        }
        // Strictly greater, as the best quality figure is kept.
        if (curve.bestFigure < 0 || shot.figureValue > bestFigure) {
            bestFigure = shot.figureValue;
            curve.bestFigure = static_cast<int>(i);
        }
    }
    const RegionJudgement judgement = judgeRegion(regions);
    for (std::size_t i = 0; i < curve.points.size(); ++i) {
        CurvePoint& point = curve.points[i];
        point.enoughDetail = point.measured && judgement.enoughDetail;
        if (point.measured)
            point.sharpness = SharpnessMap::figure(regions[i], judgement.scales);
    }
    curve.bestSharpness = judgement.best;
    if (judgement.best >= 0) {
        // The V through the shots that count: judged and steady.
        std::vector<double> figures(curve.points.size());
        for (std::size_t i = 0; i < figures.size(); ++i)
            figures[i] = curve.points[i].enoughDetail ? curve.points[i].sharpness : 0;
        curve.bestPosition = bestFocusPosition(figures, judgement.best);
    }
    return curve;
}

} // namespace kelvaris
