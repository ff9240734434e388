#pragma once

namespace kelvaris {

// How sharp one region of one shot is, as a SharpnessMap tells it.
struct RegionSharpness
{
    // The figure: the root mean square of the region's fine gradients (at
    // the 1- and 2-pixel scales) over its mean level, that is the contrast
    // of its fine detail relative to its brightness. It rises as focus
    // improves and only compares shots of the same region; shown relative
    // to the session's best. 0 when nothing of the region was measured.
    double value = 0;
    // False where the figure means nothing: too little structure above
    // sensor noise (flat sky, a background already out of focus), most of
    // the detail in highlights that a little more light would clip, or no
    // part of the region on the picture.
    bool enoughDetail = false;

    // What the verdict is made of, for the curve's tooltip and for tuning.
    double level = 0;            // mean green level, 0 to 255
    double structure = 0;        // mean squared second difference of 4x4-pixel means
    double highlightShare = 0;   // share of the detail in cells near clipping
    double measuredFraction = 0; // share of the region that lies on measured pixels
};

} // namespace kelvaris
