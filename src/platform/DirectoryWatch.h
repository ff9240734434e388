#pragma once

#include "platform/EventHandler.h"

#include <QString>

#include <memory>

namespace kelvaris {

// Tells, through `changed`, that a file of one directory may have become
// complete: on Linux when a file is closed after writing or moved into the
// directory (inotify), elsewhere whenever the directory changes
// (QFileSystemWatcher). Notifications are hints, never the truth: some file
// systems (network shares, some removable media) send none, and the caller
// keeps looking at the directory itself. A burst of notifications may call
// `changed` once per event; the caller gathers them.
class DirectoryWatch
{
public:
    explicit DirectoryWatch(EventHandler changed);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Watches `directory` instead of any earlier one. False when the system
    // gives no notifications for it (it does not exist, cannot be read, or
    // notifications are unavailable).
    bool watch(const QString& directory);
    // Watches nothing.
    void stop();
    // True while notifications come for the directory last watched: false
    // after stop(), or once the directory has been removed, moved away or
    // unmounted; watching it again re-arms them.
    bool isWatching() const;

    // Makes every watch fail, as on a system without notifications (tests;
    // false restores them).
    static void setUnavailableForTesting(bool unavailable);

    // The system's part: a watch of one directory at a time.
    class Engine
    {
    public:
        virtual ~Engine() = default;
        virtual bool watch(const QString& directory) = 0;
        virtual void stop() = 0;
        virtual bool isWatching() const = 0;
    };

private:
    std::unique_ptr<Engine> m_engine;
};

// The engine of this system (DirectoryWatch_linux.cpp, _generic.cpp).
std::unique_ptr<DirectoryWatch::Engine> makeDirectoryWatchEngine(EventHandler changed);

} // namespace kelvaris
