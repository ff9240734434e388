#pragma once

#include "focus/StackCover.h"
#include "focus/TileGrid.h"
#include "focus/TileJudge.h"

#include <QFloat16>

#include <cstdint>
#include <vector>

namespace kelvaris {

class SharpnessMap;

// How close a shot comes, on one tile, to the sharpest that tile reached in
// the session.
enum class TileTint : std::uint8_t
{
    None,  // too little detail in the session to judge
    Short, // well short of its best: under Near
    Near,  // from Near to AtBest of its best
    Best,  // at its best: AtBest of it or more
};

// Where the focus lies, tile by tile, for every shot of the session: the
// figure of each tile of the focus map (TileGrid) of every shot, and for
// each tile the session's judgement (TileJudge), kept up to date as each
// map arrives rather than found again by going over every shot.
//
// Only shots of the same pixel size are compared: a shot of another size
// (the camera set to a smaller picture, or turned upright) frames the scene
// otherwise, and its figures, measured on other pixels, do not compare. Each
// size has its own grid and judgements, a "layer"; a session normally has one.
//
// The thresholds: AtBest is where the shortlist of shots to stack counts a
// tile as sharp, so that a tile tinted at its best in a shot is one that
// shot covers in a stack. Measured on the demo camera's scene (a blur
// sweep in steps of a quarter pixel, Gaussian sigma), a region's figure
// falls below AtBest at a quarter pixel of blur more than its best, and
// below Near at about half a pixel (three quarters on larger print): near
// is a shot a little off, well short one whose blur shows at 100 %.
//
// Memory: a shot keeps two figures per tile (at the fine and at the coarse
// scales, for the tile's judgement to choose) in twelve bits each (see
// figureCode()), 1.1 KB for a 3:2 shot, beside its sharpness map's 29 KB; a
// layer keeps a judgement per tile, whatever the number of shots.
class FocusMap
{
public:
    static constexpr double AtBest = 0.95;
    static constexpr double Near = 0.75;

    // Adds shot `id`'s map; a shot already in, or an empty map, is left out.
    void add(int id, const SharpnessMap& map);
    void clear();

    bool contains(int id) const { return find(id) >= 0; }
    int size() const { return int(m_shots.size()); }
    // The tiles of shot `id`'s frame, empty when its map is not in.
    TileGrid gridOf(int id) const;
    // Shot `id`'s tint on each tile of its grid; empty when its map is not in.
    std::vector<TileTint> tints(int id) const;

    // What the session tells of `tile` of shot `id`'s grid.
    struct Standing
    {
        bool detailed = false;
        int sharpestShot = -1; // the id of the tile's sharpest shot
        double ratio = 0;      // shot `id`'s figure over the sharpest's
    };
    Standing standing(int id, int tile) const;

    // The fewest shots of the same size as shot `id` such that every
    // detailed tile is within AtBest of its best in one of them; with
    // `within`, only the tiles it holds are covered. Picks are shot ids.
    StackChoice stack(int id, const std::vector<int>* within = nullptr) const;

    std::size_t memoryBytes() const;

    // A figure as a shot keeps it: its logarithm in 128ths of a stop (steps
    // of 0.54 %, a ninth of the 5 % between AtBest and a tile's best), from
    // 2^-12 to 2^20, in twelve bits; 0 for a figure of nothing. Half-
    // precision numbers kept a third more, which every shot of a session
    // pays.
    static std::uint16_t figureCode(double figure);
    static float figureOf(std::uint16_t code);

private:
    struct Shot
    {
        int id = 0;
        int layer = 0;
        // Per tile of its layer's grid, the codes of its figures at the fine
        // and at the coarse scales, packed in three bytes.
        std::vector<std::uint8_t> figures;
        std::size_t tileCount() const { return figures.size() / 3; }
        void setFigures(std::size_t tile, double fine, double coarse);
        float figure(std::size_t tile, FigureScales scales) const;
    };
    struct Layer
    {
        TileGrid grid;
        std::vector<TileJudge> tiles;
    };

    int find(int id) const;

    std::vector<Layer> m_layers;
    std::vector<Shot> m_shots; // in the order their maps arrived
};

} // namespace kelvaris
