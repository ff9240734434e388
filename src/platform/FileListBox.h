#pragma once

#include "platform/Control.h"
#include "platform/FileList.h"

class QListWidget;

namespace kelvaris {

// A visible list of the files of a directory that match a pattern ("*.*"
// or "*.ext"), in the order and with the rules of FileList. A directory
// that cannot be read shows an empty list.
class FileListBox : public Control
{
public:
    FileListBox(QWidget* container, const QString& name,
                const QString& pattern = QStringLiteral("*.*"));

    QString path() const { return m_files.path(); }
    // Sets the directory and shows its files.
    void setPath(const QString& path);
    // Reads the directory again.
    void refresh();

    int listCount() const { return m_files.listCount(); }
    // The name (no directory) of entry `index`, from 0; empty when out of range.
    QString list(int index) const { return m_files.list(index); }

private:
    void fillList();

    QListWidget* m_list;
    FileList m_files;
};

} // namespace kelvaris
