#pragma once

#include <QImage>

#include <chrono>

namespace kelvaris {

// Memory for decoded pictures, one implementation per operating system.

// An RGB32 image, its pixels not yet set, for a decoder to fill; null when
// memory is short. Where the system offers it, a large one lives in huge
// pages: the kernel then maps 2 MB at each first touch instead of 4 KB, and
// for a 45-megapixel shot those page faults can cost more than decoding it.
//
// The memory of the last large picture let go is kept for the next picture
// of the same size, its pages already mapped, so that one more picture may
// stay in memory between shots; releaseSparePixelMemory gives it back once
// it has been kept `unusedFor`.
QImage newRgb32Image(int width, int height);
void releaseSparePixelMemory(std::chrono::seconds unusedFor);

// Whether the pictures made on the calling thread may take huge pages, as
// they may by default. A thread that decodes in the background gives them
// up: huge pages are few, and a new shot decoded meanwhile without them
// takes twice as long.
void setHugePagesOnThisThread(bool allowed);

} // namespace kelvaris
