#pragma once

// The main window as a user first sees it: loaded from a fresh settings
// file in a temporary directory, and shown.

#include "app/MainWindow.h"
#include "support/Fixture.h"

#include <QObject>
#include <QTest>
#include <memory>

namespace kelvaris::test {

class WindowFixture
{
public:
    explicit WindowFixture(const QByteArray& ini = QByteArray("[R\xe9pertoires]\r\nRepBase=\r\n"))
        : program(ini)
    {
    }

    // Loads and shows the window; false when start-up ended the program.
    bool open()
    {
        if (!window.Form_Load())
            return false;
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }

    ProgramFixture program;
    MainWindow window;
};

// Base of the test classes that drive the shown main window: each test
// opens a fresh one in its init() and closes it in its cleanup().
class WindowTestCase : public QObject
{
protected:
    bool openWindow()
    {
        app = std::make_unique<WindowFixture>();
        F = &app->window;
        return app->open();
    }
    void closeWindow()
    {
        F = nullptr;
        app.reset();
    }

    std::unique_ptr<WindowFixture> app;
    MainWindow* F = nullptr;
};

} // namespace kelvaris::test
