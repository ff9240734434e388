#pragma once

#include "platform/Control.h"
#include "platform/EventHandler.h"

class QListWidget;
class QListWidgetItem;

namespace kelvaris {

class DirListWidget;

// A directory list: the open directory's ancestors from the root down, each
// indented one step more under an open folder, the open directory itself,
// then its subdirectories under closed folders (sorted ignoring case, hidden
// ones left out).
//
// A single click or the arrow keys only highlight an entry; a double click
// or Enter opens it. The open directory is what the list stands for: the
// highlight is only where the user is looking.
class DirListBox : public Control
{
public:
    DirListBox(QWidget* container, const QString& name);
    ~DirListBox() override;

    // The open directory, native separators, no trailing separator except
    // for a root.
    QString path() const;
    // Opens `path`. A drive root ("/", "c:") opens that drive's current
    // directory; a relative path is taken from the current directory. A
    // directory that cannot be read (or no longer exists) is opened all the
    // same and shows its ancestors and no subdirectories. Returns false,
    // opening nothing, when `path` is empty or names something other than a
    // directory. Fires change() when the open directory changes.
    bool setPath(const QString& path);
    // Reads the open directory's subdirectories again.
    void refresh();

    // Number of entries shown and the full path (native separators) of one.
    int entryCount() const;
    QString entryPath(int index) const;
    // The highlighted entry (-1: none).
    int highlightedIndex() const;

    // Fired after the open directory changes.
    EventHandler& change() { return m_change; }

private:
    friend class DirListWidget;
    // Opens the entry the user chose.
    void openEntry(QListWidgetItem* item);
    // Makes `dir` (separators '/', absolute, clean) the open directory.
    void open(const QString& dir);

    DirListWidget* m_list;
    QString m_path; // separators '/'
    EventHandler m_change;
};

} // namespace kelvaris
