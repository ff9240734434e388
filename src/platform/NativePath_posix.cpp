#include "platform/NativePath.h"

#include <QFile>
#include <QStringDecoder>

#include <climits>

namespace kelvaris {

NativePath toNativePath(const QString& path)
{
    return NativePath(QFile::encodeName(path).toStdString());
}

QString fromNativeName(const NativeName& name)
{
    const QByteArrayView bytes(name.data(), static_cast<qsizetype>(name.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(bytes);
}

int longestPathBytes()
{
    // PATH_MAX counts the terminator.
    return PATH_MAX - 1;
}

} // namespace kelvaris
