#include "focus/FocusMap.h"

#include "focus/SharpnessMap.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kelvaris {

namespace {

constexpr int StepsPerStop = 128;
constexpr int CodeOfOne = 12 * StepsPerStop; // the code of a figure of 1; 0 is kept for nothing
constexpr int LargestCode = 4095;

const std::array<float, LargestCode + 1>& figuresOfCodes()
{
    static const std::array<float, LargestCode + 1> table = [] {
        std::array<float, LargestCode + 1> figures{};
        for (int code = 1; code <= LargestCode; ++code)
            figures[std::size_t(code)] = float(std::exp2(double(code - CodeOfOne) / StepsPerStop));
        return figures;
    }();
    return table;
}

} // namespace

std::uint16_t FocusMap::figureCode(double figure)
{
    if (!(figure > 0))
        return 0;
    const double code = std::round(std::log2(figure) * StepsPerStop) + CodeOfOne;
    return std::uint16_t(std::clamp(code, 1.0, double(LargestCode)));
}

float FocusMap::figureOf(std::uint16_t code)
{
    return figuresOfCodes()[std::min<std::size_t>(code, LargestCode)];
}

void FocusMap::Shot::setFigures(std::size_t tile, double fine, double coarse)
{
    const unsigned f = figureCode(fine), c = figureCode(coarse);
    std::uint8_t* bytes = figures.data() + 3 * tile;
    bytes[0] = std::uint8_t(f);
    bytes[1] = std::uint8_t((f >> 8) | (c << 4));
    bytes[2] = std::uint8_t(c >> 4);
}

float FocusMap::Shot::figure(std::size_t tile, FigureScales scales) const
{
    const std::uint8_t* bytes = figures.data() + 3 * tile;
    const unsigned code = scales == FigureScales::Fine ? bytes[0] | (bytes[1] & 0x0fu) << 8
                                                       : bytes[1] >> 4 | unsigned(bytes[2]) << 4;
    return figureOf(std::uint16_t(code));
}

int FocusMap::find(int id) const
{
    // The current shot is nearly always the last to arrive.
    for (int i = size() - 1; i >= 0; --i) {
        if (m_shots[std::size_t(i)].id == id)
            return i;
    }
    return -1;
}

void FocusMap::add(int id, const SharpnessMap& map)
{
    if (map.isEmpty() || contains(id))
        return;
    const TileGrid grid = TileGrid::forPicture(map.pictureSize());
    auto layer = std::find_if(m_layers.begin(), m_layers.end(),
                              [&grid](const Layer& each) { return each.grid == grid; });
    if (layer == m_layers.end()) {
        m_layers.push_back({grid, std::vector<TileJudge>(std::size_t(grid.count()))});
        layer = m_layers.end() - 1;
    }
    Shot shot{id, int(layer - m_layers.begin()), {}};
    shot.figures.resize(3 * std::size_t(grid.count()));
    for (int t = 0; t < grid.count(); ++t) {
        const RegionSharpness tile = map.region(grid.tileRect(t));
        shot.setFigures(std::size_t(t), SharpnessMap::figure(tile, FigureScales::Fine),
                        SharpnessMap::figure(tile, FigureScales::Coarse));
        layer->tiles[std::size_t(t)].add(id, tile);
    }
    m_shots.push_back(std::move(shot));
}

void FocusMap::clear()
{
    m_layers.clear();
    m_shots.clear();
}

TileGrid FocusMap::gridOf(int id) const
{
    const int i = find(id);
    return i < 0 ? TileGrid() : m_layers[std::size_t(m_shots[std::size_t(i)].layer)].grid;
}

std::vector<TileTint> FocusMap::tints(int id) const
{
    std::vector<TileTint> tints;
    const int i = find(id);
    if (i < 0)
        return tints;
    const Shot& shot = m_shots[std::size_t(i)];
    const Layer& layer = m_layers[std::size_t(shot.layer)];
    tints.resize(shot.tileCount(), TileTint::None);
    for (std::size_t t = 0; t < tints.size(); ++t) {
        const TileJudge& judge = layer.tiles[t];
        if (!judge.detailed() || judge.best() <= 0)
            continue;
        const double ratio = shot.figure(t, judge.scales()) / judge.best();
        tints[t] = ratio >= AtBest ? TileTint::Best
                   : ratio >= Near ? TileTint::Near
                                   : TileTint::Short;
    }
    return tints;
}

FocusMap::Standing FocusMap::standing(int id, int tile) const
{
    Standing standing;
    const int i = find(id);
    if (i < 0)
        return standing;
    const Shot& shot = m_shots[std::size_t(i)];
    if (tile < 0 || std::size_t(tile) >= shot.tileCount())
        return standing;
    const TileJudge& judge = m_layers[std::size_t(shot.layer)].tiles[std::size_t(tile)];
    standing.detailed = judge.detailed();
    standing.sharpestShot = judge.bestShot();
    // The sharpest shot is its own best, whatever its kept figure rounds to.
    standing.ratio = judge.bestShot() == id ? 1.0
                     : judge.best() > 0
                         ? shot.figure(std::size_t(tile), judge.scales()) / judge.best()
                         : 0;
    return standing;
}

StackChoice FocusMap::stack(int id, const std::vector<int>* within) const
{
    const int i = find(id);
    if (i < 0)
        return {};
    const int layerIndex = m_shots[std::size_t(i)].layer;
    const Layer& layer = m_layers[std::size_t(layerIndex)];
    std::vector<float> best(layer.tiles.size(), 0);
    const auto wanted = [&](int t) {
        const TileJudge& judge = layer.tiles[std::size_t(t)];
        if (judge.detailed())
            best[std::size_t(t)] = float(judge.best());
    };
    if (within) {
        for (int t : *within) {
            if (t >= 0 && std::size_t(t) < best.size())
                wanted(t);
        }
    } else {
        for (int t = 0; t < int(best.size()); ++t)
            wanted(t);
    }
    // The candidates in the order the shots were taken: ids grow with it.
    std::vector<const Shot*> candidates;
    for (const Shot& shot : m_shots) {
        if (shot.layer == layerIndex)
            candidates.push_back(&shot);
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Shot* a, const Shot* b) { return a->id < b->id; });
    // Each tile's figures at the scales its judgement compares them at.
    std::vector<std::vector<qfloat16>> judged(candidates.size());
    std::vector<const qfloat16*> figures;
    figures.reserve(candidates.size());
    for (std::size_t c = 0; c < candidates.size(); ++c) {
        const Shot& shot = *candidates[c];
        judged[c].resize(shot.tileCount());
        for (std::size_t t = 0; t < judged[c].size(); ++t)
            judged[c][t] = qfloat16(shot.figure(t, layer.tiles[t].scales()));
        figures.push_back(judged[c].data());
    }
    StackChoice choice = coverStack(figures, best, AtBest);
    for (int& pick : choice.picks)
        pick = candidates[std::size_t(pick)]->id;
    return choice;
}

std::size_t FocusMap::memoryBytes() const
{
    std::size_t bytes =
        sizeof(FocusMap) + m_layers.capacity() * sizeof(Layer) + m_shots.capacity() * sizeof(Shot);
    for (const Layer& layer : m_layers)
        bytes += layer.tiles.capacity() * sizeof(TileJudge);
    for (const Shot& shot : m_shots)
        bytes += shot.figures.capacity();
    return bytes;
}

} // namespace kelvaris
