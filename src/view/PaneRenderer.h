#pragma once

namespace kelvaris {

class MainWindow;

// Places the two crop cursors on the overview from the positions of the
// pictures in their panes. It moves no picture and draws nothing itself.
class PaneRenderer
{
public:
    explicit PaneRenderer(MainWindow& form) : F(form) {}

    // Set once the current pane, or the reference pane, holds a shot; never cleared.
    bool LastPaneDirty = false;
    bool RefPaneDirty = false;

    void RenderPanes();

private:
    MainWindow& F;
};

} // namespace kelvaris
