#include "platform/NativePath.h"

namespace kelvaris {

NativePath toNativePath(const QString& path)
{
    return NativePath(path.toStdWString());
}

QString fromNativeName(const NativeName& name)
{
    return QString::fromStdWString(name);
}

int longestPathBytes()
{
    // A long path holds 32767 UTF-16 units, 3 bytes each at most in UTF-8.
    return 3 * 32767;
}

} // namespace kelvaris
