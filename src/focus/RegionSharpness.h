#pragma once

namespace kelvaris {

// Which scales of detail a figure counts: the 1- and 2-pixel scales where
// sensor noise is low, the 2- and 4-pixel scales where it is not (at high
// ISO the 1-pixel scale is mostly noise, which a darker shot or a JPEG of
// higher quality keeps more of).
enum class FigureScales
{
    Fine,
    Coarse,
};

// How sharp one region of one shot is, as a SharpnessMap tells it.
struct RegionSharpness
{
    // The figure: the root mean square of the region's fine gradients (at
    // the 1- and 2-pixel scales) over its mean level, that is the contrast
    // of its fine detail relative to its brightness. It rises as focus
    // improves and only compares shots of the same region; shown relative
    // to the session's best. 0 when nothing of the region was measured.
    // Over a session, judgeRegion() may take the coarser scales instead.
    double value = 0;
    // This shot's own verdict: false where the figure means nothing (too
    // little detail above the region's own noise: flat sky, a
    // background already out of focus; or no part of the region on the
    // picture). A session judges the region over all its shots.
    bool enoughDetail = false;

    // What the figure and verdict are made of, in squared levels per pixel.
    double level = 0;            // mean green level, 0 to 255
    double fine = 0;             // squared gradient at the 1-pixel scale
    double coarse = 0;           // at the 2-pixel scale
    double coarser = 0;          // at the 4-pixel scale
    double noise = 0;            // squared diagonal difference at the 1-pixel scale
    double coarseNoise = 0;      // at the 2-pixel scale
    double measuredFraction = 0; // share of the region that lies on measured pixels
};

} // namespace kelvaris
