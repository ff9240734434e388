#include "focus/FocusInstrument.h"

#include "capture/CaptureWatcher.h"
#include "capture/QualityFigure.h"
#include "capture/ShotLoader.h"
#include "platform/FileList.h"
#include "view/PaneInteraction.h"
#include "view/PaneRenderer.h"

#include <filesystem>
#include <system_error>

namespace kelvaris {

FocusInstrument::FocusInstrument(const FocusControls& controls, PaneRenderer& renderer,
                                 PaneInteraction& panes)
    : F(controls), m_renderer(renderer), m_panes(panes)
{
    m_pool.setMaxThreadCount(1);
    F.P_Courbe.pointClicked = [this](int index) { chooseReference(index); };
    refresh();
}

void FocusInstrument::newSession()
{
    clear();
}

void FocusInstrument::clear()
{
    m_session.clear();
    if (cleared)
        cleared();
    refresh();
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
    // The worker shares the decoded picture only while it measures it.
    m_pool.start([this, id, picture = shot.picture] {
        auto map = std::make_shared<const SharpnessMap>(SharpnessMap::measure(*picture));
        QMetaObject::invokeMethod(
            &m_context,
            [this, id, map = std::move(map)]() mutable {
                --m_measuring;
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
    F.L_Meilleure.setCaption(bestLine());
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

QString FocusInstrument::bestLine() const
{
    if (m_session.isEmpty())
        return QString();
    const std::vector<SessionShot>& shots = m_session.shots();
    if (m_curve.bestSharpness < 0) {
        for (const CurvePoint& point : m_curve.points) {
            if (point.measured)
                return QStringLiteral("Trop peu de détails dans la zone affichée pour juger la "
                                      "netteté : déplacez l'image sur un sujet détaillé.");
        }
        return QStringLiteral("Netteté en cours de mesure…");
    }
    const SessionShot& best = shots[size_t(m_curve.bestSharpness)];
    QString line = QStringLiteral("Plus nette dans la zone affichée : %1 (qualité %2)")
                       .arg(best.name, best.figure);
    if (best.gone)
        line += QStringLiteral(", fichier disparu");
    if (m_curve.bestFigure >= 0 && m_curve.bestFigure != m_curve.bestSharpness) {
        const SessionShot& byFigure = shots[size_t(m_curve.bestFigure)];
        line += QStringLiteral(" — qualité max : %1 (%2)").arg(byFigure.name, byFigure.figure);
    }
    return line;
}

void FocusInstrument::chooseReference(int index)
{
    if (index < 0 || index >= m_session.size())
        return;
    SessionShot& shot = m_session.shots()[size_t(index)];
    if (shot.gone)
        return;
    const LoadedShot loaded = loadShot(shot.path);
    if (!loaded.taken()) {
        // Removed or rewritten since: it can no longer be shown as it was measured.
        shot.gone = true;
        refresh();
        return;
    }
    m_panes.showReference(loaded.picture, shot.name);
    refresh();
}

} // namespace kelvaris
