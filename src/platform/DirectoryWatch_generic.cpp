#include "platform/DirectoryWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace kelvaris {

namespace {
bool g_unavailable = false;
} // namespace

// Where the system offers no finer notification, any change of the
// directory (a file created, grown, renamed or removed) asks for a look.
class DirectoryWatch::Engine
{
public:
    explicit Engine(EventHandler changed) : m_changed(std::move(changed)) {}
    ~Engine() { delete m_watcher; }

    bool watch(const QString& directory)
    {
        stop();
        if (g_unavailable || directory.isEmpty() || !QFileInfo(directory).isDir())
            return false;
        m_watcher = new QFileSystemWatcher;
        if (!m_watcher->addPath(directory)) {
            stop();
            return false;
        }
        m_directory = directory;
        QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_watcher, [this] {
            // The watcher drops a directory that is removed.
            if (!m_watcher->directories().contains(m_directory))
                stop();
            if (m_changed)
                m_changed();
        });
        return true;
    }

    void stop()
    {
        // The watcher may be emitting right now: it goes once its signal is over.
        if (m_watcher)
            m_watcher->deleteLater();
        m_watcher = nullptr;
        m_directory.clear();
    }

    bool isWatching() const { return m_watcher != nullptr; }

private:
    EventHandler m_changed;
    QFileSystemWatcher* m_watcher = nullptr;
    QString m_directory;
};

DirectoryWatch::DirectoryWatch(EventHandler changed)
    : m_engine(std::make_unique<Engine>(std::move(changed)))
{
}

DirectoryWatch::~DirectoryWatch() = default;

bool DirectoryWatch::watch(const QString& directory)
{
    return m_engine->watch(directory);
}

void DirectoryWatch::stop()
{
    m_engine->stop();
}

bool DirectoryWatch::isWatching() const
{
    return m_engine->isWatching();
}

void DirectoryWatch::setUnavailableForTesting(bool unavailable)
{
    g_unavailable = unavailable;
}

} // namespace kelvaris
