#include "platform/DirectoryWatch.h"

#include <QFile>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <sys/inotify.h>
#include <unistd.h>

namespace kelvaris {

namespace {

// A file closed after writing, or moved in complete, may be a new shot. A
// file merely created is still being written: its close will tell.
constexpr std::uint32_t fileEvents = IN_CLOSE_WRITE | IN_MOVED_TO;
// The directory itself gone: the watch ends with it.
constexpr std::uint32_t selfEvents = IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT | IN_IGNORED;

class InotifyEngine : public DirectoryWatch::Engine
{
public:
    explicit InotifyEngine(EventHandler changed) : m_changed(std::move(changed)) {}
    ~InotifyEngine() override
    {
        delete m_notifier;
        closeDescriptor();
    }

    bool watch(const QString& directory) override
    {
        stop();
        m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd < 0)
            return false;
        const QByteArray path = QFile::encodeName(directory);
        if (path.isEmpty() ||
            inotify_add_watch(m_fd, path.constData(),
                              fileEvents | IN_ONLYDIR | IN_DELETE_SELF | IN_MOVE_SELF) < 0) {
            stop();
            return false;
        }
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read);
        QObject::connect(m_notifier, &QSocketNotifier::activated, m_notifier,
                         [this] { readEvents(); });
        return true;
    }

    void stop() override
    {
        // The notifier may be emitting right now (the directory went away,
        // or the handler watches again): it goes once its signal is over.
        if (m_notifier) {
            m_notifier->setEnabled(false);
            m_notifier->deleteLater();
            m_notifier = nullptr;
        }
        closeDescriptor();
    }

    bool isWatching() const override { return m_fd >= 0; }

private:
    void closeDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    void readEvents()
    {
        bool fileCompleted = false;
        bool gone = false;
        alignas(inotify_event) std::array<char, 16384> buffer;
        while (m_fd >= 0) {
            const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
            if (got <= 0) {
                if (got < 0 && errno == EINTR)
                    continue;
                break; // EAGAIN: drained
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                // A lost event (queue overflow) may have been a shot.
                if (event->mask & (fileEvents | IN_Q_OVERFLOW))
                    fileCompleted = true;
                if (event->mask & selfEvents)
                    gone = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        // A moved directory keeps its watch under its new name: end it, so
        // that the directory of that name is watched again when it is back.
        if (gone)
            stop();
        if ((fileCompleted || gone) && m_changed)
            m_changed();
    }

    EventHandler m_changed;
    int m_fd = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace

std::unique_ptr<DirectoryWatch::Engine> makeDirectoryWatchEngine(EventHandler changed)
{
    return std::make_unique<InotifyEngine>(std::move(changed));
}

} // namespace kelvaris
