#include "platform/DirectoryWatch.h"

namespace kelvaris {

namespace {
bool g_unavailable = false;
} // namespace

DirectoryWatch::DirectoryWatch(EventHandler changed)
    : m_engine(makeDirectoryWatchEngine(std::move(changed)))
{
}

DirectoryWatch::~DirectoryWatch() = default;

bool DirectoryWatch::watch(const QString& directory)
{
    if (g_unavailable) {
        m_engine->stop();
        return false;
    }
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
