#pragma once

#include "focus/FocusSession.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kelvaris {

// The focus instrument's words, in French with its typography: a
// non-breaking space before « ; : ! ? % » and inside « ». Kept apart from
// the widgets so that each can be read and tested as a whole.

// A figure relative to the best, as "85 %"; empty when there is no best.
QString percentOf(double value, double best);

// The curve's title, and the legend of its dashed line: longest first, the
// curve shows the longest that fit its width.
const QStringList& curveTitles();
const QStringList& curveLegends();

// What hovering the title line tells: the whole title and legend, and how
// to read the axes.
QString curveToolTip();

// What hovering the best focus's mark tells (bestFocusPhrase, as a sentence).
QString bestMarkToolTip(double position, const std::vector<SessionShot>& shots);

// What the curve says while no shot is on it: whether the watcher runs
// decides what the photographer has to do.
QString emptyCurveText(bool watching);

// What hovering a shot's point tells: its name, its sharpness relative to
// `best` (the sharpest's figure), its quality figure, and what a click does.
QString shotToolTip(const SessionShot& shot, const CurvePoint& point, double best);

// What hovering the right edge tells while `count` new shots wait there.
QString waitingToolTip(int count);

// A shot's name without its extension: "IMG_0042.JPG" gives "IMG_0042".
QString shortName(const QString& name);

// Where the best focus lies, `position` being a fractional index into
// `shots` (SessionCurve::bestPosition), in words: "meilleure mise au point
// entre IMG_0041 et IMG_0042, plus près de IMG_0042". Empty when the
// position is negative or lies outside the session.
QString bestFocusPhrase(double position, const std::vector<SessionShot>& shots);

// The line under the curve: the sharpest shot of the region, where the best
// focus lies between shots when it is known, and the shot of the best
// quality figure when it is another. Empty for an empty session.
QString bestLine(const FocusSession& session, const SessionCurve& curve);

} // namespace kelvaris
