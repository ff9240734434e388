#include "app/FocusAids.h"

#include "app/MainWindow.h"
#include "view/FocusMapOverlay.h"
#include "view/PeakingOverlay.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace kelvaris {

FocusAids::FocusAids(MainWindow& form) : F(form)
{
    // Under both crop cursors: the green one lies under the red one.
    m_mapOverlay = new FocusMapOverlay(F.I_ImgLast, F.SH_CurseurRef.widget());
    m_mapOverlay->describe = [this](int tile) { return describeTile(tile); };
    m_peaking = new PeakingOverlay(F.P_BaseLast, F.P_ImgLast);

    m_stackTimer.setSingleShot(true);
    m_stackTimer.setInterval(StackDelayMs);
    QObject::connect(&m_stackTimer, &QTimer::timeout, &m_stackTimer, [this] { updateStack(); });

    F.mapToggle.toggled = [this](bool on) { setMapShown(on); };
    F.peakingToggle.toggled = [this](bool on) { setPeakingShown(on); };
    F.stackInCursor.toggled = [this](bool) { updateStack(); };
}

FocusAids::~FocusAids()
{
    // They watch controls of the window, which go before their widgets do.
    delete m_mapOverlay;
    delete m_peaking;
}

void FocusAids::setMapShown(bool shown)
{
    m_mapShown = shown;
    F.mapToggle.setChecked(shown);
    if (shown) {
        retint();
        updateStack();
    }
    m_mapOverlay->setVisible(shown);
    // The shortlist's line comes and goes with the map.
    F.instrument.place();
}

void FocusAids::setPeakingShown(bool shown)
{
    m_peakingShown = shown;
    F.peakingToggle.setChecked(shown);
    m_peaking->setVisible(shown);
}

bool FocusAids::stackNarrowed() const
{
    return F.stackInCursor.isChecked();
}

void FocusAids::mapReady(int shotId)
{
    const SessionShot* shot = shotOf(shotId);
    if (shot && shot->map)
        m_map.add(shotId, *shot->map);
    // A new best on a tile changes the current shot's tint there too. The
    // shortlist follows a moment later: the tint comes first.
    if (m_mapShown) {
        retint();
        m_stackTimer.start();
    }
}

void FocusAids::sessionCleared()
{
    m_map.clear();
    m_mapOverlay->clearTints();
    if (m_mapShown)
        updateStack();
}

void FocusAids::cropsMoved()
{
    if (m_peakingShown)
        m_peaking->update();
    if (m_mapShown && stackNarrowed() && !m_stackTimer.isActive())
        m_stackTimer.start();
}

int FocusAids::currentShotId() const
{
    // The newest shot, the one the overview shows, as the curve marks it.
    const FocusSession& session = F.focus.session();
    return session.isEmpty() ? -1 : session.shots().back().id;
}

const SessionShot* FocusAids::shotOf(int id) const
{
    const std::vector<SessionShot>& shots = F.focus.session().shots();
    // Maps arrive nearly in the order of the shots: look from the end.
    const auto found = std::find_if(shots.rbegin(), shots.rend(),
                                    [id](const SessionShot& shot) { return shot.id == id; });
    return found == shots.rend() ? nullptr : &*found;
}

QString FocusAids::nameOf(int id) const
{
    const SessionShot* shot = shotOf(id);
    return shot ? shot->name : QString();
}

void FocusAids::retint()
{
    const int id = currentShotId();
    if (m_map.contains(id))
        m_mapOverlay->setTints(m_map.gridOf(id), m_map.tints(id), F.I_ImgLast.picture());
    else
        m_mapOverlay->clearTints();
}

QString FocusAids::describeTile(int tile) const
{
    const int id = currentShotId();
    const FocusMap::Standing standing = m_map.standing(id, tile);
    if (!standing.detailed)
        return QStringLiteral("Trop peu de détails ici pour juger la netteté");
    const QString sharpest = nameOf(standing.sharpestShot);
    if (standing.sharpestShot == id)
        return QStringLiteral("Plus nette ici\u00a0: %1, cette prise").arg(sharpest);
    return QStringLiteral("Plus nette ici\u00a0: %1 — cette prise\u00a0: %2\u00a0%")
        .arg(sharpest, QString::number(std::lround(100 * standing.ratio)));
}

void FocusAids::updateStack()
{
    m_stackTimer.stop();
    if (!m_mapShown)
        return;
    const int id = currentShotId();
    if (id < 0) {
        F.stackLabel.setCaption(QString());
        return;
    }
    // The current shot's map may not be in yet: the shortlist waits for it.
    if (!m_map.contains(id))
        return;
    std::vector<int> crop;
    if (stackNarrowed())
        crop = m_map.gridOf(id).tilesTouching(F.panes.currentCrop());
    const StackChoice choice = m_map.stack(id, stackNarrowed() ? &crop : nullptr);

    // Named in the order they were taken, without the files' extension.
    const std::vector<SessionShot>& shots = F.focus.session().shots();
    std::vector<std::size_t> order;
    for (int pick : choice.picks) {
        const auto at = std::find_if(shots.begin(), shots.end(),
                                     [pick](const SessionShot& shot) { return shot.id == pick; });
        if (at != shots.end())
            order.push_back(std::size_t(at - shots.begin()));
    }
    std::sort(order.begin(), order.end());
    QStringList names;
    for (std::size_t i : order)
        names.push_back(QFileInfo(shots[i].name).completeBaseName());
    const QString text = stackText(names, choice);
    F.stackLabel.setCaption(text);
    // A long shortlist may not fit its line: the whole of it on hovering.
    F.stackLabel.widget()->setToolTip(text);
}

} // namespace kelvaris
