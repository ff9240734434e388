#pragma once

#include <QByteArray>
#include <QString>

#include <filesystem>
#include <optional>

namespace kelvaris {

// Reading a whole file by its exact native name, one implementation per
// operating system. Only regular files are read: a pipe, a device or a
// directory that happens to carry a picture's name is refused before a
// single byte is asked of it, so that nothing ever blocks.

// What identifies one state of a file: a file rewritten, grown, or replaced
// by another under the same name has a different stamp.
struct FileStamp
{
    qint64 size = 0;
    qint64 modified = 0; // in the system's own units; only ever compared
    quint64 volume = 0;
    quint64 index = 0; // the file's number on its volume

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

struct RegularFileRead
{
    enum class Status
    {
        Read,       // `data` holds the file's bytes
        Missing,    // no file of that name, or a directory of its path is gone
        NotRegular, // a directory, pipe, socket or device
        TooLarge,   // larger than the most the caller takes; nothing read
        Locked,     // another program holds the file shut (Windows only)
        Denied,     // the user may not read it
        Failed,     // any other error of the system
    };

    Status status = Status::Failed;
    // Up to the size found at opening; fewer bytes when the file shrank
    // meanwhile.
    QByteArray data;
    // The file as found at opening; set from Read and TooLarge on.
    FileStamp stamp;
    // The system's own words, for the log; empty when read.
    QString error;
};

// Opens the file at `path` without blocking, checks that it is a regular
// file of at most `maxSize` bytes, and reads it whole.
RegularFileRead readRegularFile(const std::filesystem::path& path, qint64 maxSize);

// The stamp of the file at `path` now; none when nothing can be found there.
std::optional<FileStamp> fileStamp(const std::filesystem::path& path);

// The same for a small file named by text, as the settings file is: true,
// with its whole content in `data`, when it is a regular file that could be
// read. A named pipe, a device such as /dev/zero or a directory is never
// read (nor waited on), and neither is a file too large to be settings.
bool readRegularFile(const QString& path, QByteArray* data);
// True when `path` is a regular file that can be opened for reading;
// nothing is read.
bool canReadRegularFile(const QString& path);

} // namespace kelvaris
