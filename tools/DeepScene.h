#pragma once

// A subject deeper than any depth of field, for focus stacking: a page of
// fine print lying on a table, seen from above its near edge, so that it
// recedes from the bottom of the picture (near) to the top (far), its print
// growing finer with the distance. The table beyond its far edge is farther
// still, and out of focus in every shot.

#include <QImage>

#include <vector>

class DeepScene
{
public:
    DeepScene(int width, int height, quint32 seed);

    const QImage& picture() const { return m_scene; }
    // The depth of row `y`: 0 at the page's near edge, 1 at its far edge,
    // more beyond it.
    double depthOf(int y) const { return m_depth[std::size_t(y)]; }

    // A shot focused at depth `focus`: sharp within a tenth of the page of
    // it, each row beyond blurred by how far its depth lies from that, up
    // to `maxBlur` (Gaussian sigma, pixels); then the sensor's noise.
    QImage shot(double focus, double maxBlur, quint32 seed) const;

private:
    QImage m_scene;
    std::vector<double> m_depth;
};
