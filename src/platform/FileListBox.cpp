#include "platform/FileListBox.h"

#include "platform/ControlLook.h"

#include <QListWidget>

namespace kelvaris {

FileListBox::FileListBox(QWidget* container, const QString& name, const QString& pattern)
    : Control(new QListWidget(container), name), m_list(static_cast<QListWidget*>(widget())),
      m_files(name, pattern)
{
    m_list->setFont(controlFont());
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
}

void FileListBox::setPath(const QString& path)
{
    m_files.setPath(path);
    fillList();
}

void FileListBox::refresh()
{
    m_files.refresh();
    fillList();
}

void FileListBox::fillList()
{
    m_list->setUpdatesEnabled(false);
    m_list->clear();
    const int count = m_files.listCount();
    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i)
        names << m_files.list(i);
    m_list->addItems(names);
    m_list->setUpdatesEnabled(true);
}

} // namespace kelvaris
