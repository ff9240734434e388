#include "dialogs/ReceptionDirDialog.h"

#include "platform/Twips.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace kelvaris {

namespace {

QPointer<ReceptionDirDialog>& instance()
{
    static QPointer<ReceptionDirDialog> dialog;
    return dialog;
}

// A small window of its own: caption and close box only, no taskbar entry.
constexpr Qt::WindowFlags toolWindowFlags =
    Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;

} // namespace

ReceptionDirDialog::ReceptionDirDialog(TextBox& target)
    : Form(QStringLiteral("FR"), nullptr, toolWindowFlags), m_target(&target),
      m_targetEdit(target.lineEdit()), m_dir1(this, QStringLiteral("Dir1")),
      m_drive1(this, QStringLiteral("Drive1")), m_file1(this, QStringLiteral("File1")),
      m_valider(this, QStringLiteral("B_Valider"), QStringLiteral("&Valider")),
      m_annuler(this, QStringLiteral("B_Annuler"), QStringLiteral("&Annuler"))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sélection du répertoire de réception"));
    setClientSize(6810, 3960);
    setFixedSize(size());

    m_dir1.setGeometry(135, 540, 3210, 2790);
    m_drive1.setGeometry(135, 135, 3255, 315);
    m_file1.setGeometry(3465, 135, 3210, 3210);
    m_valider.setGeometry(135, 3465, 3210, 330);
    m_annuler.setGeometry(3465, 3465, 3210, 330);

    // Neither button answers Enter or Escape from elsewhere in the window.
    for (QPushButton* button : {m_valider.button(), m_annuler.button()}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    QWidget::setTabOrder(m_dir1.widget(), m_drive1.widget());
    QWidget::setTabOrder(m_drive1.widget(), m_file1.widget());
    QWidget::setTabOrder(m_file1.widget(), m_valider.widget());
    QWidget::setTabOrder(m_valider.widget(), m_annuler.widget());
    m_dir1.widget()->setFocus();

    m_drive1.change() = [this] { Drive1_Change(); };
    m_dir1.change() = [this] { Dir1_Change(); };
    m_valider.click() = [this] { B_Valider_Click(); };
    m_annuler.click() = [this] { B_Annuler_Click(); };
}

ReceptionDirDialog::~ReceptionDirDialog()
{
    if (instance() == this)
        instance() = nullptr;
    // The lists' handlers call back into this window: none may run while
    // the controls are taken down.
    m_drive1.change() = nullptr;
    m_dir1.change() = nullptr;
}

void ReceptionDirDialog::setTarget(TextBox& target)
{
    m_target = &target;
    m_targetEdit = target.lineEdit();
}

void ReceptionDirDialog::Form_Load()
{
    // The default drive; a machine without one starts on its first drive.
    if (!m_drive1.setDrive(QStringLiteral("c")))
        m_drive1.setListIndex(0);
    m_dir1.setPath(m_drive1.drive());
    // Dir1_Change has run only if the open directory moved.
    m_file1.setPath(m_dir1.path());
}

void ReceptionDirDialog::Drive1_Change()
{
    m_dir1.setPath(m_drive1.drive());
    m_file1.setPath(m_dir1.path());
}

void ReceptionDirDialog::Dir1_Change()
{
    m_file1.setPath(m_dir1.path());
}

void ReceptionDirDialog::B_Valider_Click()
{
    if (m_targetEdit)
        m_target->setText(m_dir1.path());
    unload();
}

void ReceptionDirDialog::B_Annuler_Click()
{
    unload();
}

void ReceptionDirDialog::unload()
{
    close();
}

void ReceptionDirDialog::centreOnScreen()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    // A window is placed by its frame.
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

void ReceptionDirDialog::closeEvent(QCloseEvent* event)
{
    // Unloaded from now on, though the object itself goes a little later.
    if (instance() == this)
        instance() = nullptr;
    Form::closeEvent(event);
}

void ReceptionDirDialog::keyPressEvent(QKeyEvent* event)
{
    // The buttons leave Enter to the window (they are not default buttons):
    // Enter presses the button that has the focus, and nothing else.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button && (button == m_valider.button() || button == m_annuler.button())) {
            event->accept();
            button->click();
            return;
        }
    }
    // Escape closes nothing: the window has no cancel button.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    Form::keyPressEvent(event);
}

void B_Repertoire_Click(TextBox& T_RepReception)
{
    if (ReceptionDirDialog* open = instance()) {
        open->setTarget(T_RepReception);
        // A window manager may offer a minimise button all the same.
        open->setWindowState(open->windowState() & ~Qt::WindowMinimized);
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    auto* dialog = new ReceptionDirDialog(T_RepReception);
    instance() = dialog;
    dialog->Form_Load();
    dialog->centreOnScreen();
    dialog->show();
    // Centred again now that the frame around it is known.
    dialog->centreOnScreen();
    dialog->activateWindow();
}

ReceptionDirDialog* openReceptionDirDialog()
{
    return instance();
}

} // namespace kelvaris
