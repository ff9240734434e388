#pragma once

#include <span>

namespace kelvaris {

// Where the best focus lies between the shots of a sweep through focus.
//
// Away from best focus a lens spreads a point into a disk whose radius
// grows in proportion to the focus error, and the region's figure (the
// root mean square of its fine gradients) falls as one over the square root
// of that radius: 1 / figure^2 grows linearly on each side of the best. With
// the focus ring turned by even steps, as a photographer sweeping through
// focus turns it, 1 / figure^2 against the shots' order is a V whose point
// is the best focus. Astronomers' focusers fit such a V (or a hyperbola,
// which is the same V with its point rounded) against the focuser's
// position; here only the shots' order is known.
//
// The fit: y = a + b |x - c| with the same slope on both sides, by least
// squares, over the peak and two or three counted shots on each side of it
// (three on the side of its better neighbour, so that the shots taken are
// balanced around the best focus).
//
// `figures` are the shots' figures in the order they were taken, 0 (or
// less) for a shot that is not to be counted (not measured, shaken, too
// little detail); `peak` is the sharpest of them. Returns the position of
// the best focus in shot order (3.5: half-way between shots 3 and 4), or
// a negative number where the shots do not support an estimate: fewer than
// two counted shots on either side of the peak, or no V through them.
double bestFocusPosition(std::span<const double> figures, int peak);

} // namespace kelvaris
