#pragma once

#include <QObject>

namespace kelvaris {

class MainWindow;

// Keys for the photographer's free hand, the other one on the camera:
//
//   F5      Start          Échap   Stop
//   S       Select         R       Reset
//   Espace  held: the reference in the current pane (the blink), as the
//           right button held on the pane shows it
//   B       the sharpest shot of the region in view becomes the reference,
//           as a click on its point of the focus curve makes it
//   M       shows or hides the focus map on the overview, and the shortlist
//           of shots to stack
//   P       turns focus peaking in the current pane on or off
//
// Each does what its button does, with the button's pressed look. None
// steals a key from the reception-directory box while it has the focus:
// Entrée or Échap there leaves the box, and a click anywhere else in the
// window does too. The buttons take the focus from Tab only; one that has
// it answers Espace, as a button does, until a click anywhere in the
// window. The window starts with the keys ready.
class KeyboardShortcuts : public QObject
{
public:
    explicit KeyboardShortcuts(MainWindow& form);
    ~KeyboardShortcuts() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(int key);
    bool keyReleased(int key);
    bool typingInTheBox() const;
    // A button holds the focus: Tab gave it.
    bool onAButton() const;
    void endBlink();

    MainWindow& F;
};

} // namespace kelvaris
