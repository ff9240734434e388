#pragma once

#include <QFloat16>
#include <QStringList>

#include <span>
#include <vector>

namespace kelvaris {

// The shots a focus stack keeps: the fewest such that every tile to cover
// is sharp in one of them.
struct StackChoice
{
    std::vector<int> picks; // in the order taken, the one that covers most first
    int tiles = 0;          // the tiles to cover
    int covered = 0;        // those the picks cover
};

// `shots[s]` is candidate s's figure on each tile, `best.size()` of them;
// `best[t]` is tile t's best figure, 0 or less for a tile not to cover. A
// candidate covers a tile where its figure is `within` of the best or more.
// Picks are indices into `shots`; of candidates that add as many tiles the
// first wins, so candidates go in the order the shots were taken.
//
// Greedy: take the shot that covers most of what is left, until nothing is.
// Finding the very fewest is a set cover, hard in general; the greedy choice
// is within a factor ln(tiles) + 1 of it, and at these sizes it is as good as
// exact: along a focus sweep each shot is sharp over one band of depth, so
// the sets are nearly intervals, where the greedy choice rarely takes one
// more than needed. With 384 tiles and 1,000 shots it takes about a
// millisecond (kelvaris_bench --only aids); an exact search could take
// longer than the session.
StackChoice coverStack(std::span<const qfloat16* const> shots, std::span<const float> best,
                       double within);

// The shortlist in the instrument area, `names` in the order the shots were
// taken: « Pile : IMG_0012, IMG_0015 (2 prises couvrent 100 % des zones
// détaillées) ». A long list names its first shots and how many more.
QString stackText(const QStringList& names, const StackChoice& choice);

} // namespace kelvaris
