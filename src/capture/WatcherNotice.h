#pragma once

#include <QString>

namespace kelvaris {

// What keeps new shots from appearing, told to the photographer in French:
// a reception directory that has gone or cannot be read while the watcher
// runs, or a newest file that cannot be shown. The text is empty when there
// is nothing to tell; a directory that has gone is told first, as no file
// can arrive meanwhile.
class WatcherNotice
{
public:
    // A file still being written is normal for a few looks; it is told
    // of only once it has stayed incomplete this long, at this many looks.
    static constexpr int IncompleteLooks = 3;
    static constexpr qint64 IncompleteMs = 3000;

    void directoryLost(const QString& directory);
    void directoryRead();

    // The newest file `name` was refused; `reason` reads after its name
    // ("est endommagé"). `incomplete`: it may still be being written.
    // `nowMs` is a monotonic time in milliseconds.
    void fileRefused(const QString& name, const QString& reason, bool incomplete, qint64 nowMs);
    // A shot was taken, or there was nothing new to take: no file is in the way.
    void fileCleared();

    // Everything forgotten (the watcher stopped or started afresh).
    void clear();

    QString text() const;

private:
    QString m_lostDirectory;
    bool m_directoryLost = false;
    QString m_refusedName;
    QString m_reason;
    bool m_incomplete = false;
    int m_refusals = 0;
    qint64 m_firstRefusalMs = 0;
    qint64 m_lastRefusalMs = 0;
};

} // namespace kelvaris
