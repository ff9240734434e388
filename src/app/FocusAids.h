#pragma once

#include "focus/FocusMap.h"
#include "focus/FocusSession.h"

#include <QPointer>
#include <QString>
#include <QTimer>

namespace kelvaris {

class FocusMapOverlay;
class MainWindow;
class PeakingOverlay;

// Where the focus lies, beside the curve that tells how sharp the region in
// view is:
//  - the focus map over the overview (M, or the box « Carte de netteté »):
//    each tile of the current shot tinted by how close it comes to the
//    sharpest that tile was in the session; hovering a tile names that
//    sharpest shot;
//  - the shortlist of shots for a focus stack, under the curve while the
//    map is shown: the fewest shots in which every detailed tile of the
//    frame is sharp, or only those of the current pane's crop (the red
//    cursor) when the box « dans le cadre rouge » is ticked;
//  - focus peaking over the current pane (P, or « Contours nets »).
// All are off when the program starts; off, nothing of them shows. The map's
// figures are gathered from every shot's sharpness map as it arrives,
// whether the map is shown or not, so that it shows the whole session at
// once.
class FocusAids
{
public:
    explicit FocusAids(MainWindow& form);
    ~FocusAids();
    FocusAids(const FocusAids&) = delete;
    FocusAids& operator=(const FocusAids&) = delete;

    bool mapShown() const { return m_mapShown; }
    void setMapShown(bool shown);
    bool peakingShown() const { return m_peakingShown; }
    void setPeakingShown(bool shown);
    // Whether the shortlist covers only the current pane's crop.
    bool stackNarrowed() const;

    // The focus instrument has the map of shot `shotId`, or has started a
    // new session.
    void mapReady(int shotId);
    void sessionCleared();
    // The current pane's crop may have moved.
    void cropsMoved();

    const FocusMap& focusMap() const { return m_map; }
    // What hovering tile `tile` of the current shot's map tells.
    QString describeTile(int tile) const;
    // Brings the shortlist up to date now rather than after its pause.
    void updateStack();

    // The pause before the shortlist is made again: after a new map, so
    // that the tint shows first, and after a move of the crop, as a pan is
    // many moves.
    static constexpr int StackDelayMs = 80;

private:
    int currentShotId() const;
    const SessionShot* shotOf(int id) const;
    QString nameOf(int id) const;
    void retint();

    MainWindow& F;
    FocusMap m_map;
    bool m_mapShown = false;
    bool m_peakingShown = false;
    QPointer<FocusMapOverlay> m_mapOverlay;
    QPointer<PeakingOverlay> m_peaking;
    QTimer m_stackTimer;
};

} // namespace kelvaris
