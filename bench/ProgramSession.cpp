#include "ProgramSession.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <cstdio>

namespace kelvaris::bench {

ProgramSession::ProgramSession()
{
    setExecutableDirForTesting(m_appDir.path());
    // The settings file as a first start leaves it: no reception directory yet.
    writeFile(m_appDir.filePath(QStringLiteral("kelvaris.ini")),
              QByteArray("[R\xe9pertoires]\r\nRepBase=\r\n"));
    m_oldEnd = setEndFunction([] { std::fprintf(stderr, "  the program asked to end\n"); });
    m_oldBox = setMessageBoxFunction([this](const QString& text, MessageButtons, const QString&) {
        ++m_messages;
        std::fprintf(stderr, "  message from the program: %s\n", qPrintable(text));
        return MessageResult::Ok;
    });
    m_window = std::make_unique<MainWindow>();
    if (!m_window->Form_Load())
        return;
    m_window->show();
    QElapsedTimer waited;
    waited.start();
    while (!(m_window->windowHandle() && m_window->windowHandle()->isExposed()) &&
           waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    settle();
    m_ready = m_window->windowHandle() && m_window->windowHandle()->isExposed();
}

ProgramSession::~ProgramSession()
{
    m_window.reset();
    setEndFunction(m_oldEnd);
    setMessageBoxFunction(m_oldBox);
    setExecutableDirForTesting(QString());
}

void ProgramSession::watchByHand(const QString& directory)
{
    MainWindow& F = *m_window;
    F.T_RepReception.setText(directory);
    F.watcher.indicatorPause = 0;
    F.watcher.B_Start_Click();
    F.watcher.B_Stop_Click();
    finishLooks();
}

bool ProgramSession::finishLooks()
{
    const CaptureWatcher& watcher = m_window->watcher;
    QElapsedTimer waited;
    waited.start();
    while ((watcher.isLooking() || watcher.hasLookPending()) && waited.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    settle();
    return !watcher.isLooking();
}

bool ProgramSession::resizeClient(int width, int height)
{
    m_window->resize(width, height);
    // The window system may deliver the new size as an event.
    for (int i = 0; i < 100 && m_window->size() != QSize(width, height); ++i)
        QCoreApplication::processEvents();
    settle();
    m_window->repaint();
    return m_window->size() == QSize(width, height);
}

void ProgramSession::settle()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace kelvaris::bench
