#pragma once

#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QStringList>

namespace kelvaris::e2e {

// The X display the end-to-end test works on, driven as a user would drive
// it: xdotool moves the pointer and types, ImageMagick's import takes the
// pictures. Every call gives up after a few seconds rather than hang the
// test when the display misbehaves.
class Desktop
{
public:
    using WindowId = qulonglong;

    // The programs that are needed and cannot be found; empty when all are there.
    static QStringList missingTools();

    // Keeps a client connected to the display for as long as `holder` runs.
    // An X server resets each time its last client leaves, and refuses
    // connections for a moment meanwhile: without a client of its own, the
    // test would lose the display whenever the program under test ends.
    static bool holdDisplay(QProcess& holder);

    // The mapped windows whose title is exactly `title`.
    static QList<WindowId> visibleWindows(const QString& title);
    // The window's rectangle on the screen (its client area: there is no
    // window manager, hence no frame); null when it cannot be read.
    static QRect geometry(WindowId window);

    // The whole screen, or a null image when it cannot be taken.
    static QImage screenshot();

    // A left click (press and release) at `at`, in screen pixels.
    static bool click(QPoint at);
    // Presses the left button at `from`, moves in `steps` steps to `to`,
    // releases there.
    static bool drag(QPoint from, QPoint to, int steps);
    // Types `keys`, in xdotool's names ("Down", "Return", "alt+v").
    static bool key(const QString& keys);
    // Gives the keyboard focus to `window`, as a window manager would on mapping it.
    static bool focus(WindowId window);
    static bool resize(WindowId window, QSize size);

private:
    // Runs xdotool; its standard output goes to `output` when given.
    static bool xdotool(const QStringList& arguments, QByteArray* output = nullptr);
};

} // namespace kelvaris::e2e
