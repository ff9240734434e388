#include "platform/DirectoryReader.h"

#include <string>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace kelvaris {

namespace {

constexpr DWORD hiddenOrSystem = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// A link to a file counts as the file; a link to a folder, or one that
// leads nowhere, is no file.
bool isRegularFile(const std::wstring& directory, const WIN32_FIND_DATAW& entry)
{
    if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return false;
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return true;
    const std::wstring path = directory + L'\\' + entry.cFileName;
    const DWORD target = GetFileAttributesW(path.c_str());
    return target != INVALID_FILE_ATTRIBUTES && !(target & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

bool readDirectory(const NativePath& directory,
                   const std::function<bool(const NativeChar*, std::size_t)>& wanted,
                   const std::function<void(const NativeChar*, std::size_t)>& take)
{
    const std::wstring dir = directory.native();
    const std::wstring pattern = dir + L"\\*";
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    do {
        const wchar_t* name = entry.cFileName;
        if (entry.dwFileAttributes & hiddenOrSystem)
            continue;
        if (name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0)))
            continue;
        const std::size_t length = std::char_traits<wchar_t>::length(name);
        if (wanted(name, length) && isRegularFile(dir, entry))
            take(name, length);
    } while (FindNextFileW(find, &entry));
    // A directory that fails while being read lists nothing rather than half.
    const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return complete;
}

} // namespace kelvaris
