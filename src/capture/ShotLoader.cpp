#include "capture/ShotLoader.h"

#include "capture/JpegDecoding.h"
#include "capture/JpegLayout.h"
#include "capture/Upright.h"
#include "platform/RegularFile.h"

#include <climits>
#include <utility>

namespace kelvaris {

namespace {

using Outcome = LoadedShot::Outcome;

// libjpeg takes the size as an unsigned long (32 bits on Windows), and no
// camera writes a 2 GB JPEG: larger files are refused before they are read.
constexpr qint64 maxFileSize = INT_MAX;

LoadedShot failed(Outcome outcome, const QString& error, qint64 fileSize = 0)
{
    LoadedShot shot;
    shot.outcome = outcome;
    shot.error = error;
    shot.fileSize = fileSize;
    return shot;
}

LoadedShot failedFile(const RegularFileRead& file)
{
    using Status = RegularFileRead::Status;
    switch (file.status) {
    case Status::Missing:
        return failed(Outcome::Vanished, file.error);
    case Status::NotRegular:
        return failed(Outcome::Unreadable, file.error);
    case Status::TooLarge:
        return failed(Outcome::Unreadable,
                      QStringLiteral("larger than 2 GB (%1 bytes)").arg(file.stamp.size));
    case Status::Locked:
        return failed(Outcome::Incomplete, file.error);
    case Status::Denied:
        return failed(Outcome::Unreadable, file.error);
    case Status::Read:
    case Status::Failed:
        break;
    }
    return failed(Outcome::Unreadable, file.error);
}

} // namespace

LoadedShot decodeShot(const QByteArray& data)
{
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
    // is looked at again and again while it grows. A segment length that
    // cannot be is taken for one not yet written: some programs write into
    // a file made full-size and zero-filled beforehand.
    const JpegLayout layout = walkJpegMarkers(d, size);
    if (layout.corrupt)
        return failed(Outcome::Incomplete,
                      QStringLiteral("marker segment with an impossible length"), size);
    if (!layout.reachedScan)
        return failed(Outcome::Incomplete, QStringLiteral("JPEG headers incomplete"), size);
    if (!layout.endFound)
        return failed(Outcome::Incomplete, QStringLiteral("no end-of-image marker yet"), size);

    // Complete: whatever the decoder finds wrong now is the file's own.
    JpegDecoding decoding = decodeJpeg(d, size);
    if (decoding.verdict != JpegDecoding::Verdict::Decoded)
        return failed(Outcome::Unreadable, decoding.message, size);
    QImage picture =
        upright(std::move(decoding.image), exifOrientation(layout.exif, layout.exifSize));
    if (picture.isNull())
        return failed(Outcome::Unreadable,
                      QStringLiteral("not enough memory to turn the picture upright"), size);

    LoadedShot shot;
    shot.outcome = Outcome::Taken;
    shot.fileSize = size;
    shot.picture = makePicture(std::move(picture));
    return shot;
}

LoadedShot loadShot(const std::filesystem::path& path)
{
    const RegularFileRead file = readRegularFile(path, maxFileSize);
    if (file.status != RegularFileRead::Status::Read)
        return failedFile(file);
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
