#pragma once

#include "platform/Picture.h"

#include <QString>

namespace kelvaris {

// Loading one shot from the reception directory. A shot is decoded once;
// its outcome says whether it may be shown and measured.
struct LoadedShot
{
    enum class Outcome {
        Taken,      // complete and decoded
        Incomplete, // still being written: truncated, no end-of-image marker, or growing
        Unreadable, // cannot be opened, or is no JPEG
        Vanished,   // gone before it could be read
    };

    Outcome outcome = Outcome::Unreadable;
    // The upright picture (the EXIF orientation applied), RGB32; set when taken.
    Picture picture;
    // The file's size in bytes as it was read.
    qint64 fileSize = 0;
    // What went wrong, for the log; empty when taken.
    QString error;

    bool taken() const { return outcome == Outcome::Taken; }
};

// Reads and decodes the JPEG file at `path` through TurboJPEG.
LoadedShot loadShot(const QString& path);

// Decodes JPEG data already in memory (the file's size is not checked).
LoadedShot decodeShot(const QByteArray& data);

} // namespace kelvaris
