#include "focus/FocusInstrument.h"

#include "capture/CaptureWatcher.h"
#include "capture/QualityFigure.h"
#include "capture/ShotLoader.h"
#include "capture/ShotLoading.h"
#include "focus/CurveTexts.h"
#include "platform/FileList.h"
#include "platform/WorkerPriority.h"
#include "view/PaneInteraction.h"
#include "view/PaneRenderer.h"

#include <filesystem>
#include <system_error>
#include <utility>

namespace kelvaris {

namespace {

// Long enough for a look to read and decode a 45 MP shot.
constexpr int NewShotHoldMs = 1000;

} // namespace

FocusInstrument::FocusInstrument(const FocusControls& controls, PaneRenderer& renderer,
                                 PaneInteraction& panes)
    : F(controls), m_renderer(renderer), m_panes(panes)
{
    m_pool.setMaxThreadCount(1);
    m_referencePool.setMaxThreadCount(1);
    F.P_Courbe.pointClicked = [this](int index) { chooseReference(index); };
    F.L_Meilleure.setElided(true);
    m_backfill.measured = [this](SessionBackfill::Shot shot) { fillIn(std::move(shot)); };
    refresh();
}

FocusInstrument::~FocusInstrument()
{
    // The curve's widget may outlive the session it shows.
    F.P_Courbe.setCurve(nullptr, {}, -1);
}

void FocusInstrument::newSession()
{
    clear();
    m_fillInNext = true;
}

void FocusInstrument::clear()
{
    m_backfill.cancel();
    m_fillInNext = false;
    m_session.clear();
    if (cleared)
        cleared();
    refresh();
}

void FocusInstrument::fillIn(SessionBackfill::Shot shot)
{
    SessionShot entry;
    entry.name = shot.name;
    entry.path = std::move(shot.path);
    entry.figure = qualityFigure(shot.fileSize);
    entry.figureValue = leadingNumber(entry.figure);
    entry.map = std::move(shot.map);
    const int id = m_session.insert(shot.place, std::move(entry));
    refresh();
    if (mapReady)
        mapReady(id);
}

void FocusInstrument::shotTaken(const TakenShot& shot)
{
    SessionShot entry;
    entry.name = shot.name;
    entry.path = shot.path;
    entry.figure = shot.figure;
    entry.figureValue = leadingNumber(shot.figure);
    const int id = m_session.add(std::move(entry));
    ++m_measuring;
    // The new shot's map goes first: the shots of the folder wait for it.
    m_backfill.setPaused(true);
    // The worker shares the decoded picture only while it measures it.
    m_pool.start([this, id, picture = shot.picture] {
        lowerThisThreadsPriority();
        auto map = std::make_shared<const SharpnessMap>(SharpnessMap::measure(*picture));
        QMetaObject::invokeMethod(
            &m_context,
            [this, id, map = std::move(map)]() mutable {
                --m_measuring;
                m_backfill.setPaused(m_measuring > 0);
                if (m_session.setMap(id, std::move(map))) {
                    refresh();
                    if (mapReady)
                        mapReady(id);
                }
            },
            Qt::QueuedConnection);
    });
    refresh();
}

void FocusInstrument::directoryListed(const FileList& list)
{
    if (std::exchange(m_fillInNext, false))
        m_backfill.start(list);
    // A newest file not taken yet may be a shot on its way: it goes first.
    const int count = list.listCount();
    if (count > 0 && (m_session.isEmpty() || list.list(count - 1) != m_session.shots().back().name))
        m_backfill.holdFor(NewShotHoldMs);
    if (list.generation() == m_listGeneration)
        return;
    m_listGeneration = list.generation();
    bool changed = false;
    for (SessionShot& shot : m_session.shots()) {
        std::error_code error;
        const bool gone = !std::filesystem::is_regular_file(shot.path, error);
        changed = changed || gone != shot.gone;
        shot.gone = gone;
    }
    if (changed)
        refresh();
}

void FocusInstrument::refresh()
{
    // The pixels the pane shows, its edges' part-pixels included.
    m_crop = m_renderer.currentCrop().toAlignedRect();
    m_curve = m_session.curve(m_crop);
    F.P_Courbe.setCurve(&m_session, m_curve, referenceIndex());
    F.P_Courbe.setEmptyText(emptyCurveText(F.TM_TimerRead.isEnabled()));
    F.L_Meilleure.setCaption(bestLine(m_session, m_curve));
}

int FocusInstrument::referenceIndex() const
{
    const QString reference = F.T_ImageReference.text();
    const std::vector<SessionShot>& shots = m_session.shots();
    for (int i = m_session.size() - 1; i >= 0 && !reference.isEmpty(); --i) {
        if (shots[size_t(i)].name == reference)
            return i;
    }
    return -1;
}

void FocusInstrument::chooseReference(int index)
{
    if (index < 0 || index >= m_session.size())
        return;
    const SessionShot& shot = m_session.shots()[size_t(index)];
    if (shot.gone)
        return;
    // The last choice wins: one still loading is told to stop.
    m_referenceId = shot.id;
    m_reference = std::make_unique<ShotLoading>(shot.path, QRect(), m_referencePool);
    QObject::connect(m_reference.get(), &ShotLoading::finished, m_reference.get(),
                     [this] { referenceLoaded(); });
}

void FocusInstrument::referenceLoaded()
{
    ShotLoading* loading = m_reference.release();
    loading->deleteLater();
    // Cleared since (Reset, Start): the shot is no longer the session's.
    SessionShot* shot = m_session.find(m_referenceId);
    if (!shot)
        return;
    if (loading->state() == ShotLoading::State::Loaded) {
        m_panes.showReference(loading->result().picture, shot->name);
    } else if (loading->result().outcome != LoadedShot::Outcome::Stopped) {
        // Removed or rewritten since: it can no longer be shown as it was measured.
        shot->gone = true;
    }
    refresh();
}

} // namespace kelvaris
