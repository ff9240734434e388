#pragma once

#include "capture/JpegDecoding.h"
#include "platform/Picture.h"
#include "platform/RegularFile.h"

#include <QRect>
#include <QString>

#include <filesystem>

namespace kelvaris {

// Loading one shot from the reception directory. A shot is read once and
// decoded once; its outcome says whether it may be shown and measured, and
// a shot not taken says why, in words for the photographer and in words for
// the log.
struct LoadedShot
{
    enum class Outcome
    {
        Taken,      // complete and decoded
        Incomplete, // still being written: empty, truncated, no end-of-image marker yet,
                    // changed while it was read, or held shut by another program;
                    // worth another try later
        Unreadable, // not a regular file, cannot be opened or read, is no JPEG, is
                    // damaged though complete (the decoder found its data inconsistent),
                    // declares more pixels than its size can hold, has scans that
                    // would take many ordinary decodings of its size, is in a kind of
                    // JPEG not decoded here (12-bit, lossless, hierarchical), or is
                    // larger than 2 GB
        Vanished,   // gone before it could be read, or removed while it was read
        Stopped,    // asked to stop before the end: nothing to say of the file
    };

    Outcome outcome = Outcome::Unreadable;
    // The upright picture (the EXIF orientation applied), RGB32; set when taken.
    Picture picture;
    // The number of bytes read and decoded (the file's size when taken).
    qint64 fileSize = 0;
    // Why the shot was not taken, for the photographer: a short, calm French
    // phrase that reads after the file name, "IMG_0042.JPG" + " " + reason,
    // as in « est endommagé » or « est incomplet ». Empty when taken.
    QString reason;
    // What went wrong in the system's or the decoder's own words, in English,
    // for the log; empty when taken.
    QString error;

    bool taken() const { return outcome == Outcome::Taken; }
};

// A shot's file read whole and found complete, ready to be decoded; or
// the reason it cannot be.
struct ShotFile
{
    // Outcome Taken when the file is ready to be decoded; else why not.
    LoadedShot refusal;
    QByteArray data;
    FileStamp stamp;     // the file as it was read
    int orientation = 1; // EXIF, 1 to 8
    QSize stored;        // the picture's size as stored, from its frame header
    // Whether a part alone can be decoded (decodeShotPart): a sequential,
    // Huffman-coded picture in grey or colour, as cameras write them.
    bool partDecodable = false;

    bool isReady() const { return refusal.taken(); }
};

// Reads the JPEG file at `path`, named exactly as the system names it
// (bytes on POSIX, wide characters on Windows), so that a name in no valid
// encoding opens too. Only a regular file is opened, and opening never
// blocks. The file is read once; a file still being written is recognised
// from its markers without being decoded, and a file whose size,
// modification time or identity changed while it was read is incomplete.
ShotFile readShot(const std::filesystem::path& path);

// Whether the file that `file` was read from is still as it was read:
// Taken when it is; Vanished or Incomplete (changed) otherwise.
LoadedShot stillAsRead(const std::filesystem::path& path, const ShotFile& file);

// Decodes a file that readShot found ready, turned upright; `rowsDecoded`
// is told of the stored picture's rows as they are decoded.
LoadedShot decodeShotFile(const ShotFile& file, const StopFlag* stop = nullptr,
                          const RowsDecoded& rowsDecoded = {});

// A part of a shot decoded before the rest, to show the region in view at once.
struct ShotPart
{
    Picture pixels; // upright, RGB32; null when the file is only decoded whole
    QRect where;    // its place in the upright shot, in pixels
    QSize whole;    // the upright shot's size
};

// Where the part `wanted` of a shot (in the upright shot's pixels) lies in
// the file's stored picture, for taking it from the rows of the whole
// decoding as soon as they are decoded (takePart). Empty `stored` when the
// part lies off the shot or the file is not ready.
struct StoredPart
{
    QRect stored;        // in the stored picture
    QRect where;         // in the upright shot, cut to it
    QSize whole;         // the upright shot's size
    int orientation = 1; // EXIF
};
StoredPart storedPartOf(const ShotFile& file, const QRect& wanted);
// The part's pixels, upright, once the first `rows` rows of the stored
// `picture` hold all of it; null pixels before.
ShotPart takePart(const StoredPart& part, const QImage& picture, int rows);

// Decodes the part `wanted` (in the upright shot's pixels, cut to the shot)
// of a file that readShot found ready: the same pixels as the same part of
// decodeShotFile's picture. Null pixels when the file is decoded whole only
// (progressive, arithmetic-coded, CMYK), when the part lies off the shot,
// or when it fails: the whole decoding then tells why.
ShotPart decodeShotPart(const ShotFile& file, QRect wanted, const StopFlag* stop = nullptr);

// Reads and decodes the JPEG file at `path`: readShot, decodeShotFile and
// stillAsRead in one. Safe to call from several threads at once: each
// thread keeps a decoder of its own.
LoadedShot loadShot(const std::filesystem::path& path);

// The same for a path held as text, for callers that have no other: a name
// that is not valid in the system's encoding cannot be given this way.
LoadedShot loadShot(const QString& path);

// Decodes JPEG data already in memory, with the same outcomes as loadShot
// except those that need the file (its size is not checked again).
LoadedShot decodeShot(const QByteArray& data);

} // namespace kelvaris
