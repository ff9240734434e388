#include "ProgramSession.h"

#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
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
    waitUntil([&watcher] { return !watcher.isLooking() && !watcher.hasLookPending(); });
    settle();
    return !watcher.isLooking();
}

QString ProgramSession::takeTestShot(const QString& directory)
{
    m_testShot = QDir(directory).filePath(QStringLiteral("IMG_0001.JPG"));
    const QByteArray jpeg = makeDetailedJpeg(Width24, Height24, 24);
    if (jpeg.isEmpty() || !writeFile(m_testShot, jpeg))
        return QStringLiteral("cannot write the 24 MP test shot");
    if (!ready())
        return QStringLiteral("the main window could not be shown");
    watchByHand(directory);
    if (!m_window->P_ImgLast.picture())
        return QStringLiteral("Start did not take the test shot");
    waitForMaps();
    return {};
}

void ProgramSession::addSessionShots(int count, int firstNumber)
{
    TakenShot shot;
    shot.picture = m_window->P_ImgLast.picture();
    shot.path = toNativePath(m_testShot);
    shot.figure = QStringLiteral("1234");
    for (int i = 0; i < count; ++i) {
        shot.name = QStringLiteral("IMG_%1.JPG").arg(firstNumber + i, 4, 10, QLatin1Char('0'));
        m_window->focus.shotTaken(shot);
    }
    waitForMaps();
}

double ProgramSession::addSessionShotsKeptKb(int count)
{
    releaseFreedMemory();
    const qint64 before = procStatusKb("VmRSS");
    addSessionShots(count);
    settle();
    releaseFreedMemory();
    return double(procStatusKb("VmRSS") - before) / count;
}

void ProgramSession::waitForMaps()
{
    waitUntil([this] { return !m_window->focus.isMeasuring(); });
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
