#pragma once

// Focusing sessions made up from a region of a photograph, as
// tools/sharpness_eval draws them: a sweep of nine shots through focus,
// the lens's defocus a disk in linear light, then the sensor, the light,
// the camera's hand and its JPEG as a condition says.

#include "focus/SensorSimulation.h"

#include <QImage>
#include <QRandomGenerator>
#include <QRect>

#include <array>
#include <vector>

namespace kelvaris::eval {

constexpr int SweepLength = 9;

// What the shots of a session go through besides focus.
struct Condition
{
    const char* name;
    int iso;                          // 100, 800 or 3200: the sensor's noise
    bool flicker;                     // each shot exposed from -1/3 to +1/3 stop
    bool everything;                  // also shifts and two shaken shots
    bool qualityPerShot = everything; // a JPEG quality drawn per shot, not per session
};

// The focus of the nine shots, and which are shaken.
struct Sweep
{
    double best = 4; // where focus is best, in shot order (2 to 6, halves too)
    double step = 1; // the defocus radius one shot further away adds, pixels
    std::array<double, SweepLength> radius{};
    std::array<double, SweepLength> shakeLength{}; // 0: steady
    std::array<double, SweepLength> shakeAngle{};

    bool shaken(int i) const { return shakeLength[std::size_t(i)] > 0; }
    // Among the steady shots, one of those of the smallest defocus.
    bool trulySharpest(int i) const;
};

// The true best anywhere from 2 to 6 in half steps, steps of 0.75 to 1.33
// pixels of radius (all radii within 0 to 8), two shaken shots (a stroke
// of 2 to 4 pixels in any direction) among the nine.
Sweep drawSweep(QRandomGenerator& random);

// One region of a photograph made ready for the sessions of a sweep: each
// shot's lens and shake applied once, the sensor and JPEG per condition.
class SessionScene
{
public:
    // `crop` in the photograph's pixels; the shots are a little larger
    // than the crop, cut so that it falls anywhere on the grid of tiles of
    // `tileSize` pixels.
    SessionScene(const simulation::LinearPicture& photograph, const QRect& crop, int tileSize,
                 const Sweep& sweep, QRandomGenerator& random);

    // The nine shots, decoded as the program decodes them.
    std::vector<QImage> shots(const Condition& condition, QRandomGenerator& random) const;
    // Where the crop lies in each shot.
    QRect crop() const { return m_crop; }
    int tileSize() const { return m_tileSize; }

private:
    static constexpr int Extra = 14; // blur's reach: radius 8, shake 2, shift 2, and some
    std::array<simulation::LinearPicture, SweepLength> m_steady;
    std::array<simulation::LinearPicture, SweepLength> m_shaken;
    QRect m_crop;
    QSize m_shotSize;
    int m_tileSize;
};

} // namespace kelvaris::eval
