#pragma once

// The main window as a user first sees it: loaded from a fresh settings
// file in a temporary directory, and shown.

#include "app/MainWindow.h"
#include "support/Fixture.h"

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

} // namespace kelvaris::test
