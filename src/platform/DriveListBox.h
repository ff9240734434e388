#pragma once

#include "platform/Control.h"
#include "platform/EventHandler.h"

#include <QMetaObject>
#include <QStringList>
#include <functional>

class QComboBox;

namespace kelvaris {

// A drop-down list of the drives the user can pick a directory from.
//
// On Windows the drives are the drive letters. On Linux the first drive is
// the root "/", followed by the mounted volumes a user cares about:
// removable media, the mounts under /media, /run/media and /mnt, and /home
// when it is a volume of its own. System and pseudo file systems are left
// out. The list is read again each time it drops down, so that media
// plugged in meanwhile appear.
class DriveListBox : public Control
{
public:
    DriveListBox(QWidget* container, const QString& name);
    ~DriveListBox() override;

    // The root path of the selected drive, in native separators ("/",
    // "/media/usb", "C:\"); empty only when there is no drive at all.
    QString drive() const;
    // Selects the drive whose root is `drive`; "c" and "c:" (any case) also
    // name the default drive, which on Linux is the first one, "/". Returns
    // false, leaving the selection as it was, when no drive matches.
    bool setDrive(const QString& drive);
    int count() const;
    // The selected entry, from 0 (-1: none); setting it fires change() when it moves.
    int listIndex() const;
    void setListIndex(int index);
    // Re-reads the drives, keeping the selection when its drive is still there.
    void refresh();

    // Fired after the selection changes, by the user or by setDrive.
    EventHandler& change() { return m_change; }

    // The roots of the drives, in list order, separators '/'.
    static QStringList driveRoots();
    // The process's current directory when it lies on the drive rooted at
    // `driveRoot` (on the drive with the longest root that contains it),
    // else that root; native separators.
    static QString currentDirectoryOf(const QString& driveRoot);
    // The drive root named by `path` ("c:" names the default drive on Linux),
    // separators '/'; empty when `path` names no drive.
    static QString driveRootNamedBy(const QString& path);

    // Replaces the enumeration of drive roots (tests); an empty function
    // restores the real one. Returns the previous source.
    using DriveSource = std::function<QStringList()>;
    static DriveSource setDriveSourceForTesting(DriveSource source);

private:
    void fill(const QString& keepRoot);

    QComboBox* m_combo;
    QMetaObject::Connection m_indexConnection;
    EventHandler m_change;
};

} // namespace kelvaris
