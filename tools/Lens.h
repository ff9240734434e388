#pragma once

// The demo camera's lens and sensor: defocus as three box blurs, close to a
// lens's at a fraction of the cost of a true disc, and sensor noise that a
// shot keeps whatever its focus.

#include <QImage>

#include <functional>

// Runs fn(begin, end) over [0, n) split between the processor's cores.
void parallelFor(int n, const std::function<void(int, int)>& fn);

// `scene` out of focus by about a Gaussian of `sigma` pixels.
QImage defocused(const QImage& scene, double sigma);

// Adds a sensor's noise of a couple of levels, the same for the same seed.
void addSensorNoise(QImage& image, quint32 seed);

// A shot of `scene`: defocused by `sigma`, then noisy.
QImage shoot(const QImage& scene, double sigma, quint32 seed);
