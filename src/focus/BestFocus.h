#pragma once

#include <span>

namespace kelvaris {

// Where the best focus lies between the shots of a sweep through focus.
//
// Away from best focus a lens spreads a point into a disk whose radius
// grows in proportion to the focus error, and the region's figure (the
// root mean square of its gradients) falls about as one over that radius
// on real photographs (tools/sharpness_eval): 1 / figure grows linearly on
// each side of the best, its point rounded by what the lens and the pixels
// leave at best focus, a hyperbola. With the focus ring turned by even
// steps, as a photographer sweeping through focus turns it, the shots'
// order stands for the focuser's position, and the hyperbola's axis is the
// best focus, as astronomers' focusers find it against the focuser's
// position.
//
// The fit: (1 / figure)^2 = a^2 + b^2 (x - c)^2 by least squares for each
// c within a shot of the peak, over the peak and the three counted shots
// nearest it on each side. One or two shots less sharp than the V through
// the others (shaken ones: nothing makes a steady shot sharper than its
// focus) are left out where each divides the residual by four, the next
// shots out standing in for them.
//
// `figures` are the shots' figures in the order they were taken, 0 (or
// less) for a shot that is not to be counted (not measured, too little
// detail); `peak` is the sharpest of them. Returns the position of the best
// focus in shot order (3.5: half-way between shots 3 and 4), or a negative
// number where the shots do not support an estimate: fewer than two counted
// shots on either side of the peak, arms that do not fall to 90 % of the
// peak's figure, a point beyond the peak's neighbours, or shots that
// scatter about the hyperbola by more than 0.3 of its rise from one shot
// to the next.
double bestFocusPosition(std::span<const double> figures, int peak);

} // namespace kelvaris
