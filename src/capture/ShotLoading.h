#pragma once

#include "capture/ShotLoader.h"
#include "platform/NativePath.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

class QThreadPool;

namespace kelvaris {

// The loading of one shot, away from the GUI thread: reading, decoding and
// turning upright run on worker threads, and the results come back to this
// object's thread through its signals.
//
// When a part of the shot is asked for first (the region the pane shows),
// `partDecoded` brings it before the whole shot: taken from the whole
// decoding as soon as the decoder has passed it, or, lower in the picture,
// decoded alone on a second worker beside the whole decoding. The
// whole shot, or the reason it cannot be taken, ends the loading with
// `finished`. Deleting the object while it loads tells the workers to stop
// (they give up within a few rows) and nothing arrives any more.
class ShotLoading : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Loading,
        Loaded, // result() is taken
        Failed, // result() says why
    };

    // Starts loading the shot at `path` on `pool`, which needs two threads
    // for the part and the whole to be decoded side by side. `part` is in
    // the upright shot's pixels; an empty one asks for none.
    ShotLoading(NativePath path, QRect part, QThreadPool& pool);
    ~ShotLoading() override;
    ShotLoading(const ShotLoading&) = delete;
    ShotLoading& operator=(const ShotLoading&) = delete;

    // Asks the workers to stop: `finished` still comes, soon, with the
    // outcome Stopped unless the shot was done by then.
    void stop();

    const NativePath& path() const { return m_path; }
    State state() const { return m_state; }
    // The whole shot, or why it was not taken; set once finished.
    const LoadedShot& result() const { return m_result; }
    // The file as it was read, for remembering a refusal; set once finished.
    const FileStamp& stamp() const { return m_stamp; }
    // The overview's small rendition of the shot, made on the worker too.
    const QImage& rendition() const { return m_rendition; }
    // Whether partDecoded came.
    bool hasPart() const { return m_hasPart; }

    // Called on the worker once the whole shot is decoded, right before it
    // is handed over, for tests to hold it back and see what comes before
    // it. It must return once `stop` is set. An empty function removes it.
    using WholeDecodingHook = std::function<void(const StopFlag& stop)>;
    static void setBeforeWholeForTesting(WholeDecodingHook hook);

signals:
    void partDecoded(const kelvaris::ShotPart& part);
    void finished();

private:
    struct Shared;
    void partArrived(const ShotPart& part);
    void wholeArrived(const LoadedShot& shot, const FileStamp& stamp, const QImage& rendition);

    NativePath m_path;
    State m_state = State::Loading;
    LoadedShot m_result;
    FileStamp m_stamp;
    QImage m_rendition;
    bool m_hasPart = false;
    std::shared_ptr<Shared> m_shared;
};

} // namespace kelvaris
