#include "focus/BestFocus.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace kelvaris {

namespace {

// Shots counted on each side of the peak: enough to steady the slope,
// few enough to stay on the V's straight arms (far from focus the figure
// flattens onto the noise and what the lens leaves).
constexpr int ArmLength = 3;
// A shot is left out of the fit where the V through the others has a
// residual this many times smaller.
constexpr double OutlierGain = 0.25;
// The most the shots may scatter about the V, as a share of its rise from
// one shot to the next.
constexpr double MaxScatter = 0.3;

struct Sample
{
    double x = 0;
    double y = 0;
};

// The best V with its point at `c`, its point rounded as a hyperbola's:
// y^2 = a^2 + b^2 (x - c)^2, by least squares on y^2 for a^2 and b^2;
// returns the sum of squared residuals of y, the slope of its arms in
// `b`, or a huge value when the arms come out flat or falling.
double fitAt(const Sample* samples, int count, double c, double& b)
{
    double su = 0, sy = 0, suu = 0, suy = 0;
    for (int i = 0; i < count; ++i) {
        const double u = (samples[i].x - c) * (samples[i].x - c);
        const double y2 = samples[i].y * samples[i].y;
        su += u;
        sy += y2;
        suu += u * u;
        suy += u * y2;
    }
    const double n = count;
    const double determinant = n * suu - su * su;
    if (determinant <= 0)
        return HUGE_VAL;
    const double slope2 = (n * suy - su * sy) / determinant;
    const double tip2 = std::max((sy - slope2 * su) / n, 0.0);
    if (!(slope2 > 0))
        return HUGE_VAL;
    b = std::sqrt(slope2);
    double residual = 0;
    for (int i = 0; i < count; ++i) {
        const double u = (samples[i].x - c) * (samples[i].x - c);
        const double r = samples[i].y - std::sqrt(tip2 + slope2 * u);
        residual += r * r;
    }
    return residual;
}

// The point of the best V within a shot of the peak, scanned in
// hundredths of a shot; returns its residual, and its slope in `slope`.
double scan(const Sample* samples, int count, int peak, double& point, double& slope)
{
    double best = HUGE_VAL, b = 0;
    for (int k = 0; k <= 200; ++k) {
        const double c = peak - 1 + k / 100.0;
        const double residual = fitAt(samples, count, c, b);
        if (residual < best) {
            best = residual;
            point = c;
            slope = b;
        }
    }
    return best;
}

} // namespace

double bestFocusPosition(std::span<const double> figures, int peak)
{
    const int n = static_cast<int>(figures.size());
    if (peak < 0 || peak >= n || !(figures[std::size_t(peak)] > 0))
        return -1;
    std::array<Sample, 2 * ArmLength + 1> samples;
    int count = 0;
    const auto take = [&](int i) {
        const double f = figures[std::size_t(i)];
        samples[std::size_t(count++)] = {double(i), 1 / (f * f)};
    };
    // The nearest counted shots on each side; the arms reach one shot
    // further on the side of the better neighbour, so that they are
    // balanced around the best focus rather than around the peak.
    int left = peak - 1, right = peak + 1;
    while (left >= 0 && !(figures[std::size_t(left)] > 0))
        --left;
    while (right < n && !(figures[std::size_t(right)] > 0))
        ++right;
    if (left < 0 || right >= n)
        return -1;
    const bool rightBetter = figures[std::size_t(right)] >= figures[std::size_t(left)];
    const int beforeLength = ArmLength - (rightBetter ? 1 : 0);
    const int afterLength = ArmLength - (rightBetter ? 0 : 1);
    take(peak);
    int before = 0, after = 0;
    for (int i = peak - 1; i >= 0 && before < beforeLength; --i) {
        if (figures[std::size_t(i)] > 0) {
            take(i);
            ++before;
        }
    }
    for (int i = peak + 1; i < n && after < afterLength; ++i) {
        if (figures[std::size_t(i)] > 0) {
            take(i);
            ++after;
        }
    }
    if (before < 2 || after < 2)
        return -1;

    double bestC = -1, slope = 0;
    double residual = scan(samples.data(), count, peak, bestC, slope);
    const double fullResidual = residual;
    int used = count;
    // A shot off the V (shaken, or caught by a flicker the figure does not
    // quite cancel) pulls the point aside: where leaving one shot out of
    // the arms fits far better, it is left out.
    for (int out = 1; out < count; ++out) {
        std::array<Sample, 2 * ArmLength + 1> rest;
        int restCount = 0, restBefore = 0, restAfter = 0;
        for (int i = 0; i < count; ++i) {
            if (i == out)
                continue;
            rest[std::size_t(restCount++)] = samples[std::size_t(i)];
            restBefore += samples[std::size_t(i)].x < peak;
            restAfter += samples[std::size_t(i)].x > peak;
        }
        if (restBefore < 2 || restAfter < 2)
            continue;
        double c = -1, b = 0;
        const double restResidual = scan(rest.data(), restCount, peak, c, b);
        if (restResidual < OutlierGain * fullResidual && restResidual < residual) {
            residual = restResidual;
            bestC = c;
            slope = b;
            used = restCount;
        }
    }
    if (residual == HUGE_VAL)
        return -1;
    // Shots scattered about the V by more than a fraction of its rise from
    // one shot to the next place its point no better than the peak does.
    if (std::sqrt(residual / std::max(used - 2, 1)) > MaxScatter * slope)
        return -1;
    // At the scan's ends the V would put the best beyond a neighbour that
    // is less sharp than the peak: the shots do not describe a V.
    if (bestC <= peak - 1 + 1e-9 || bestC >= peak + 1 - 1e-9)
        return -1;
    return bestC;
}

} // namespace kelvaris
