#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace kelvaris {

// The drives that a user picks a directory from, as the system has them.
//
// On Windows the drives are the drive letters. On Linux the first drive is
// the root "/", followed by the mounted volumes a user cares about:
// removable media, the mounts under /media, /run/media and /mnt, and /home
// when it is a volume of its own; system and pseudo file systems are left out.

// The roots of the drives, in list order.
QStringList systemDriveRoots();

// The text a drive shows in a drive list: its root ("/media/usb") or its
// letter ("c:"), and its volume label in brackets when it has one.
QString driveDisplayName(const QString& root);

// The root, among `roots` (separators '/'), of the drive that a drive
// letter form names ("c", "c:" or "c:/"); empty when none. On Linux "c:"
// and "c:/", written for the default drive, name the first drive, the
// root; a bare "c" is an ordinary name there, and no other letter names
// anything.
QString driveRootForLetter(const QString& letterForm, const QStringList& roots);

// How the system compares paths: ignoring case on Windows, exactly on Linux.
Qt::CaseSensitivity pathCaseSensitivity();

} // namespace kelvaris
