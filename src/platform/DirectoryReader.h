#pragma once

#include "platform/NativePath.h"

#include <cstddef>
#include <functional>

namespace kelvaris {

using NativeChar = NativeName::value_type;

// Reads the files of one directory for the file list, in the order the
// system gives them: regular files and links to regular files, hidden
// entries left out (on Linux names starting with a dot; on Windows the
// hidden and system attributes). `wanted` sees each visible name first, so
// that the costlier type check runs only for names the list keeps; `take`
// receives the names kept. Returns false when the directory cannot be
// read, or fails while being read.
bool readDirectory(const NativePath& directory,
                   const std::function<bool(const NativeChar* name, std::size_t length)>& wanted,
                   const std::function<void(const NativeChar* name, std::size_t length)>& take);

} // namespace kelvaris
