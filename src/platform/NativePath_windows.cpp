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

} // namespace kelvaris
