#pragma once

#include <QSize>

namespace kelvaris {

// What a walk over a JPEG file's markers finds, without decoding anything:
// enough to tell a file still being written from a complete one, and to
// find its EXIF data.
struct JpegLayout
{
    bool reachedScan = false;    // the header of a first scan is complete
    bool endFound = false;       // an end-of-image marker follows the scans
    bool corrupt = false;        // a marker segment with an impossible length
    const uchar* exif = nullptr; // the TIFF data of the first Exif segment
    qsizetype exifSize = 0;
    QSize frame; // the picture's size as its first frame header declares it
    // Its frame marker (0xc0 to 0xcf; 0 when none) and its number of
    // components (1 grey, 3 colour, 4 CMYK or YCCK).
    int frameMarker = 0;
    int components = 0;
};

// Walks the marker segments of the JPEG data `d` of `n` bytes, which start
// with a start-of-image marker. A file still being written ends before its
// end-of-image marker; data after that marker (some cameras append their
// own) is never looked at. Any bytes are safe.
JpegLayout walkJpegMarkers(const uchar* d, qsizetype n);

} // namespace kelvaris
