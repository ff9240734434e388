#pragma once

#include <QByteArray>
#include <QString>

namespace kelvaris {

// The two profile (INI) file functions, with the behaviour of their
// Windows counterparts. Names and values are bytes in the file's code page
// (see Ansi.h); the caller converts.
//
// Reading: section and key names match without regard to case (in
// Windows-1252: "é" matches "É") and to white space around them; the first
// section of a name, and the first key of a name within it, win; the value
// is trimmed of white space, and one pair of matching quotes around it is
// removed. A line without '=' is a key without a value: it yields the
// default, and hides a later line of the same name. Lines before the first
// section belong to none. The result is cut to `size - 1` bytes (empty for
// `size` <= 0). A missing file, section or key yields `defaultValue`, less
// its trailing spaces, cut the same way.
QByteArray getPrivateProfileString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue, int size,
                                   const QString& fileName);

// Writing: replaces the value of the first matching key in the first
// matching section, adds a missing key after the section's last entry, and
// a missing section at the end of the file, creating the file if needed.
// Every other line is kept byte for byte; new lines end as the file's first
// line does (CRLF in a file that has none). Names are written as given; a
// null value is written as an empty one (nothing is ever deleted). The file
// is replaced atomically (written in place only when its directory is
// read-only), keeping its permissions, and through a symbolic link.
// Returns false, and leaves the file untouched, when it cannot be written:
// read-only file (no write permission at all counts, even for root),
// read-only directory for a new file, missing directory, full disk; or when
// what is asked could not be read back: a line break in any argument, an
// '=' in the key, or a key beginning with '['.
bool writePrivateProfileString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& value, const QString& fileName);

} // namespace kelvaris
