#include "platform/Drives.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace kelvaris {

namespace {

// File systems that hold no user files: kernel views, containers, packages.
bool isPseudoFileSystem(const QByteArray& type)
{
    static const QList<QByteArray> pseudo = {
        "autofs",          "binfmt_misc", "bpf",           "cgroup",   "cgroup2", "configfs",
        "debugfs",         "devpts",      "devtmpfs",      "efivarfs", "fusectl", "hugetlbfs",
        "mqueue",          "nsfs",        "overlay",       "proc",     "pstore",  "ramfs",
        "rpc_pipefs",      "securityfs",  "squashfs",      "sysfs",    "tmpfs",   "tracefs",
        "fuse.gvfsd-fuse", "fuse.portal", "fuse.snapfuse", "nfsd"};
    return pseudo.contains(type);
}

bool isUnder(const QString& path, const QString& dir)
{
    return path == dir || path.startsWith(dir + QLatin1Char('/'));
}

// Mount points of the system itself, never a place for the user's files.
bool isSystemMount(const QString& root)
{
    if (isUnder(root, QStringLiteral("/run/media")))
        return false;
    static const QStringList system = {
        QStringLiteral("/boot"), QStringLiteral("/proc"),     QStringLiteral("/sys"),
        QStringLiteral("/run"),  QStringLiteral("/dev"),      QStringLiteral("/snap"),
        QStringLiteral("/efi"),  QStringLiteral("/var/snap"), QStringLiteral("/var/lib")};
    return std::any_of(system.begin(), system.end(),
                       [&](const QString& dir) { return isUnder(root, dir); });
}

bool isUserMountPoint(const QString& root)
{
    return root.startsWith(QStringLiteral("/media/")) ||
           root.startsWith(QStringLiteral("/run/media/")) ||
           isUnder(root, QStringLiteral("/mnt")) || root == QStringLiteral("/home");
}

// Whether the block device (or the disk it is a partition of) says it is removable.
bool isRemovableDevice(const QByteArray& device)
{
    if (!device.startsWith("/dev/"))
        return false;
    const QString name = QFile::decodeName(device.mid(5));
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        return false;
    const QString node = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    if (node.isEmpty())
        return false;
    for (const QString& dir : {node, QFileInfo(node).path()}) {
        QFile flag(dir + QStringLiteral("/removable"));
        if (flag.open(QIODevice::ReadOnly))
            return flag.read(1) == "1";
    }
    return false;
}
} // namespace

QStringList systemDriveRoots()
{
    QStringList roots{QStringLiteral("/")};
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (!volume.isValid() || !volume.isReady() || root == QLatin1String("/") ||
            isPseudoFileSystem(volume.fileSystemType()) || isSystemMount(root))
            continue;
        if (isUserMountPoint(root) || isRemovableDevice(volume.device()))
            others << root;
    }
    others.sort();
    others.removeDuplicates();
    roots << others;
    return roots;
}

QString driveDisplayName(const QString& root)
{
    const QStorageInfo volume(root);
    const QString label = volume.isValid() && volume.rootPath() == root ? volume.name() : QString();
    QString text = root;
    if (!label.isEmpty())
        text += QStringLiteral(" [") + label + QLatin1Char(']');
    return text;
}

QString driveRootForLetter(const QString& letterForm, const QStringList& roots)
{
    // Paths written for the default drive "c:" mean the root drive here.
    if (letterForm.size() >= 2 && letterForm.at(0).toLower() == QLatin1Char('c') &&
        !roots.isEmpty())
        return roots.first();
    return QString();
}

Qt::CaseSensitivity pathCaseSensitivity()
{
    return Qt::CaseSensitive;
}

} // namespace kelvaris
