#include "platform/DirectoryWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace kelvaris {

namespace {

// Where the system offers no finer notification, any change of the
// directory (a file created, grown, renamed or removed) asks for a look.
class QtEngine : public DirectoryWatch::Engine
{
public:
    explicit QtEngine(EventHandler changed) : m_changed(std::move(changed)) {}
    ~QtEngine() override { delete m_watcher; }

    bool watch(const QString& directory) override
    {
        stop();
        if (directory.isEmpty() || !QFileInfo(directory).isDir())
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

    void stop() override
    {
        // The watcher may be emitting right now: it goes once its signal is over.
        if (m_watcher)
            m_watcher->deleteLater();
        m_watcher = nullptr;
        m_directory.clear();
    }

    bool isWatching() const override { return m_watcher != nullptr; }

private:
    EventHandler m_changed;
    QFileSystemWatcher* m_watcher = nullptr;
    QString m_directory;
};

} // namespace

std::unique_ptr<DirectoryWatch::Engine> makeDirectoryWatchEngine(EventHandler changed)
{
    return std::make_unique<QtEngine>(std::move(changed));
}

} // namespace kelvaris
