#pragma once

#include "focus/SharpnessMap.h"
#include "platform/NativePath.h"

#include <QRect>
#include <QString>

#include <memory>
#include <vector>

namespace kelvaris {

// One shot of the focusing session: what is kept of it once it is no
// longer on screen. No picture is kept: its sharpness map (a few tens of
// kilobytes) tells the sharpness of any region of it.
struct SessionShot
{
    int id = 0;      // unique within the program's run
    QString name;    // as the user reads it
    NativePath path; // where it was read from
    QString figure;  // its quality figure, as the watcher showed it
    double figureValue = 0;
    // Null while it is still being computed.
    std::shared_ptr<const SharpnessMap> map;
    bool gone = false; // its file is no longer there
};

// The region sharpness of one shot, for the curve.
struct CurvePoint
{
    bool measured = false;     // its map is ready
    double sharpness = 0;      // the region's figure (SharpnessMap units)
    bool enoughDetail = false; // the region holds enough detail to judge
};

// The region's figures of a whole session, with its best shots.
struct SessionCurve
{
    std::vector<CurvePoint> points; // in the order the shots were taken
    // The sharpest shot in the region, among the shots measured with enough
    // detail there; -1 when none. The first of equals wins.
    int bestSharpness = -1;
    // The shot of the best quality figure, as "Qualité max" takes it: the
    // first of the greatest; -1 when the session is empty.
    int bestFigure = -1;
    // Where the best focus lies between the shots, in shot order: 3.5 is
    // half-way between points 3 and 4. Negative when the shots around the
    // peak do not support an estimate.
    double bestPosition = -1;
};

// The shots of one focusing session, from Start until Reset, in the order
// the watcher took them, after those already in the folder at Start.
class FocusSession
{
public:
    // Adds a shot whose map comes later; returns its id.
    int add(SessionShot shot);
    // Inserts a shot at `place` (clamped to the session), as for the shots
    // already in the folder at Start, which go before the ones taken since;
    // returns its id.
    int insert(int place, SessionShot shot);
    // Shot `id`; null when it has left the session (Reset, Start).
    SessionShot* find(int id);
    // The map of shot `id` is ready; false when the shot has left the
    // session meanwhile (Reset).
    bool setMap(int id, std::shared_ptr<const SharpnessMap> map);
    void clear();

    const std::vector<SessionShot>& shots() const { return m_shots; }
    std::vector<SessionShot>& shots() { return m_shots; }
    int size() const { return static_cast<int>(m_shots.size()); }
    bool isEmpty() const { return m_shots.empty(); }

    // The figures of every shot for `crop`, a rectangle in picture pixels
    // (the same rectangle for every shot, as the pane keeps its crop from
    // one shot to the next).
    SessionCurve curve(const QRect& crop) const;

private:
    std::vector<SessionShot> m_shots;
    int m_nextId = 1;
};

} // namespace kelvaris
