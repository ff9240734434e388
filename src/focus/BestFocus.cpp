#include "focus/BestFocus.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <initializer_list>

namespace kelvaris {

namespace {

// Shots counted on each side of the peak: enough to steady the slope and
// to leave two out, few enough to stay on the V's straight arms (far from
// focus the figure flattens onto the noise and what the lens leaves).
constexpr int ArmLength = 3;
// The most shots left out of the fit: a sweep by hand often holds a
// shaken shot or two.
constexpr int MaxLeftOut = 2;
// A shot is left out of the fit where the V through the others has a
// residual this many times smaller.
constexpr double OutlierGain = 0.25;
// The most the shots may scatter about the V, as a share of its rise from
// one shot to the next.
constexpr double MaxScatter = 0.3;
// How much less sharp than the peak each arm must fall: shallower, the V
// is lost in what the light, the JPEG and the hand change from shot to
// shot (tools/sharpness_eval), and its point with it.
constexpr double MinFall = 0.1;

struct Sample
{
    double x = 0; // the shot's place in the sweep
    double y = 0; // one over its figure
};

// The peak and the shots of its arms that a fit counts.
struct Samples
{
    std::array<Sample, 2 * ArmLength + 1> at;
    int count = 0;

    void add(Sample sample) { at[std::size_t(count++)] = sample; }

    // Whether each side holds a shot at least `fall` less sharp than the
    // peak, the first sample.
    bool fallsAround(double x, double fall) const
    {
        const double least = at[0].y / (1 - fall);
        bool before = false, after = false;
        for (int i = 1; i < count; ++i) {
            const Sample& s = at[std::size_t(i)];
            if (s.y >= least) {
                before = before || s.x < x;
                after = after || s.x > x;
            }
        }
        return before && after;
    }
};

// A V with its point at `c`, rounded as a hyperbola's:
// y^2 = tip2 + slope2 (x - c)^2.
struct Hyperbola
{
    double c = -1;
    double tip2 = 0;
    double slope2 = 0;
    double residual = HUGE_VAL; // the sum of squared residuals of y; huge: no fit

    double at(double x) const { return std::sqrt(tip2 + slope2 * (x - c) * (x - c)); }
    double slope() const { return std::sqrt(slope2); }
};

// The hyperbola with its point at `c` that fits best, by least squares on
// y^2 for tip2 and slope2; none where its arms come out flat or falling.
Hyperbola fitAt(const Samples& samples, double c)
{
    double su = 0, sy = 0, suu = 0, suy = 0;
    for (int i = 0; i < samples.count; ++i) {
        const Sample& s = samples.at[std::size_t(i)];
        const double u = (s.x - c) * (s.x - c);
        const double y2 = s.y * s.y;
        su += u;
        sy += y2;
        suu += u * u;
        suy += u * y2;
    }
    Hyperbola fit;
    fit.c = c;
    const double n = samples.count;
    const double determinant = n * suu - su * su;
    if (determinant <= 0)
        return fit;
    fit.slope2 = (n * suy - su * sy) / determinant;
    if (!(fit.slope2 > 0))
        return fit;
    fit.tip2 = std::max((sy - fit.slope2 * su) / n, 0.0);
    fit.residual = 0;
    for (int i = 0; i < samples.count; ++i) {
        const Sample& s = samples.at[std::size_t(i)];
        const double r = s.y - fit.at(s.x);
        fit.residual += r * r;
    }
    return fit;
}

// The hyperbola with its point within a shot of the peak that fits best,
// to a hundredth of a shot: scanned in tenths, then in hundredths about
// the best tenth (the residual is smooth in the point; the scan runs for
// every set of shots a fit weighs, at every pan).
Hyperbola scan(const Samples& samples, int peak)
{
    Hyperbola best;
    for (int k = 0; k <= 20; ++k) {
        const Hyperbola fit = fitAt(samples, peak - 1 + k / 10.0);
        if (fit.residual < best.residual)
            best = fit;
    }
    if (best.residual == HUGE_VAL)
        return best;
    const int tenth = int(std::lround((best.c - (peak - 1)) * 100));
    for (int k = std::max(tenth - 9, 0); k <= std::min(tenth + 9, 200); ++k) {
        const Hyperbola fit = fitAt(samples, peak - 1 + k / 100.0);
        if (fit.residual < best.residual)
            best = fit;
    }
    return best;
}

// Whether `out` lies above the V through the others in y, that is below
// it in sharpness. Only such a shot is left out: shake, or a subject that
// moved, takes detail away, and nothing makes a steady shot sharper than
// its focus.
bool lessSharpThan(const Hyperbola& fit, const Sample& out)
{
    return fit.residual < HUGE_VAL && out.y > fit.at(out.x);
}

// The counted shots nearest the peak on each side, nearest first: the
// arms, and those that stand in for shots left out of them.
struct Arms
{
    static constexpr std::size_t Reach = ArmLength + MaxLeftOut;
    std::array<int, 2 * Reach> shots{}; // those before the peak, then those after
    std::size_t beforeCount = 0;
    std::size_t count = 0;

    Arms(std::span<const double> figures, int peak)
    {
        const int n = static_cast<int>(figures.size());
        for (int i = peak - 1; i >= 0 && count < Reach; --i) {
            if (figures[std::size_t(i)] > 0)
                shots[count++] = i;
        }
        beforeCount = count;
        for (int i = peak + 1; i < n && count < beforeCount + Reach; ++i) {
            if (figures[std::size_t(i)] > 0)
                shots[count++] = i;
        }
    }

    std::span<const int> before() const { return std::span(shots).first(beforeCount); }
    std::span<const int> after() const
    {
        return std::span(shots).subspan(beforeCount, count - beforeCount);
    }
};

// The peak and the ArmLength shots nearest it on each side but those in
// `out`; false where a shot of `out` lies beyond them (leaving it out
// changes nothing) or fewer than two stay on a side.
bool gather(std::span<const double> figures, int peak, const Arms& arms,
            std::initializer_list<int> out, Samples& samples)
{
    const auto take = [&](int i) { samples.add({double(i), 1 / figures[std::size_t(i)]}); };
    samples = Samples();
    take(peak);
    const auto side = [&](std::span<const int> shots) {
        int taken = 0;
        for (std::size_t k = 0; k < shots.size() && taken < ArmLength; ++k) {
            if (std::find(out.begin(), out.end(), shots[k]) != out.end())
                continue;
            take(shots[k]);
            ++taken;
        }
        return taken >= 2;
    };
    if (!side(arms.before()) || !side(arms.after()))
        return false;
    // Every shot left out must have stood among the arms' shots.
    for (const int i : out) {
        bool inside = false;
        for (int k = 1; k < samples.count; ++k) {
            const double x = samples.at[std::size_t(k)].x;
            inside = inside || (i < peak && x < i) || (i > peak && x > i);
        }
        if (!inside)
            return false;
    }
    return true;
}

// The fit over the arms with up to MaxLeftOut shots left out (never the
// peak), the next shots out standing in for them: each shot left out must
// divide the residual by 1 / OutlierGain, so that a pair is weighed
// against a single shot and against none alike. `samples` receives the
// shots counted.
Hyperbola fitLeavingOut(std::span<const double> figures, int peak, Samples& samples)
{
    const Arms arms(figures, peak);
    Hyperbola best;
    double bestScore = HUGE_VAL;
    const auto consider = [&](std::initializer_list<int> out, double penalty) {
        Samples rest;
        if (!gather(figures, peak, arms, out, rest))
            return;
        const Hyperbola fit = scan(rest, peak);
        for (const int i : out) {
            if (!lessSharpThan(fit, {double(i), 1 / figures[std::size_t(i)]}))
                return;
        }
        if (fit.residual * penalty < bestScore) {
            best = fit;
            bestScore = fit.residual * penalty;
            samples = rest;
        }
    };
    consider({}, 1);
    static_assert(MaxLeftOut == 2);
    for (std::size_t j = 0; j < arms.count; ++j) {
        consider({arms.shots[j]}, 1 / OutlierGain);
        for (std::size_t k = j + 1; k < arms.count; ++k)
            consider({arms.shots[j], arms.shots[k]}, 1 / (OutlierGain * OutlierGain));
    }
    return best;
}

} // namespace

double bestFocusPosition(std::span<const double> figures, int peak)
{
    const int n = static_cast<int>(figures.size());
    if (peak < 0 || peak >= n || !(figures[std::size_t(peak)] > 0))
        return -1;
    Samples samples;
    const Hyperbola fit = fitLeavingOut(figures, peak, samples);
    if (fit.residual == HUGE_VAL)
        return -1;
    // Shots scattered about the V by more than a fraction of its rise from
    // one shot to the next place its point no better than the peak does.
    if (std::sqrt(fit.residual / std::max(samples.count - 2, 1)) > MaxScatter * fit.slope())
        return -1;
    // Arms too shallow to show a V above what changes from shot to shot.
    if (!samples.fallsAround(peak, MinFall))
        return -1;
    // At the scan's ends the V would put the best beyond a neighbour that
    // is less sharp than the peak: the shots do not describe a V.
    if (fit.c <= peak - 1 + 1e-9 || fit.c >= peak + 1 - 1e-9)
        return -1;
    return fit.c;
}

} // namespace kelvaris
