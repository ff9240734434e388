#include "app/KeyboardShortcuts.h"

#include "app/MainWindow.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

namespace kelvaris {

namespace {

// A click with the button's own looks, as the mouse gives it.
void press(const MouseEvents& events)
{
    events.keyPress();
    events.keyRelease(true);
}

} // namespace

KeyboardShortcuts::KeyboardShortcuts(MainWindow& form) : F(form)
{
    F.setFocusPolicy(Qt::ClickFocus);
    // The buttons take the focus from Tab, in the order they stand, and
    // answer Espace then; a click gives the focus to the window instead, so
    // that Espace, after a click on Start, is the blink. Help, which does
    // nothing, is left out.
    QWidget* previous = F.T_RepReception.lineEdit();
    QWidget::setTabOrder(previous, F.B_Repertoire.widget());
    previous = F.B_Repertoire.widget();
    for (PictureBox* button : {&F.B_Start, &F.B_Stop, &F.B_Quit, &F.B_Select, &F.B_Reset}) {
        button->setTabStop(true);
        QWidget::setTabOrder(previous, button->widget());
        previous = button->widget();
    }
    qApp->installEventFilter(this);
}

KeyboardShortcuts::~KeyboardShortcuts()
{
    qApp->removeEventFilter(this);
}

bool KeyboardShortcuts::typingInTheBox() const
{
    return QApplication::focusWidget() == F.T_RepReception.lineEdit();
}

bool KeyboardShortcuts::onAButton() const
{
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != &F && focus != F.T_RepReception.lineEdit() && focus->window() == &F;
}

bool KeyboardShortcuts::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (QApplication::activeWindow() != &F)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (typingInTheBox()) {
            // Entrée or Échap leaves the box; every other key is its own.
            const bool leave = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter ||
                               key->key() == Qt::Key_Escape;
            if (leave && event->type() == QEvent::KeyPress) {
                F.setFocus();
                return true;
            }
            return false;
        }
        // Ctrl or Alt make another shortcut, which is not ours.
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        // A button reached with Tab answers Espace, as a button does.
        if (key->key() == Qt::Key_Space && onAButton())
            return false;
        if (key->isAutoRepeat())
            return key->key() == Qt::Key_Space; // the blink is held, not repeated
        return event->type() == QEvent::KeyPress ? keyPressed(key->key()) : keyReleased(key->key());
    }
    case QEvent::MouseButtonPress:
        // A click anywhere else in the window takes the focus out of the
        // box, or off a button that Tab gave it to, back to the keys.
        if ((typingInTheBox() || onAButton()) && watched != F.T_RepReception.lineEdit() &&
            watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == &F)
            F.setFocus();
        return false;
    case QEvent::Show:
        // The keys work from the start: the box takes the focus when clicked.
        if (watched == &F)
            F.setFocus();
        return false;
    case QEvent::WindowDeactivate:
        // The release of a held key goes to another window: the blink ends here.
        if (watched == &F)
            endBlink();
        return false;
    default:
        return false;
    }
}

bool KeyboardShortcuts::keyPressed(int key)
{
    switch (key) {
    case Qt::Key_F5:
        press(F.B_Start.events());
        return true;
    case Qt::Key_Escape:
        press(F.B_Stop.events());
        return true;
    case Qt::Key_S:
        // During a blink the current pane shows the reference: Select waits.
        if (!F.gestures.SwapHeld)
            press(F.B_Select.events());
        return true;
    case Qt::Key_R:
        press(F.B_Reset.events());
        return true;
    case Qt::Key_B:
        F.focus.chooseReference(F.focus.curve().bestSharpness);
        return true;
    case Qt::Key_M:
        F.aids.setMapShown(!F.aids.mapShown());
        return true;
    case Qt::Key_P:
        F.aids.setPeakingShown(!F.aids.peakingShown());
        return true;
    case Qt::Key_Space:
        F.gestures.startBlink(PaneInteraction::BlinkHolder::Key);
        return true;
    default:
        return false;
    }
}

bool KeyboardShortcuts::keyReleased(int key)
{
    if (key != Qt::Key_Space)
        return false;
    endBlink();
    return true;
}

void KeyboardShortcuts::endBlink()
{
    F.gestures.endBlink(PaneInteraction::BlinkHolder::Key);
}

} // namespace kelvaris
