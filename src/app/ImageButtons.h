#pragma once

namespace kelvaris {

class MainWindow;

// The pressed and released looks of the picture buttons. The look follows
// the presses alone, whatever the button or the modifiers; the actions are
// the buttons' click handlers. Start and Stop form a latched pair: Start
// stays pressed, the look of a running watcher, until Stop is pressed.
class ImageButtons
{
public:
    explicit ImageButtons(MainWindow& form) : F(form) {}

    void B_Start_MouseDown(int button, int shift, float x, float y);
    void B_Stop_MouseDown(int button, int shift, float x, float y);
    void B_Stop_MouseUp(int button, int shift, float x, float y);
    void B_Select_MouseDown(int button, int shift, float x, float y);
    void B_Select_MouseUp(int button, int shift, float x, float y);
    void B_Reset_MouseDown(int button, int shift, float x, float y);
    void B_Reset_MouseUp(int button, int shift, float x, float y);
    void B_Quit_MouseDown(int button, int shift, float x, float y);

    // Start pressed on a directory that cannot be watched: Start shows
    // released again, as its pressed look means a running watcher.
    void startRefused();

private:
    MainWindow& F;
};

} // namespace kelvaris
