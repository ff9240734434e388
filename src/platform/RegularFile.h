#pragma once

#include <QByteArray>
#include <QString>

namespace kelvaris {

// Reading a file that must be a regular one. A settings path may name a
// named pipe, whose opening for reading waits for a writer for ever, a
// device such as /dev/zero, which never ends, or a directory: none of these
// is ever opened for a blocking read, nor read. Symbolic links are followed.

// True when `path` is a regular file that can be opened for reading.
bool canReadRegularFile(const QString& path);

// The whole content of the regular file `path`; false, with `data` left
// alone, when it is no regular file or cannot be read.
bool readRegularFile(const QString& path, QByteArray* data);

} // namespace kelvaris
