#pragma once

#include <QByteArray>
#include <QString>

namespace kelvaris {

// The two profile (INI) file functions, with the behaviour of their
// Windows counterparts. Names and values are bytes in the file's code page
// (see Ansi.h); the caller converts.
//
// Reading: section and key names match without regard to case and to white
// space around them; the first section of a name, and the first key of a
// name within it, win; the value is trimmed of white space, and one pair of
// matching quotes around it is removed; a line without '=' is no value.
// The result is cut to `size - 1` bytes. A missing file, section or key
// yields `defaultValue` (cut the same way).
QByteArray getPrivateProfileString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue, int size,
                                   const QString& fileName);

// Writing: replaces the value of the first matching key in the first
// matching section, adds a missing key after the section's last entry, and
// a missing section at the end of the file, creating the file if needed.
// Every other line is kept byte for byte. The file is replaced atomically.
// Returns false, and leaves the file untouched, when it cannot be written
// (read-only file or directory, full disk).
bool writePrivateProfileString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& value, const QString& fileName);

} // namespace kelvaris
