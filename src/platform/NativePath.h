#pragma once

#include <QString>

#include <filesystem>

namespace kelvaris {

// A path as the operating system spells it: bytes on Linux, UTF-16 on
// Windows. Shots are opened by these exact paths, so that a name which is
// not valid text (a Latin-1 name on a UTF-8 system, as some cameras and
// Windows shares write them) still opens.
using NativePath = std::filesystem::path;
using NativeName = NativePath::string_type;

// The native path of a path that the user typed or the program stored.
NativePath toNativePath(const QString& path);

// A native file name as the user reads it. On Linux, bytes that are not
// valid UTF-8 are read as Latin-1, so that "zz\xe9.jpg" shows as "zzé.jpg"
// rather than with a replacement character.
QString fromNativeName(const NativeName& name);

// The longest path the system takes, in bytes of UTF-8 (as the settings
// file may store it), its terminator left out.
int longestPathBytes();

} // namespace kelvaris
