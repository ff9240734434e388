#pragma once

#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QString>

namespace kelvaris {

// The newest file, refused at a look, remembered by its identity (its path,
// size, modification time and number on its volume): while it stays as it
// was, the looks that follow do not read and decode it again, which for a
// damaged 150-megapixel shot would take seconds and hundreds of megabytes
// each time. Any change of the file (it grows, is rewritten, replaced or
// renamed) makes it new again.
struct RefusedFile
{
    NativePath path;
    FileStamp stamp;
    QString name;   // as the user reads it
    QString reason; // as the notice tells it
    bool incomplete = false;

    bool isEmpty() const { return path.empty(); }
    // Whether the file at `at` is this refused file, unchanged.
    bool isUnchangedAt(const NativePath& at) const
    {
        if (isEmpty() || at != path)
            return false;
        const std::optional<FileStamp> now = fileStamp(at);
        return now && *now == stamp;
    }
};

} // namespace kelvaris
