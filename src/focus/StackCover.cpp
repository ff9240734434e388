#include "focus/StackCover.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace kelvaris {

namespace {

// Names shown before « … et N autres »: a line of the instrument holds about so many.
constexpr int MaxNamed = 8;

using Word = std::uint64_t;
constexpr int WordBits = 64;

} // namespace

StackChoice coverStack(std::span<const qfloat16* const> shots, std::span<const float> best,
                       double within)
{
    StackChoice choice;
    const int tiles = int(best.size());
    const std::size_t words = std::size_t(tiles + WordBits - 1) / WordBits;
    // What is left to cover, and what each shot covers, one bit per tile.
    std::vector<Word> left(words, 0);
    std::vector<float> needed(best.size());
    for (int t = 0; t < tiles; ++t) {
        if (best[std::size_t(t)] > 0) {
            left[std::size_t(t) / WordBits] |= Word(1) << (t % WordBits);
            ++choice.tiles;
        }
        needed[std::size_t(t)] = float(within * best[std::size_t(t)]);
    }
    std::vector<Word> covers(shots.size() * words, 0);
    for (std::size_t s = 0; s < shots.size(); ++s) {
        Word* bits = covers.data() + s * words;
        for (int t = 0; t < tiles; ++t) {
            if (float(shots[s][t]) >= needed[std::size_t(t)])
                bits[std::size_t(t) / WordBits] |= Word(1) << (t % WordBits);
        }
        for (std::size_t w = 0; w < words; ++w)
            bits[w] &= left[w];
    }

    int remaining = choice.tiles;
    while (remaining > 0) {
        int bestShot = -1;
        int bestGain = 0;
        for (std::size_t s = 0; s < shots.size(); ++s) {
            const Word* bits = covers.data() + s * words;
            int gain = 0;
            for (std::size_t w = 0; w < words; ++w)
                gain += std::popcount(bits[w] & left[w]);
            if (gain > bestGain) {
                bestGain = gain;
                bestShot = int(s);
            }
        }
        if (bestShot < 0)
            break; // what is left no candidate covers
        const Word* bits = covers.data() + std::size_t(bestShot) * words;
        for (std::size_t w = 0; w < words; ++w)
            left[w] &= ~bits[w];
        choice.picks.push_back(bestShot);
        choice.covered += bestGain;
        remaining -= bestGain;
    }
    return choice;
}

QString stackText(const QStringList& names, const StackChoice& choice)
{
    if (choice.tiles == 0 || names.isEmpty())
        return QStringLiteral("Pile\u00a0: trop peu de détails pour choisir des prises");
    QStringList shown = names.mid(0, MaxNamed);
    QString list = shown.join(QStringLiteral(", "));
    if (names.size() > MaxNamed)
        list += QStringLiteral(" et %1\u00a0autres").arg(names.size() - MaxNamed);
    // Rounded down: 100 % only when every detailed tile is covered.
    const int percent = int(std::floor(100.0 * choice.covered / choice.tiles));
    const QString count = names.size() == 1
                              ? QStringLiteral("1\u00a0prise couvre")
                              : QStringLiteral("%1\u00a0prises couvrent").arg(names.size());
    // One substitution: a file name may hold a "%1" of its own.
    return QStringLiteral("Pile\u00a0: %1 (%2 %3\u00a0% des zones détaillées)")
        .arg(list, count, QString::number(percent));
}

} // namespace kelvaris
