#include "platform/DriveListBox.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>

namespace kelvaris {

namespace {

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity pathCase = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity pathCase = Qt::CaseSensitive;
#endif

const int RootRole = Qt::UserRole;

DriveListBox::DriveSource& driveSource()
{
    static DriveListBox::DriveSource source;
    return source;
}

#ifndef Q_OS_WIN
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
#endif

QStringList realDriveRoots()
{
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives())
        roots << drive.absoluteFilePath();
#else
    roots << QStringLiteral("/");
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
#endif
    return roots;
}

QString displayName(const QString& root)
{
    const QStorageInfo volume(root);
    const QString label = volume.isValid() && volume.rootPath() == root ? volume.name() : QString();
#ifdef Q_OS_WIN
    QString text = root.left(2).toLower();
#else
    QString text = root;
#endif
    if (!label.isEmpty())
        text += QStringLiteral(" [") + label + QLatin1Char(']');
    return text;
}

bool pathIsOn(const QString& path, const QString& root)
{
    if (path.compare(root, pathCase) == 0)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(prefix, pathCase);
}

// The drive-letter form "c", "c:" or "c:\": its letter, else a null char.
QChar driveLetter(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^([A-Za-z])(:[/\\\\]?)?$"));
    const QRegularExpressionMatch match = form.match(text);
    return match.hasMatch() ? match.captured(1).at(0) : QChar();
}

} // namespace

// The combo box reads the drives again each time it drops down.
class DriveComboWidget : public QComboBox
{
public:
    DriveComboWidget(QWidget* parent, DriveListBox* owner) : QComboBox(parent), m_owner(owner) {}
    void detach() { m_owner = nullptr; }

protected:
    void showPopup() override
    {
        if (m_owner)
            m_owner->refresh();
        QComboBox::showPopup();
    }

private:
    DriveListBox* m_owner;
};

DriveListBox::DriveListBox(QWidget* container, const QString& name)
    : Control(new DriveComboWidget(container, this), name),
      m_combo(static_cast<QComboBox*>(widget()))
{
    m_combo->setFont(controlFont());
    m_combo->setEditable(false);
    fill(QString());
    m_indexConnection = QObject::connect(m_combo, &QComboBox::currentIndexChanged, m_combo, [this] {
        if (m_change)
            m_change();
    });
}

DriveListBox::~DriveListBox()
{
    // The widget outlives this object until its parent deletes it.
    QObject::disconnect(m_indexConnection);
    static_cast<DriveComboWidget*>(m_combo)->detach();
}

QString DriveListBox::drive() const
{
    const int index = m_combo->currentIndex();
    if (index < 0)
        return QString();
    return QDir::toNativeSeparators(m_combo->itemData(index, RootRole).toString());
}

bool DriveListBox::setDrive(const QString& drive)
{
    // A lone letter names a drive as "c:" does.
    const QString named = drive.size() == 1 ? drive + QLatin1Char(':') : drive;
    QString root = driveRootNamedBy(named);
    if (root.isEmpty() || m_combo->findData(root, RootRole) < 0) {
        // Media may have come or gone since the list was read.
        refresh();
        root = driveRootNamedBy(named);
    }
    const int index = root.isEmpty() ? -1 : m_combo->findData(root, RootRole);
    if (index < 0)
        return false;
    m_combo->setCurrentIndex(index); // fires change() when it moves
    return true;
}

int DriveListBox::count() const
{
    return m_combo->count();
}

int DriveListBox::listIndex() const
{
    return m_combo->currentIndex();
}

void DriveListBox::setListIndex(int index)
{
    if (index >= 0 && index < m_combo->count())
        m_combo->setCurrentIndex(index);
}

void DriveListBox::refresh()
{
    const int index = m_combo->currentIndex();
    const QString before = index < 0 ? QString() : m_combo->itemData(index, RootRole).toString();
    fill(before);
    const int now = m_combo->currentIndex();
    const QString after = now < 0 ? QString() : m_combo->itemData(now, RootRole).toString();
    if (after != before && m_change)
        m_change();
}

void DriveListBox::fill(const QString& keepRoot)
{
    const QSignalBlocker blocker(m_combo);
    m_combo->clear();
    for (const QString& root : driveRoots())
        m_combo->addItem(displayName(root), root);
    const int keep = keepRoot.isEmpty() ? -1 : m_combo->findData(keepRoot, RootRole);
    m_combo->setCurrentIndex(keep >= 0 ? keep : (m_combo->count() > 0 ? 0 : -1));
}

QStringList DriveListBox::driveRoots()
{
    const DriveSource& source = driveSource();
    QStringList roots = source ? source() : realDriveRoots();
    for (QString& root : roots)
        root = QDir::cleanPath(QDir::fromNativeSeparators(root));
    roots.removeAll(QString());
    roots.removeDuplicates();
    return roots;
}

QString DriveListBox::driveRootNamedBy(const QString& path)
{
    const QStringList roots = driveRoots();
    const QString clean = QDir::fromNativeSeparators(path);
    const QChar letter = driveLetter(clean);
#ifdef Q_OS_WIN
    if (!letter.isNull()) {
        for (const QString& root : roots) {
            if (root.startsWith(letter, Qt::CaseInsensitive))
                return root;
        }
        return QString();
    }
#else
    // Paths written for the default drive "c:" mean the root drive here.
    if (letter.toLower() == QLatin1Char('c') && clean.size() >= 2)
        return roots.isEmpty() ? QString() : roots.first();
    if (!letter.isNull())
        return QString();
#endif
    if (clean.isEmpty())
        return QString();
    const QString cleaned = QDir::cleanPath(clean);
    for (const QString& root : roots) {
        if (root.compare(cleaned, pathCase) == 0)
            return root;
    }
    return QString();
}

QString DriveListBox::currentDirectoryOf(const QString& driveRoot)
{
    QString root = driveRootNamedBy(driveRoot);
    if (root.isEmpty())
        root = QDir::cleanPath(QDir::fromNativeSeparators(driveRoot));
    QStringList roots = driveRoots();
    if (!roots.contains(root, pathCase))
        roots << root;
    // The drive of the current directory is the one with the longest root
    // that contains it: /media/usb, not /, for /media/usb/photos.
    const QString current = QDir::currentPath();
    QString best;
    for (const QString& candidate : roots) {
        if (pathIsOn(current, candidate) && candidate.size() > best.size())
            best = candidate;
    }
    const bool onDrive = best.compare(root, pathCase) == 0;
    return QDir::toNativeSeparators(onDrive ? current : root);
}

DriveListBox::DriveSource DriveListBox::setDriveSourceForTesting(DriveSource source)
{
    DriveSource previous = std::move(driveSource());
    driveSource() = std::move(source);
    return previous;
}

} // namespace kelvaris
