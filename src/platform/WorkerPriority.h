#pragma once

namespace kelvaris {

// Work done aside (decoding, measuring) yields to the GUI thread whenever
// both want a core: a drag or a blink never waits on it. Called by such a
// worker on itself. One implementation per operating system: Linux honours
// a thread's niceness, and Qt's thread priorities below normal are
// ignored there.
void lowerThisThreadsPriority();

} // namespace kelvaris
