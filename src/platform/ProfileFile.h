#pragma once

#include <QByteArray>
#include <QString>

namespace kelvaris {

// The two profile (INI) file functions, with the behaviour of their
// Windows counterparts wherever a file may be shared with the Windows build.
// Names and values are bytes in the file's code page (see Ansi.h); the
// caller converts.
//
// The file: a lone CR ends a line as LF and CRLF do. A line whose first
// non-blank character is '[' opens a section, named by what follows up to
// the first ']' or, without one, up to the line's end; the rest of the line
// is ignored. A line whose first non-blank character is ';' is a comment.
// A line with an '=' in a section is a key line: its name runs up to its
// first '=', its value from there to the line's end. A line without '=' is
// no key, as Windows reads it: a key of its name may follow. Names and values
// in the file are trimmed of spaces, tabs and vertical tabs. Lines before
// the first section belong to none.
//
// Reading: the section and key asked for lose only their spaces (a tab at
// either end stays, so such a name never matches one in the file), and
// match without regard to case (in Windows-1252: "é" matches "É"); a key asked for with a
// leading ';' therefore never matches (comments name no key). The first
// section of a name, and the first key of a name within it, win. One pair
// of matching quotes around the value is removed. The result is cut to
// `size - 1` bytes (empty for `size` <= 0). A missing file,
// section or key yields `defaultValue`, less its trailing spaces, cut the
// same way; so does a path that is no regular file (a directory, a named
// pipe, a device), which is never opened for a blocking read nor read.
QByteArray getPrivateProfileString(const QByteArray& section, const QByteArray& key,
                                   const QByteArray& defaultValue, int size,
                                   const QString& fileName);

// Writing: replaces the value of the first matching key in the first
// matching section, leaving a line without '=' of the key's name as it is;
// adds a missing key right after the section's last line that is neither
// blank nor a comment (so before the comments and blank lines that end the
// section), and a missing section at the end of the file, creating the file
// if needed. New section
// and key names are written without their surrounding spaces; the value is
// written as given. Every other line is kept byte for byte, except that a
// rewritten last line without a line ending gets one; new line endings are
// those of the file's first line (CRLF in a file that has none). A null
// value is written as an empty one (nothing is ever deleted). The file is
// replaced atomically (written in place only when its directory is
// read-only), keeping its permissions, and through a symbolic link.
// Returns false, and leaves the file untouched, when it cannot be written:
// a path that is no regular file, read-only file (no write permission at
// all counts, even for root), read-only directory for a new
// file, missing directory, full disk; or when what is asked could not be read back: a line break in
// any argument, a ']' in the section, an '=' in the key, a key beginning with '[' or ';', or a tab
// or vertical tab around a name.
bool writePrivateProfileString(const QByteArray& section, const QByteArray& key,
                               const QByteArray& value, const QString& fileName);

} // namespace kelvaris
