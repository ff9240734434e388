#include "capture/JpegLayout.h"

#include <QtEndian>

#include <cstring>

namespace kelvaris {

namespace {

// Skips entropy-coded data from `p`: returns the position of the next marker
// (its 0xff), or `n` when the data ends first. Inside a scan 0xff is always
// followed by a stuffed 0x00 or a restart marker, so any other 0xff starts a
// marker.
qsizetype skipEntropyData(const uchar* d, qsizetype p, qsizetype n)
{
    while (p < n) {
        const auto* ff = static_cast<const uchar*>(std::memchr(d + p, 0xff, size_t(n - p)));
        if (!ff)
            return n;
        const qsizetype q = ff - d;
        if (q + 1 >= n)
            return n;
        const uchar next = d[q + 1];
        if (next == 0x00 || (next >= 0xd0 && next <= 0xd7))
            p = q + 2;
        else
            return q;
    }
    return n;
}

} // namespace

JpegLayout walkJpegMarkers(const uchar* d, qsizetype n)
{
    JpegLayout layout;
    qsizetype p = 2;
    while (p < n) {
        if (d[p] != 0xff) { // stray bytes between segments: resynchronise
            ++p;
            continue;
        }
        while (p < n && d[p] == 0xff) // fill bytes
            ++p;
        if (p >= n)
            break;
        const uchar marker = d[p++];
        if (marker == 0xd9) { // EOI
            layout.endFound = layout.reachedScan;
            break;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8))
            continue; // markers without a length
        if (p + 2 > n)
            break;
        const qsizetype length = qFromBigEndian<quint16>(d + p);
        if (length < 2) {
            layout.corrupt = true;
            break;
        }
        if (p + length > n)
            break;
        const uchar* body = d + p + 2;
        const qsizetype bodySize = length - 2;
        if (marker == 0xe1 && !layout.exif && bodySize >= 6 &&
            std::memcmp(body, "Exif\0\0", 6) == 0) {
            layout.exif = body + 6;
            layout.exifSize = bodySize - 6;
        }
        // A frame header (SOF0 to SOF15, not DHT, JPG or DAC): precision,
        // then the height and the width.
        const bool frameHeader =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (frameHeader && layout.frame.isEmpty() && bodySize >= 5)
            layout.frame =
                QSize(qFromBigEndian<quint16>(body + 3), qFromBigEndian<quint16>(body + 1));
        p += length;
        if (marker == 0xda) { // SOS: its entropy-coded data follows
            layout.reachedScan = true;
            p = skipEntropyData(d, p, n);
        }
    }
    return layout;
}

} // namespace kelvaris
