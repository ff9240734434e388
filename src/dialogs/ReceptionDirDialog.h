#pragma once

#include "platform/DirListBox.h"
#include "platform/DriveListBox.h"
#include "platform/FileListBox.h"
#include "platform/Form.h"
#include "platform/TextControls.h"

#include <QPointer>

class QLineEdit;

namespace kelvaris {

// The window where the user picks the directory that new shots arrive in:
// a drive list, a directory list and the open directory's files. "Valider"
// writes the open directory into the main window's reception box and closes
// the window; "Annuler" and the close box close it and change nothing.
//
// There is at most one at a time; it has no owner and does not block the
// main window. Closing it deletes it, so the next opening starts afresh.
class ReceptionDirDialog : public Form
{
public:
    // `target` receives the chosen directory on "Valider".
    explicit ReceptionDirDialog(TextBox& target);
    ~ReceptionDirDialog() override;

    // Sends the chosen directory to `target` from now on.
    void setTarget(TextBox& target);

    DriveListBox& drive1() { return m_drive1; }
    DirListBox& dir1() { return m_dir1; }
    FileListBox& file1() { return m_file1; }
    CommandButton& validerButton() { return m_valider; }
    CommandButton& annulerButton() { return m_annuler; }

    // Handlers.
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void B_Valider_Click();
    void B_Annuler_Click();

    // Closes and deletes the window.
    void unload();
    // Places the window in the middle of the primary screen's free area.
    void centreOnScreen();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TextBox* m_target;
    QPointer<QLineEdit> m_targetEdit; // null once the main window is gone
    DirListBox m_dir1;
    DriveListBox m_drive1;
    FileListBox m_file1;
    CommandButton m_valider;
    CommandButton m_annuler;
};

// Shows the reception-directory window: loads it when it is not open,
// otherwise brings the open one forward as it is. Returns at once.
void B_Repertoire_Click(TextBox& T_RepReception);

// The open window, or nullptr when none is loaded.
ReceptionDirDialog* openReceptionDirDialog();

} // namespace kelvaris
