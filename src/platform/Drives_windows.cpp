#include "platform/Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace kelvaris {

QStringList systemDriveRoots()
{
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives())
        roots << drive.absoluteFilePath();
    return roots;
}

QString driveDisplayName(const QString& root)
{
    const QStorageInfo volume(root);
    QString text = root.left(2).toLower();
    if (volume.isValid() && !volume.name().isEmpty())
        text += QStringLiteral(" [") + volume.name() + QLatin1Char(']');
    return text;
}

QString driveRootForLetter(const QString& letterForm, const QStringList& roots)
{
    const QChar letter = letterForm.at(0);
    for (const QString& root : roots) {
        if (root.startsWith(letter, Qt::CaseInsensitive))
            return root;
    }
    return QString();
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseInsensitive;
}

} // namespace kelvaris
