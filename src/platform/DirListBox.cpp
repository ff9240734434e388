#include "platform/DirListBox.h"

#include "platform/ControlLook.h"
#include "platform/DriveListBox.h"
#include "platform/Drives.h"
#include "platform/OwnedWidget.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>

namespace kelvaris {

namespace {

const int PathRole = Qt::UserRole;      // the entry's directory, separators '/'
const int LevelRole = Qt::UserRole + 1; // its depth below the root
const int IndentStep = 10;              // pixels per level

// The directory and its ancestors, root first: "/", "/home", "/home/ann".
QStringList chainOf(const QString& dir)
{
    QStringList chain;
    QString current = dir;
    for (;;) {
        chain.prepend(current);
        const qsizetype slash = current.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            break;
        QString parent = current.left(slash);
        if (parent.isEmpty())
            parent = QStringLiteral("/");
        else if (parent.endsWith(QLatin1Char(':')))
            parent += QLatin1Char('/');
        if (parent == current)
            break;
        current = parent;
    }
    return chain;
}

QString entryText(const QString& dir)
{
    const qsizetype slash = dir.lastIndexOf(QLatin1Char('/'));
    if (slash < 0 || slash == dir.size() - 1)
        return QDir::toNativeSeparators(dir); // a root
    return dir.mid(slash + 1);
}

// Visible subdirectories; an unreadable or vanished directory has none.
QStringList subdirectoriesOf(const QString& dir)
{
    QStringList names = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::NoSort);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

// Shifts each entry right by its level, as a tree would.
class IndentDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(indent(index), 0);
    }

private:
    static int indent(const QModelIndex& index)
    {
        return index.data(LevelRole).toInt() * IndentStep;
    }
};

} // namespace

// The list widget: a double click or Enter opens the entry, anything else
// only moves the highlight.
class DirListWidget : public OwnedWidget<QListWidget, DirListBox>
{
public:
    using OwnedWidget::OwnedWidget;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QListWidgetItem* item = itemAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && item && owner()) {
            event->accept();
            owner()->openEntry(item); // rebuilds the list: `item` is gone after this
            return;
        }
        QListWidget::mouseDoubleClickEvent(event);
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && event->modifiers() == Qt::NoModifier && owner()) {
            event->accept();
            if (QListWidgetItem* item = currentItem())
                owner()->openEntry(item);
            return;
        }
        QListWidget::keyPressEvent(event);
    }
};

DirListBox::DirListBox(QWidget* container, const QString& name)
    : Control(new DirListWidget(container, this), name),
      m_list(static_cast<DirListWidget*>(widget()))
{
    m_list->setFont(controlFont());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setItemDelegate(new IndentDelegate(m_list));
    open(QDir::currentPath());
}

DirListBox::~DirListBox()
{
    // The widget outlives this object until its parent deletes it.
    m_list->detach();
}

QString DirListBox::path() const
{
    return QDir::toNativeSeparators(m_path);
}

bool DirListBox::setPath(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString root = DriveListBox::driveRootNamedBy(path);
    if (!root.isEmpty()) {
        open(QDir::fromNativeSeparators(DriveListBox::currentDirectoryOf(root)));
        return true;
    }
    const QFileInfo info(QDir::fromNativeSeparators(path));
    if (info.exists() && !info.isDir())
        return false;
    open(QDir::cleanPath(info.absoluteFilePath()));
    return true;
}

void DirListBox::refresh()
{
    open(m_path);
}

int DirListBox::entryCount() const
{
    return m_list->count();
}

QString DirListBox::entryPath(int index) const
{
    const QListWidgetItem* item = m_list->item(index);
    return item ? QDir::toNativeSeparators(item->data(PathRole).toString()) : QString();
}

int DirListBox::highlightedIndex() const
{
    return m_list->currentRow();
}

void DirListBox::openEntry(QListWidgetItem* item)
{
    const QString dir = item->data(PathRole).toString();
    if (!dir.isEmpty())
        open(dir);
}

void DirListBox::open(const QString& dir)
{
    const bool changed = dir.compare(m_path, pathCaseSensitivity()) != 0;
    m_path = dir;

    const QIcon openIcon = m_list->style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = m_list->style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QStringList chain = chainOf(dir);
    const QStringList subdirectories = subdirectoriesOf(dir);
    const QString prefix = dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');

    m_list->setUpdatesEnabled(false);
    m_list->clear();
    auto add = [this](const QIcon& icon, const QString& text, const QString& path, int level) {
        auto* item = new QListWidgetItem(icon, text, m_list);
        item->setData(PathRole, path);
        item->setData(LevelRole, level);
    };
    for (int level = 0; level < chain.size(); ++level)
        add(openIcon, entryText(chain[level]), chain[level], level);
    const int level = static_cast<int>(chain.size());
    for (const QString& name : subdirectories)
        add(closedIcon, name, prefix + name, level);
    QListWidgetItem* openItem = m_list->item(level - 1);
    m_list->setCurrentItem(openItem);
    m_list->scrollToItem(openItem);
    m_list->setUpdatesEnabled(true);

    if (changed && m_change)
        m_change();
}

} // namespace kelvaris
