#pragma once

// Base of the test classes that take shots through the watcher of a shown
// main window and wait for the focus instrument to measure them.

#include "focus/FocusSamples.h"
#include "support/WatcherTestCase.h"

#include <QBuffer>
#include <QTest>

namespace kelvaris::test {

// `image` as a JPEG file's bytes, quality 92.
inline QByteArray jpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 92);
    return bytes;
}

// The window's rectangle of a control, in the window's pixels.
inline QRect inWindow(const Control& control, const QWidget* window)
{
    const QWidget* widget = control.widget();
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

class FocusTestCase : public WatcherTestCase
{
protected:
    // Takes a 600 x 300 shot, its left half blurred by `left` pixels and its
    // right half by `right`, and waits for its map.
    void take(const QString& name, int left, int right)
    {
        put(name, jpeg(halves(600, 300, left, right)));
        tick();
        QTRY_VERIFY(!F->focus.isMeasuring());
    }
};

} // namespace kelvaris::test
