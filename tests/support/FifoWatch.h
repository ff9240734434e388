#pragma once

// A named pipe that tells whether the program opened it for reading. Such
// an opening waits for a writer for ever; the watch plays that writer, over
// and over, so that a program that does it goes on (reading nothing) and the
// test can say so instead of hanging.

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvaris::test {

class FifoWatch
{
public:
    explicit FifoWatch(const QString& path) : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        if (m_made)
            m_thread = std::thread([this] { watch(); });
    }
    ~FifoWatch()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    FifoWatch(const FifoWatch&) = delete;
    FifoWatch& operator=(const FifoWatch&) = delete;

    bool made() const { return m_made; }
    // How many times the watch found a reader holding the pipe open.
    int readersSeen() const { return m_readers; }
    bool stillAPipe() const
    {
        struct stat st = {};
        return ::lstat(m_path.constData(), &st) == 0 && S_ISFIFO(st.st_mode);
    }

private:
    void watch()
    {
        using namespace std::chrono_literals;
        while (!m_stop) {
            // Opening for writing without blocking succeeds only while
            // someone has the pipe open for reading.
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0) {
                ++m_readers;
                ::close(fd);
            }
            std::this_thread::sleep_for(10ms);
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_stop = false;
    std::atomic<int> m_readers = 0;
    std::thread m_thread;
};

} // namespace kelvaris::test
