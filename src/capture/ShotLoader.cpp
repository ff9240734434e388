#include "capture/ShotLoader.h"

#include "capture/Rgb32PixelFormat.h"
#include "capture/Upright.h"
#include "platform/PixelMemory.h"
#include "platform/RegularFile.h"

#include <QtEndian>

#include <climits>
#include <cstring>
#include <utility>

namespace kelvaris {

namespace {

// TurboJPEG takes an unsigned long size (32 bits on Windows), and no camera
// writes a 2 GB JPEG: larger files are refused before they are read.
constexpr qint64 maxFileSize = INT_MAX;
// The largest picture decoded: 2 GB of RGB32, far beyond any camera.
constexpr qint64 maxPixels = qint64(1) << 29;

// One decompressor per thread, created on first use: creating one costs
// more than decoding a small picture, and a handle may not be shared
// between threads.
class Decompressor
{
public:
    ~Decompressor() { reset(); }
    tjhandle get()
    {
        if (!m_handle)
            m_handle = tjInitDecompress();
        return m_handle;
    }
    // After a failed header TurboJPEG leaves the handle mid-header, and the
    // next file would be read as the continuation of the broken one.
    void reset()
    {
        if (m_handle)
            tjDestroy(m_handle);
        m_handle = nullptr;
    }

private:
    tjhandle m_handle = nullptr;
};

thread_local Decompressor decompressor;

// What a walk over the JPEG's markers found, without decoding anything.
struct JpegLayout
{
    bool reachedScan = false;    // the header of a first scan is complete
    bool endFound = false;       // an end-of-image marker follows the scans
    bool corrupt = false;        // a marker segment with an impossible length
    const uchar* exif = nullptr; // the TIFF data of the first Exif segment
    qsizetype exifSize = 0;
};

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

// Walks the marker segments after SOI. A file still being written ends
// before its end-of-image marker; data after that marker (some cameras
// append their own) is never looked at.
JpegLayout walkMarkers(const uchar* d, qsizetype n)
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
        p += length;
        if (marker == 0xda) { // SOS: its entropy-coded data follows
            layout.reachedScan = true;
            p = skipEntropyData(d, p, n);
        }
    }
    return layout;
}

LoadedShot failed(LoadedShot::Outcome outcome, const QString& error, qint64 fileSize = 0)
{
    LoadedShot shot;
    shot.outcome = outcome;
    shot.error = error;
    shot.fileSize = fileSize;
    return shot;
}

} // namespace

LoadedShot decodeShot(const QByteArray& data)
{
    using Outcome = LoadedShot::Outcome;
    const qint64 size = data.size();
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    if (size == 0) // the camera's software has only created the file
        return failed(Outcome::Incomplete, QStringLiteral("empty file"));
    if (size > maxFileSize)
        return failed(Outcome::Unreadable, QStringLiteral("larger than 2 GB"), size);
    if (size < 2 || d[0] != 0xff || d[1] != 0xd8) {
        if (size == 1 && d[0] == 0xff)
            return failed(Outcome::Incomplete, QStringLiteral("JPEG headers incomplete"), size);
        return failed(Outcome::Unreadable, QStringLiteral("not a JPEG file"), size);
    }

    // The markers tell a file still being written without decoding it: it
    // is looked at again and again while it grows.
    const JpegLayout layout = walkMarkers(d, size);
    if (!layout.corrupt && !layout.reachedScan)
        return failed(Outcome::Incomplete, QStringLiteral("JPEG headers incomplete"), size);
    if (!layout.corrupt && !layout.endFound)
        return failed(Outcome::Incomplete, QStringLiteral("no end-of-image marker yet"), size);
    // Past here a hard error is the file's fault only when it is complete.
    const Outcome broken = layout.endFound ? Outcome::Unreadable : Outcome::Incomplete;

    tjhandle tj = decompressor.get();
    if (!tj)
        return failed(Outcome::Unreadable, QStringLiteral("cannot start the JPEG decoder"), size);
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(tj, d, static_cast<unsigned long>(size), &width, &height, &subsampling,
                            &colourspace) != 0) {
        const QString error = QString::fromLocal8Bit(tjGetErrorStr2(tj));
        decompressor.reset();
        return failed(broken, error, size);
    }
    if (width <= 0 || height <= 0 || qint64(width) * height > maxPixels)
        return failed(Outcome::Unreadable,
                      QStringLiteral("implausible picture size %1x%2").arg(width).arg(height),
                      size);

    QImage image = newRgb32Image(width, height);
    if (image.isNull())
        return failed(Outcome::Unreadable, QStringLiteral("not enough memory"), size);
    // Accurate DCT: the sharpness measured must not depend on the decoder's
    // shortcuts.
    if (tjDecompress2(tj, d, static_cast<unsigned long>(size), image.bits(), width,
                      int(image.bytesPerLine()), height, Rgb32PixelFormat,
                      TJFLAG_ACCURATEDCT) != 0) {
        // A warning on a complete file (extraneous bytes, say) leaves a
        // usable picture; on a truncated one the lower part is grey.
        if (tjGetErrorCode(tj) != TJERR_WARNING || !layout.endFound) {
            const QString error = QString::fromLocal8Bit(tjGetErrorStr2(tj));
            decompressor.reset();
            return failed(broken, error, size);
        }
    }

    LoadedShot shot;
    shot.outcome = Outcome::Taken;
    shot.fileSize = size;
    QImage picture = upright(std::move(image), exifOrientation(layout.exif, layout.exifSize));
    if (picture.isNull())
        return failed(Outcome::Unreadable, QStringLiteral("not enough memory"), size);
    shot.picture = makePicture(std::move(picture));
    return shot;
}

LoadedShot loadShot(const std::filesystem::path& path)
{
    using Outcome = LoadedShot::Outcome;
    using Status = RegularFileRead::Status;
    const RegularFileRead file = readRegularFile(path, maxFileSize);
    switch (file.status) {
    case Status::Read:
        break;
    case Status::Missing:
        return failed(Outcome::Vanished, QStringLiteral("no longer there"));
    case Status::TooLarge:
        return failed(Outcome::Unreadable,
                      QStringLiteral("larger than 2 GB (%1 bytes)").arg(file.stamp.size));
    case Status::Locked:
        return failed(Outcome::Incomplete, file.error);
    case Status::NotRegular:
    case Status::Denied:
    case Status::Failed:
        return failed(Outcome::Unreadable, file.error);
    }
    const qint64 got = file.data.size();

    LoadedShot shot = decodeShot(file.data);
    if (shot.outcome == Outcome::Incomplete)
        return shot;
    // A file rewritten, replaced or still growing while it was read may have
    // been decoded from a mixture of old and new bytes.
    const std::optional<FileStamp> after = fileStamp(path);
    if (!after)
        return failed(Outcome::Vanished, QStringLiteral("removed while being read"), got);
    if (*after != file.stamp || after->size != got)
        return failed(Outcome::Incomplete, QStringLiteral("changed while being read"), got);
    return shot;
}

LoadedShot loadShot(const QString& path)
{
    return loadShot(nativePath(path));
}

} // namespace kelvaris
