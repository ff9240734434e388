#pragma once

#include <QImage>
#include <QString>

namespace kelvaris {

// Decoding one complete JPEG file into an RGB32 picture with libjpeg. Every
// JPEG that a camera or an image editor writes in 8 bits is decoded: grey,
// YCbCr and RGB in any subsampling (4:1:0 included), CMYK and YCCK,
// sequential or progressive, Huffman or arithmetic coding.
struct JpegDecoding
{
    enum class Verdict
    {
        Decoded,
        Damaged,            // libjpeg stopped, or found the data inconsistent
        ImplausibleSize,    // no pixels, or more than the data can describe
        TwelveBit,          // 12-bit samples, which libjpeg is not built for
        Lossless,           // the lossless process
        Hierarchical,       // the hierarchical (differential) process
        UnsupportedColours, // neither grey, RGB, YCbCr, CMYK nor YCCK
        OutOfMemory,
        TooMuchWork, // scans that would take many ordinary decodings of the picture's size
    };

    Verdict verdict = Verdict::Damaged;
    // Set when decoded, as stored (the EXIF orientation not applied).
    QImage image;
    // libjpeg's own words, for the log; empty when decoded.
    QString message;
};

// Decodes the `size` bytes at `data`, a JPEG file whose end-of-image marker
// is known to be there: a warning of the decoder (data that does not add up)
// therefore means damage, and the picture is refused. The one exception is
// zero bytes between the last scan and the end-of-image marker, which some
// cameras write (see the definition). A file that declares more pixels than
// its size can describe is refused before any memory is taken for them.
// Safe to call from several threads at once: each thread keeps a decoder of
// its own.
JpegDecoding decodeJpeg(const uchar* data, qsizetype size);

} // namespace kelvaris
