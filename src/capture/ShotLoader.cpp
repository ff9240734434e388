#include "capture/ShotLoader.h"

#include "capture/JpegDecoding.h"
#include "capture/JpegLayout.h"
#include "capture/Upright.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <climits>
#include <utility>

namespace kelvaris {

namespace {

using Outcome = LoadedShot::Outcome;

// libjpeg takes the size as an unsigned long (32 bits on Windows), and no
// camera writes a 2 GB JPEG: larger files are refused before they are read.
constexpr qint64 maxFileSize = INT_MAX;

// Why a shot was not taken, as the photographer reads it after the file's
// name. One wording per cause, all in the same calm present tense.
enum class Why
{
    Empty,
    Incomplete,
    ChangedWhileRead,
    Locked,
    Vanished,
    VanishedWhileRead,
    NotRegular,
    Denied,
    ReadFailed,
    TooLarge,
    NotJpeg,
    Damaged,
    ImplausibleSize,
    TwelveBit,
    Lossless,
    Hierarchical,
    UnsupportedColours,
    OutOfMemory,
    TooMuchWork,
};

QString wording(Why why)
{
    switch (why) {
    case Why::Empty:
        return QStringLiteral("est vide");
    case Why::Incomplete:
        return QStringLiteral("est incomplet");
    case Why::ChangedWhileRead:
        return QStringLiteral("a changé pendant sa lecture");
    case Why::Locked:
        return QStringLiteral("est encore ouvert par un autre programme");
    case Why::Vanished:
        return QStringLiteral("a disparu");
    case Why::VanishedWhileRead:
        return QStringLiteral("a disparu pendant sa lecture");
    case Why::NotRegular:
        return QStringLiteral("n'est pas un fichier ordinaire");
    case Why::Denied:
        return QStringLiteral("n'a pas pu être ouvert\u00a0: accès refusé");
    case Why::ReadFailed:
        return QStringLiteral("n'a pas pu être lu");
    case Why::TooLarge:
        return QStringLiteral("est trop volumineux (plus de 2\u00a0Go)");
    case Why::NotJpeg:
        return QStringLiteral("n'est pas un fichier JPEG");
    case Why::Damaged:
        return QStringLiteral("est endommagé");
    case Why::ImplausibleSize:
        return QStringLiteral("déclare une taille d'image invraisemblable");
    case Why::TwelveBit:
        return QStringLiteral("est en JPEG 12\u00a0bits, non pris en charge");
    case Why::Lossless:
        return QStringLiteral("est en JPEG sans perte, non pris en charge");
    case Why::Hierarchical:
        return QStringLiteral("est en JPEG hiérarchique, non pris en charge");
    case Why::UnsupportedColours:
        return QStringLiteral("utilise un codage des couleurs non pris en charge");
    case Why::OutOfMemory:
        return QStringLiteral("est trop grand pour la mémoire disponible");
    case Why::TooMuchWork:
        return QStringLiteral("demande un décodage démesuré");
    }
    return QString();
}

LoadedShot refused(Outcome outcome, Why why, const QString& error, qint64 fileSize = 0)
{
    LoadedShot shot;
    shot.outcome = outcome;
    shot.reason = wording(why);
    shot.error = error;
    shot.fileSize = fileSize;
    return shot;
}

Why whyOf(JpegDecoding::Verdict verdict)
{
    using Verdict = JpegDecoding::Verdict;
    switch (verdict) {
    case Verdict::ImplausibleSize:
        return Why::ImplausibleSize;
    case Verdict::TwelveBit:
        return Why::TwelveBit;
    case Verdict::Lossless:
        return Why::Lossless;
    case Verdict::Hierarchical:
        return Why::Hierarchical;
    case Verdict::UnsupportedColours:
        return Why::UnsupportedColours;
    case Verdict::OutOfMemory:
        return Why::OutOfMemory;
    case Verdict::TooMuchWork:
        return Why::TooMuchWork;
    case Verdict::Decoded:
    case Verdict::Damaged:
    case Verdict::Stopped:
    case Verdict::WholeOnly:
        break;
    }
    return Why::Damaged;
}

LoadedShot refusedFile(const RegularFileRead& file)
{
    using Status = RegularFileRead::Status;
    switch (file.status) {
    case Status::Missing:
        return refused(Outcome::Vanished, Why::Vanished, file.error);
    case Status::NotRegular:
        return refused(Outcome::Unreadable, Why::NotRegular, file.error);
    case Status::TooLarge:
        return refused(Outcome::Unreadable, Why::TooLarge,
                       QStringLiteral("larger than 2 GB (%1 bytes)").arg(file.stamp.size));
    case Status::Locked:
        return refused(Outcome::Incomplete, Why::Locked, file.error);
    case Status::Denied:
        return refused(Outcome::Unreadable, Why::Denied, file.error);
    case Status::Read:
    case Status::Failed:
        break;
    }
    return refused(Outcome::Unreadable, Why::ReadFailed, file.error);
}

// The checks made of a file's bytes before they are decoded: ready (Taken)
// or why not. Sets `layout` from the markers.
LoadedShot checkBytes(const QByteArray& data, JpegLayout& layout)
{
    const qint64 size = data.size();
    const auto* d = reinterpret_cast<const uchar*>(data.constData());
    if (size == 0) // the camera's software has only created the file
        return refused(Outcome::Incomplete, Why::Empty, QStringLiteral("empty file"));
    if (size > maxFileSize)
        return refused(Outcome::Unreadable, Why::TooLarge, QStringLiteral("larger than 2 GB"),
                       size);
    if (size < 2 || d[0] != 0xff || d[1] != 0xd8) {
        if (size == 1 && d[0] == 0xff)
            return refused(Outcome::Incomplete, Why::Incomplete,
                           QStringLiteral("JPEG headers incomplete"), size);
        return refused(Outcome::Unreadable, Why::NotJpeg, QStringLiteral("not a JPEG file"), size);
    }

    // The markers tell a file still being written without decoding it: it
    // is looked at again and again while it grows. A segment length that
    // cannot be is taken for one not yet written: some programs write into
    // a file made full-size and zero-filled beforehand.
    layout = walkJpegMarkers(d, size);
    if (layout.corrupt)
        return refused(Outcome::Incomplete, Why::Incomplete,
                       QStringLiteral("marker segment with an impossible length"), size);
    if (!layout.reachedScan)
        return refused(Outcome::Incomplete, Why::Incomplete,
                       QStringLiteral("JPEG headers incomplete"), size);
    if (!layout.endFound)
        return refused(Outcome::Incomplete, Why::Incomplete,
                       QStringLiteral("no end-of-image marker yet"), size);
    LoadedShot ready;
    ready.outcome = Outcome::Taken;
    ready.fileSize = size;
    return ready;
}

LoadedShot decodeChecked(const QByteArray& data, int orientation, const StopFlag* stop,
                         const RowsDecoded& rowsDecoded = {})
{
    const qint64 size = data.size();
    // Complete: whatever the decoder finds wrong now is the file's own.
    JpegDecoding decoding =
        decodeJpeg(reinterpret_cast<const uchar*>(data.constData()), size, stop, rowsDecoded);
    if (decoding.verdict == JpegDecoding::Verdict::Stopped)
        return refused(Outcome::Stopped, Why::Damaged, decoding.message, size);
    if (decoding.verdict != JpegDecoding::Verdict::Decoded)
        return refused(Outcome::Unreadable, whyOf(decoding.verdict), decoding.message, size);
    QImage picture = upright(std::move(decoding.image), orientation);
    if (picture.isNull())
        return refused(Outcome::Unreadable, Why::OutOfMemory,
                       QStringLiteral("not enough memory to turn the picture upright"), size);

    LoadedShot shot;
    shot.outcome = Outcome::Taken;
    shot.fileSize = size;
    shot.picture = makePicture(std::move(picture));
    return shot;
}

} // namespace

LoadedShot decodeShot(const QByteArray& data)
{
    JpegLayout layout;
    LoadedShot checked = checkBytes(data, layout);
    if (!checked.taken())
        return checked;
    return decodeChecked(data, exifOrientation(layout.exif, layout.exifSize), nullptr);
}

ShotFile readShot(const std::filesystem::path& path)
{
    ShotFile file;
    RegularFileRead read = readRegularFile(path, maxFileSize);
    if (read.status != RegularFileRead::Status::Read) {
        file.refusal = refusedFile(read);
        return file;
    }
    file.stamp = read.stamp;
    file.data = std::move(read.data);
    JpegLayout layout;
    file.refusal = checkBytes(file.data, layout);
    if (file.refusal.outcome == Outcome::Incomplete)
        return file;
    // A file rewritten, replaced or still growing while it was read may
    // have been read as a mixture of old and new bytes.
    const LoadedShot still = stillAsRead(path, file);
    if (!still.taken()) {
        file.refusal = still;
        return file;
    }
    if (file.refusal.taken()) {
        file.orientation = exifOrientation(layout.exif, layout.exifSize);
        file.stored = layout.frame;
        file.partDecodable = (layout.frameMarker == 0xc0 || layout.frameMarker == 0xc1) &&
                             (layout.components == 1 || layout.components == 3);
    }
    return file;
}

LoadedShot stillAsRead(const std::filesystem::path& path, const ShotFile& file)
{
    const qint64 got = file.data.size();
    const std::optional<FileStamp> now = fileStamp(path);
    if (!now)
        return refused(Outcome::Vanished, Why::VanishedWhileRead,
                       QStringLiteral("removed while being read"), got);
    if (*now != file.stamp || now->size != got)
        return refused(Outcome::Incomplete, Why::ChangedWhileRead,
                       QStringLiteral("changed while being read"), got);
    LoadedShot still;
    still.outcome = Outcome::Taken;
    still.fileSize = got;
    return still;
}

LoadedShot decodeShotFile(const ShotFile& file, const StopFlag* stop,
                          const RowsDecoded& rowsDecoded)
{
    if (!file.isReady())
        return file.refusal;
    return decodeChecked(file.data, file.orientation, stop, rowsDecoded);
}

StoredPart storedPartOf(const ShotFile& file, const QRect& wanted)
{
    StoredPart part;
    if (!file.isReady() || wanted.isEmpty() || file.stored.isEmpty())
        return part;
    part.whole = uprightSize(file.stored, file.orientation);
    part.where = wanted.intersected(QRect(QPoint(0, 0), part.whole));
    if (part.where.isEmpty())
        return StoredPart();
    part.stored = storedRect(part.where, file.stored, file.orientation);
    part.orientation = file.orientation;
    return part;
}

ShotPart takePart(const StoredPart& part, const QImage& picture, int rows)
{
    ShotPart taken;
    if (part.stored.isEmpty() || rows <= part.stored.bottom() ||
        !QRect(QPoint(0, 0), picture.size()).contains(part.stored))
        return taken;
    QImage pixels = upright(picture.copy(part.stored), part.orientation);
    if (pixels.isNull())
        return taken;
    taken.pixels = makePicture(std::move(pixels));
    taken.where = part.where;
    taken.whole = part.whole;
    return taken;
}

ShotPart decodeShotPart(const ShotFile& file, QRect wanted, const StopFlag* stop)
{
    ShotPart part;
    const StoredPart where = storedPartOf(file, wanted);
    if (where.stored.isEmpty())
        return part;
    const auto* d = reinterpret_cast<const uchar*>(file.data.constData());
    const QSize stored = file.stored;
    const QSize whole = where.whole;
    JpegDecoding decoding = decodeJpegPart(d, file.data.size(), where.stored, stop);
    if (decoding.verdict != JpegDecoding::Verdict::Decoded || decoding.pictureSize != stored)
        return part;
    QImage pixels = upright(std::move(decoding.image), file.orientation);
    if (pixels.isNull())
        return part;
    part.where = uprightRect(decoding.region, stored, file.orientation);
    part.whole = whole;
    part.pixels = makePicture(std::move(pixels));
    return part;
}

LoadedShot loadShot(const std::filesystem::path& path)
{
    const ShotFile file = readShot(path);
    if (!file.isReady())
        return file.refusal;
    LoadedShot shot = decodeShotFile(file);
    if (!shot.taken())
        return shot;
    // Changed after it was read: a newer state of the file is on its way.
    const LoadedShot still = stillAsRead(path, file);
    return still.taken() ? shot : still;
}

LoadedShot loadShot(const QString& path)
{
    return loadShot(toNativePath(path));
}

} // namespace kelvaris
