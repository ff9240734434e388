#include "EvalSessions.h"

#include <cmath>

namespace kelvaris::eval {

using namespace kelvaris::simulation;

bool Sweep::trulySharpest(int i) const
{
    if (shaken(i))
        return false;
    double smallest = 1e9;
    for (int k = 0; k < SweepLength; ++k) {
        if (!shaken(k))
            smallest = std::min(smallest, radius[std::size_t(k)]);
    }
    return radius[std::size_t(i)] <= smallest + 1e-9;
}

Sweep drawSweep(QRandomGenerator& random)
{
    Sweep sweep;
    sweep.best = 2 + 0.5 * random.bounded(9);
    sweep.step = 0.4 + random.generateDouble() * (4.0 / 3 - 0.4);
    for (int i = 0; i < SweepLength; ++i)
        sweep.radius[std::size_t(i)] = std::min(8.0, sweep.step * std::abs(i - sweep.best));
    const int first = int(random.bounded(SweepLength));
    int second = int(random.bounded(SweepLength - 1));
    second += second >= first;
    for (const int i : {first, second}) {
        sweep.shakeLength[std::size_t(i)] = 2 + 2 * random.generateDouble();
        sweep.shakeAngle[std::size_t(i)] = M_PI * random.generateDouble();
    }
    return sweep;
}

SessionScene::SessionScene(const LinearPicture& photograph, const QRect& crop, int tileSize,
                           const Sweep& sweep, QRandomGenerator& random)
    : m_tileSize(tileSize)
{
    // The crop anywhere on the tiles, 8 pixels from the shot's edges at least.
    const QPoint corner(8 + int(random.bounded(tileSize)), 8 + int(random.bounded(tileSize)));
    m_crop = QRect(corner, crop.size());
    m_shotSize = crop.size() + QSize(tileSize + 16, tileSize + 16);
    const QRect around(crop.topLeft() - corner - QPoint(Extra, Extra),
                       m_shotSize + QSize(2 * Extra, 2 * Extra));
    const LinearPicture scene = window(photograph, around);
    for (int i = 0; i < SweepLength; ++i) {
        LinearPicture& steady = m_steady[std::size_t(i)];
        steady = scene;
        defocus(steady, sweep.radius[std::size_t(i)]);
        if (sweep.shaken(i)) {
            m_shaken[std::size_t(i)] = steady;
            shake(m_shaken[std::size_t(i)], sweep.shakeLength[std::size_t(i)],
                  sweep.shakeAngle[std::size_t(i)]);
        }
    }
}

std::vector<QImage> SessionScene::shots(const Condition& condition, QRandomGenerator& random) const
{
    const Sensor sensor = Sensor::atIso(condition.iso);
    // A camera keeps its quality setting; "everything" draws one per shot.
    const int sessionQuality = 85 + int(random.bounded(14));
    std::vector<QImage> out;
    for (int i = 0; i < SweepLength; ++i) {
        const double stops = condition.flicker ? (2 * random.generateDouble() - 1) / 3 : 0.0;
        const int quality =
            condition.qualityPerShot ? 85 + int(random.bounded(14)) : sessionQuality;
        QPoint shift;
        if (condition.everything)
            shift = QPoint(int(random.bounded(5)) - 2, int(random.bounded(5)) - 2);
        const LinearPicture& lens =
            condition.everything && !m_shaken[std::size_t(i)].planes[0].empty()
                ? m_shaken[std::size_t(i)]
                : m_steady[std::size_t(i)];
        const LinearPicture framed = window(lens, QRect(QPoint(Extra, Extra) + shift, m_shotSize));
        out.push_back(cameraJpeg(capture(framed, stops, sensor, random.generate64()), quality));
    }
    return out;
}

} // namespace kelvaris::eval
