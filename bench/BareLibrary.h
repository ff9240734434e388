#pragma once

// The bare library doing the program's work, for the ratios of the table.

#include <QString>

#include <turbojpeg.h>

namespace kelvaris::bench {

// What any program using TurboJPEG does at least to show a file: read it,
// allocate the pixels, decode into them, and free them again. The same
// pixel format as the program's pictures; the default (accurate) DCT, as
// the program's. On this kind of machine the first touch of each 4 KB page
// can cost more than decoding into it, so the pixels come either from plain
// pages, as most programs get them, or from huge pages, as the program asks
// for them. False when anything fails.
bool bareDecode(tjhandle tj, const QString& path, bool hugePages);

} // namespace kelvaris::bench
