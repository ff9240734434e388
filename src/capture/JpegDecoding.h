#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <atomic>
#include <functional>

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
        Stopped,     // asked to stop before the end
        WholeOnly,   // a part alone was asked of a file that is only decoded whole
    };

    Verdict verdict = Verdict::Damaged;
    // Set when decoded, as stored (the EXIF orientation not applied).
    QImage image;
    // Where `image` lies in the stored picture: all of it, or the part asked for.
    QRect region;
    // The stored picture's size, once its header was read.
    QSize pictureSize;
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
// its own. Another thread may set `stop` to make it give up within a few rows.
using StopFlag = std::atomic<bool>;
// Told, on the decoding thread, each time more rows of `picture` are
// decoded: its rows from 0 to `rows` - 1 are final. A part of a shot can
// be taken from them before the rest is decoded.
using RowsDecoded = std::function<void(const QImage& picture, int rows)>;
JpegDecoding decodeJpeg(const uchar* data, qsizetype size, const StopFlag* stop = nullptr,
                        const RowsDecoded& rowsDecoded = {});

// Decodes only the part `wanted` of the stored picture (cut to it), for the
// region on screen to appear before the rest: the rows above it are skipped
// with their coefficients left untransformed, the columns beside it are not
// transformed, and decoding stops after its last row. The pixels are those
// of the whole decoding, exactly. Sequential Huffman-coded files in grey,
// YCbCr or RGB are decoded so; any other gives WholeOnly, as does a part
// that lies off the picture. The picture's size is checked as decodeJpeg
// checks it; damage after the part is not seen.
JpegDecoding decodeJpegPart(const uchar* data, qsizetype size, QRect wanted,
                            const StopFlag* stop = nullptr);

} // namespace kelvaris
