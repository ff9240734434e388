#include "platform/RegularFile.h"

#include "platform/NativePath.h"

#include <utility>

namespace kelvaris {

namespace {
// A settings file holds a few hundred bytes: one of 16 MB is something else.
constexpr qint64 MaxTextFileSize = qint64(16) << 20;
} // namespace

bool readRegularFile(const QString& path, QByteArray* data)
{
    RegularFileRead read = readRegularFile(toNativePath(path), MaxTextFileSize);
    if (read.status != RegularFileRead::Status::Read)
        return false;
    *data = std::move(read.data);
    return true;
}

bool canReadRegularFile(const QString& path)
{
    // Opened and looked at, never read: any content is too large for nothing.
    const RegularFileRead::Status status = readRegularFile(toNativePath(path), 0).status;
    return status == RegularFileRead::Status::Read || status == RegularFileRead::Status::TooLarge;
}

} // namespace kelvaris
