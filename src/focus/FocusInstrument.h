#pragma once

#include "focus/FocusControls.h"
#include "focus/FocusSession.h"
#include "focus/SessionBackfill.h"

#include <QObject>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace kelvaris {

class FileList;
class PaneInteraction;
class ShotLoading;
class PaneRenderer;
struct TakenShot;

// The focus instrument: for every shot taken since Start, the sharpness of
// the region the photographer looks at (the current pane's crop), plotted
// shot after shot, with the sharpest named under the curve. It follows the
// crop: a pan, a double-click or a centring from the overview recomputes
// the whole curve from the shots' maps. Clicking a shot makes it the
// reference. Reset clears the session, as it clears the best figure.
// Start begins a session with the shots already in the folder, measured in
// the background (SessionBackfill).
class FocusInstrument
{
public:
    FocusInstrument(const FocusControls& controls, PaneRenderer& renderer, PaneInteraction& panes);
    ~FocusInstrument();
    FocusInstrument(const FocusInstrument&) = delete;
    FocusInstrument& operator=(const FocusInstrument&) = delete;

    // A new session: Start. The shots already in the folder join it from
    // the next listing of the directory (Start's own look).
    void newSession();
    // Reset.
    void clear();
    // A shot the watcher has taken: its map is computed aside, and it joins
    // the curve once ready.
    void shotTaken(const TakenShot& shot);
    // The watcher has read the directory: shots whose file has gone grey out.
    void directoryListed(const FileList& list);
    // The crop may have moved: the curve is recomputed for it.
    void refresh();
    // Makes shot `index` of the session the reference, read and decoded
    // from its file on a worker: it becomes the reference when it arrives,
    // unless another was chosen meanwhile or the session was cleared.
    void chooseReference(int index);
    // Whether a shot chosen as the reference is still being read.
    bool isLoadingReference() const { return m_reference != nullptr; }

    const FocusSession& session() const { return m_session; }
    const SessionCurve& curve() const { return m_curve; }
    // Whether maps of new shots are still being computed.
    bool isMeasuring() const { return m_measuring > 0; }
    // Whether shots that were in the folder at Start are still coming in.
    bool isFillingIn() const { return m_backfill.isRunning(); }
    SessionBackfill& backfill() { return m_backfill; }

    // Told when the map of shot `shotId` has joined the session, and when
    // the session is cleared (Start, Reset).
    std::function<void(int shotId)> mapReady;
    std::function<void()> cleared;

private:
    int referenceIndex() const;
    void fillIn(SessionBackfill::Shot shot);
    void referenceLoaded();

    FocusControls F;
    PaneRenderer& m_renderer;
    PaneInteraction& m_panes;
    FocusSession m_session;
    SessionCurve m_curve;
    QRect m_crop;
    int m_listGeneration = -1;
    int m_measuring = 0;
    // Maps are computed on a thread of their own, one at a time, and come
    // back through this object; the pool goes first, waiting for its work.
    QObject m_context;
    QThreadPool m_pool;
    // A shot chosen as the reference, loading on a thread of its own; the
    // loading goes before its pool, which waits for it once it is told to stop.
    QThreadPool m_referencePool;
    std::unique_ptr<ShotLoading> m_reference;
    int m_referenceId = 0;
    // Goes before the rest: it waits for its own work, and then calls nothing.
    SessionBackfill m_backfill;
    bool m_fillInNext = false; // the next listing is Start's
};

} // namespace kelvaris
