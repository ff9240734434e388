#include "platform/DriveListBox.h"

#include "platform/ControlLook.h"
#include "platform/Drives.h"
#include "platform/OwnedWidget.h"

#include <QComboBox>
#include <QDir>
#include <QRegularExpression>

#include <algorithm>

namespace kelvaris {

namespace {

const int RootRole = Qt::UserRole;

DriveListBox::DriveSource& driveSource()
{
    static DriveListBox::DriveSource source;
    return source;
}

bool pathIsOn(const QString& path, const QString& root)
{
    const Qt::CaseSensitivity pathCase = pathCaseSensitivity();
    if (path.compare(root, pathCase) == 0)
        return true;
    const QString prefix = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    return path.startsWith(prefix, pathCase);
}

// Whether `text` has the drive-letter form "c", "c:", "c:/" or "c:\".
bool isDriveLetterForm(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^[A-Za-z](:[/\\\\]?)?$"));
    return form.match(text).hasMatch();
}

} // namespace

// The combo box reads the drives again each time it drops down.
class DriveComboWidget : public OwnedWidget<QComboBox, DriveListBox>
{
public:
    using OwnedWidget::OwnedWidget;

protected:
    void showPopup() override
    {
        if (owner())
            owner()->refresh();
        QComboBox::showPopup();
    }
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
        m_combo->addItem(driveDisplayName(root), root);
    const int keep = keepRoot.isEmpty() ? -1 : m_combo->findData(keepRoot, RootRole);
    m_combo->setCurrentIndex(keep >= 0 ? keep : (m_combo->count() > 0 ? 0 : -1));
}

QStringList DriveListBox::driveRoots()
{
    const DriveSource& source = driveSource();
    QStringList roots = source ? source() : systemDriveRoots();
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
    if (isDriveLetterForm(clean))
        return driveRootForLetter(clean, roots);
    if (clean.isEmpty())
        return QString();
    const QString cleaned = QDir::cleanPath(clean);
    for (const QString& root : roots) {
        if (root.compare(cleaned, pathCaseSensitivity()) == 0)
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
    const Qt::CaseSensitivity pathCase = pathCaseSensitivity();
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
