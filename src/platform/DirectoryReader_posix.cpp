#include "platform/DirectoryReader.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>

namespace kelvaris {

namespace {

// Whether `name` in the open directory is a regular file or a link to one.
// The entry type usually answers; only links and file systems that do not
// report types cost a stat.
bool isRegularFile(DIR* dir, const dirent* entry)
{
#ifdef _DIRENT_HAVE_D_TYPE
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
#endif
    struct stat st;
    // A dangling link, or a file removed meanwhile, is simply not listed.
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
        return false;
    return S_ISREG(st.st_mode);
}

} // namespace

bool readDirectory(const NativePath& directory,
                   const std::function<bool(const NativeChar*, std::size_t)>& wanted,
                   const std::function<void(const NativeChar*, std::size_t)>& take)
{
    DIR* dir = opendir(directory.c_str());
    if (!dir)
        return false;
    bool readable = true;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir);
        if (!entry) {
            // A directory that fails while being read lists nothing rather than half.
            readable = errno == 0;
            break;
        }
        const char* name = entry->d_name;
        if (name[0] == '.')
            continue;
        const std::size_t length = std::char_traits<char>::length(name);
        if (wanted(name, length) && isRegularFile(dir, entry))
            take(name, length);
    }
    closedir(dir);
    return readable;
}

} // namespace kelvaris
