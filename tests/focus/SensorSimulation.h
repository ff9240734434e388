#pragma once

// A sensor's photon and read noise on a camera's shots (ShotSimulation.h):
// the electrons a pixel collects, their photon noise, the read noise, the
// full well clipping. For the focus tests and tools/sharpness_eval.

#include "focus/ShotSimulation.h"

#include <QImage>

#include <cmath>
#include <vector>

namespace kelvaris::simulation {

// A sensor: its full well in electrons at the ISO used, and its read noise.
struct Sensor
{
    double fullWell = 25000;
    double readNoise = 3;

    // ISO 100, 800 and 3200 of a typical sensor; 0 for none (no noise).
    static Sensor atIso(int iso)
    {
        switch (iso) {
        case 800:
            return {25000.0 / 8, 2};
        case 3200:
            return {25000.0 / 32, 1.6};
        case 0:
            return {0, 0};
        default:
            return {25000, 3};
        }
    }
};

// Normal draws, fast: a 64-bit xorshift and the inverse of the normal
// distribution's cumulative function in a table of 4096 steps.
class NormalNoise
{
public:
    explicit NormalNoise(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 1)
    {
        static const std::vector<float> table = [] {
            std::vector<float> t(4096);
            for (int i = 0; i < 4096; ++i) {
                // Bisection on erf: the quantile of (i + 0.5) / 4096.
                const double p = (i + 0.5) / 4096;
                double lo = -6, hi = 6;
                for (int k = 0; k < 60; ++k) {
                    const double mid = (lo + hi) / 2;
                    (0.5 * std::erfc(-mid / std::sqrt(2.0)) < p ? lo : hi) = mid;
                }
                t[i] = float((lo + hi) / 2);
            }
            return t;
        }();
        m_table = table.data();
    }
    float next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        // Two table entries apart by a random fraction: a smooth distribution.
        const quint32 bits = quint32(m_state >> 20);
        const int i = int(bits >> 20);
        const float f = float(bits & 0xfffff) / float(1 << 20);
        return i < 4095 ? m_table[i] + f * (m_table[i + 1] - m_table[i]) : m_table[i];
    }

private:
    quint64 m_state;
    const float* m_table = nullptr;
};

// The picture as a sensor records it `stops` brighter (darker when
// negative): photon noise on the electrons collected and read noise, the
// full well clipping, then sRGB. Each channel is a sensor of its own.
inline QImage capture(const LinearPicture& picture, double stops, const Sensor& sensor,
                      quint64 seed)
{
    if (sensor.fullWell <= 0)
        return expose(picture, stops);
    NormalNoise noise(seed);
    const double scale = std::exp2(stops) * sensor.fullWell;
    const double read2 = sensor.readNoise * sensor.readNoise;
    return encodeSrgb(picture, [&](int c, std::size_t i) {
        const double electrons = std::min(picture.planes[c][i] * scale, sensor.fullWell);
        const double read = electrons + std::sqrt(std::max(electrons, 0.0) + read2) * noise.next();
        const double l = std::clamp(read / sensor.fullWell, 0.0, 1.0);
        return std::size_t(std::lround(l * 65535));
    });
}

} // namespace kelvaris::simulation
