#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace kelvaris {

// Where everything of the focus curve goes, in the widget's pixels: which
// shot at which x, which figure at which y, the axes' numbers, the best
// focus's mark, the titles; and which shot lies under a point. Pure: the
// widget measures its font, asks, and paints what it is told.
//
// The shots stand in the order of the session, one slot each, evenly
// spread along the plot. Up the side, the sharpness reads as a percentage
// of the sharpest's; along the bottom, each shot is numbered by the counter
// of its file name (IMG_0042.JPG is 42) or else by its place in the session.
//
// While the pointer rests on the curve the photographer may be aiming at a
// point, so nothing may move: the curve is held. A held curve keeps the
// shots it showed in their slots and keeps its scale; shots that come
// meanwhile wait, the newest drawn at the right edge, and take their place
// once the pointer leaves.

// One shot as the curve shows it.
struct CurveShot
{
    int id = 0;   // the session's id: what a hold follows
    QString name; // its file name
    bool measured = false;
    double sharpness = 0;
    bool enoughDetail = false;
    double figure = 0; // its quality figure, for the dashed line
};

// The vertical scale: the sharpness that reads 100 % (the sharpest's, or
// the greatest measured when no shot has enough detail to be judged), and
// the sharpness at the top of the plot. Nothing measured: both 0.
struct CurveScale
{
    double hundred = 0;
    double top = 0;
};

// What a held curve keeps: slot i shows the shot of id ids[i].
struct CurveHold
{
    std::vector<int> ids;
    CurveScale scale;
};

struct CurveInput
{
    double width = 0; // the widget, pixels
    double height = 0;
    double lineHeight = 0; // a line of the widget's font
    // The width of a text in the widget's font.
    std::function<double(const QString&)> textWidth;
    std::vector<CurveShot> shots; // the session's, in order
    int best = -1;                // the sharpest, an index into shots, or -1
    double bestPosition = -1;     // the best focus, a fractional index; < 0: none
    std::optional<CurveHold> hold;
};

// A text and the box it fits.
struct CurveLabel
{
    QRectF box;
    QString text;
};

struct CurvePlacement
{
    QRectF plot; // the points' area; its bottom line is the axis
    // On the line above the plot, left and right. The legend's text is
    // empty when there is no room for it; `whole` tells whether both read
    // in full.
    CurveLabel title;
    CurveLabel legend;
    bool whole = false;

    CurveScale scale;
    int slotCount = 0; // slot i is centred at plot.left + (i + 0.5) * slotWidth
    double slotWidth = 0;
    double radius = 0; // of a point
    // Each shot of the input: its point, none while it waits for a held curve
    // to let go; and its quality figure's point, on a scale of its own.
    std::vector<std::optional<QPointF>> points;
    std::vector<std::optional<QPointF>> figures;
    std::vector<int> slotShot; // the shot in each slot, -1 for none
    std::vector<int> slotIds;  // the id of the shot each slot is for
    QRectF hitArea;            // where a point counts as aimed at: the plot and its numbers

    std::vector<CurveLabel> shotNumbers; // along the bottom, under their shots
    std::vector<double> slotTicks;       // x of a small tick per slot, when slots are wide enough
    std::vector<CurveLabel> percents;    // up the side, right-aligned left of the plot
    std::vector<double> percentLines;    // y of each percentage's faint line
    // The best focus between shots, on the axis; none when unsupported or
    // when a shot around it waits.
    std::optional<QPointF> bestMark;
    // The newest shot while it waits, at the right edge, and how many new
    // shots wait there.
    std::optional<QPointF> waiting;
    int waitingCount = 0;
    // The current shot's sharpness relative to the sharpest, beside it;
    // empty when it is the sharpest or has no figure to compare.
    CurveLabel current;

    // The index of the shot under `at`, -1 when none: the whole column of a
    // slot counts, from the plot's top to its numbers.
    int shotAt(QPointF at) const;
    // Whether `at` is on the best focus's mark.
    bool onBestMark(QPointF at) const;
    // Whether `at` is on the title line, or on the waiting shot.
    bool onTitle(QPointF at) const;
    bool onWaiting(QPointF at) const;
    // What a hold taken now keeps.
    CurveHold hold() const;
};

CurvePlacement placeCurve(const CurveInput& input);

// The counter in a file's name: its last run of digits, before the
// extension ("IMG_0042.JPG" 42, "DSC01234.JPG" 1234, "2024-05-01_0007.jpg"
// 7); none when there is none or it has more than nine digits.
std::optional<int> shotCounter(const QString& name);

// The numbers along the bottom, one per shot: the counters of the names
// when every name has one and no two are equal, else the places 1, 2, 3…
std::vector<int> shotNumbers(const std::vector<CurveShot>& shots);

namespace curve {
constexpr double Pad = 4;         // around everything
constexpr double RightEdge = 14;  // right of the plot: room for a waiting shot
constexpr double Headroom = 1.08; // the scale's top over the greatest figure
constexpr double LabelGap = 8;    // between two texts on a line
constexpr double TickLength = 3;  // the axis's small ticks
constexpr double MinTickSlot = 6; // narrower slots have no tick of their own
} // namespace curve

} // namespace kelvaris
