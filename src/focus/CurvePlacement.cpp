#include "focus/CurvePlacement.h"

#include "focus/CurveTexts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace kelvaris {

using namespace curve;

namespace {

// The title and legend pairs, by preference: the whole title first, then
// some legend, then the title alone. -1: no legend.
constexpr struct
{
    int title, legend;
} TitlePairs[] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}, {2, 1}, {0, -1}, {1, -1}, {2, -1}};

// The steps of the percentages up the side, and of the shot numbers along
// the bottom: the first whose labels do not crowd each other.
constexpr int PercentSteps[] = {10, 25, 50, 100, 250, 500, 1000};

void placeTitles(const CurveInput& in, double titleHeight, CurvePlacement& r)
{
    const QStringList& titles = curveTitles();
    const QStringList& legends = curveLegends();
    const double room = std::max(0.0, in.width - 2 * Pad);
    for (const auto& pair : TitlePairs) {
        const double titleWidth = std::ceil(in.textWidth(titles[pair.title]));
        const double legendWidth =
            pair.legend >= 0 ? std::ceil(in.textWidth(legends[pair.legend])) : 0;
        if (titleWidth + (pair.legend >= 0 ? LabelGap + legendWidth : 0) > room)
            continue;
        r.title = {QRectF(Pad, 0, titleWidth, titleHeight), titles[pair.title]};
        if (pair.legend >= 0)
            r.legend = {QRectF(in.width - Pad - legendWidth, 0, legendWidth, titleHeight),
                        legends[pair.legend]};
        r.whole = pair.title == 0 && pair.legend == 0;
        return;
    }
    // Not even the shortest title fits: it is cut to the room, and told whole on hovering.
    r.title = {QRectF(Pad, 0, room, titleHeight), titles.back()};
    r.legend = {QRectF(in.width - Pad, 0, 0, titleHeight), QString()};
}

CurveScale liveScale(const CurveInput& in)
{
    double greatest = 0;
    for (const CurveShot& shot : in.shots)
        greatest = std::max(greatest, shot.measured ? shot.sharpness : 0.0);
    const bool judged = in.best >= 0 && std::size_t(in.best) < in.shots.size() &&
                        in.shots[std::size_t(in.best)].measured &&
                        in.shots[std::size_t(in.best)].sharpness > 0;
    CurveScale scale;
    scale.hundred = judged ? in.shots[std::size_t(in.best)].sharpness : greatest;
    scale.top = std::max(scale.hundred, greatest) * Headroom;
    return scale;
}

// The percentages up the side, on a plot from `top` to `bottom`.
void placePercents(const CurveInput& in, double top, double bottom, CurvePlacement& r)
{
    if (r.scale.hundred <= 0 || r.scale.top <= 0)
        return;
    const double topPercent = 100 * r.scale.top / r.scale.hundred;
    const double height = bottom - top;
    // A step that leaves a figure besides 0, with a line's room between two;
    // in a low plot, 0 and 100 % nearer, if they do not touch.
    const auto spacing = [&](int step) { return step / topPercent * height; };
    int step = 0;
    for (const int candidate : PercentSteps) {
        if (candidate <= topPercent && spacing(candidate) >= 2 * in.lineHeight) {
            step = candidate;
            break;
        }
    }
    if (step == 0 && spacing(100) >= in.lineHeight + 2)
        step = 100;
    // Too low a plot for two figures: the best's alone.
    const bool hundredAlone = step == 0 && 100 <= topPercent;
    for (int value = hundredAlone ? 100 : 0; step > 0 || hundredAlone; value += step) {
        if (value > topPercent)
            break;
        const double y = bottom - value / topPercent * height;
        const double boxTop = std::clamp(y - in.lineHeight / 2, r.title.box.bottom(),
                                         std::max(r.title.box.bottom(), in.height - in.lineHeight));
        r.percents.push_back(
            {QRectF(Pad, boxTop, 0, in.lineHeight), QStringLiteral("%1\u00A0%").arg(value)});
        r.percentLines.push_back(y);
        if (hundredAlone)
            break;
    }
}

// The shot numbers along the bottom: the newest shown always, then every
// `step`-th number leftwards where it does not crowd its right neighbour.
void placeNumbers(const CurveInput& in, CurvePlacement& r)
{
    const std::vector<int> numbers = shotNumbers(in.shots);
    double widest = 0;
    for (const int shot : r.slotShot)
        if (shot >= 0)
            widest = std::max(widest, in.textWidth(QString::number(numbers[std::size_t(shot)])));
    int step = 1;
    for (int scale = 1; step * r.slotWidth < widest + LabelGap && scale < 1000000000; scale *= 10) {
        for (const int factor : {1, 2, 5}) {
            step = factor * scale;
            if (step * r.slotWidth >= widest + LabelGap)
                break;
        }
    }
    const QRectF& plot = r.plot;
    double leftmost = std::numeric_limits<double>::infinity();
    bool newest = true;
    for (int slot = r.slotCount - 1; slot >= 0; --slot) {
        const int shot = r.slotShot[std::size_t(slot)];
        if (shot < 0)
            continue;
        const int number = numbers[std::size_t(shot)];
        if (!newest && number % step != 0)
            continue;
        const QString text = QString::number(number);
        const double width = in.textWidth(text);
        const double x = plot.left() + (slot + 0.5) * r.slotWidth;
        const double left =
            std::clamp(x - width / 2, plot.left(), std::max(plot.left(), in.width - Pad - width));
        newest = false;
        if (left + width + LabelGap > leftmost)
            continue;
        leftmost = left;
        r.shotNumbers.push_back(
            {QRectF(left, plot.bottom() + TickLength, width, in.lineHeight), text});
        if (r.slotWidth < MinTickSlot)
            r.slotTicks.push_back(x);
    }
    std::reverse(r.shotNumbers.begin(), r.shotNumbers.end());
    if (r.slotWidth >= MinTickSlot)
        for (int slot = 0; slot < r.slotCount; ++slot)
            r.slotTicks.push_back(plot.left() + (slot + 0.5) * r.slotWidth);
    else
        std::reverse(r.slotTicks.begin(), r.slotTicks.end());
}

} // namespace

CurvePlacement placeCurve(const CurveInput& in)
{
    CurvePlacement r;
    const std::size_t count = in.shots.size();

    // The slotCount: one per shot, or those a hold keeps.
    std::vector<int> slotOf(count, -1);
    if (in.hold) {
        r.slotCount = int(in.hold->ids.size());
        r.slotShot.assign(in.hold->ids.size(), -1);
        for (std::size_t i = 0; i < count; ++i) {
            const auto found = std::find(in.hold->ids.begin(), in.hold->ids.end(), in.shots[i].id);
            if (found != in.hold->ids.end()) {
                slotOf[i] = int(found - in.hold->ids.begin());
                r.slotShot[std::size_t(slotOf[i])] = int(i);
            }
        }
        r.slotIds = in.hold->ids;
    } else {
        r.slotCount = int(count);
        for (std::size_t i = 0; i < count; ++i) {
            slotOf[i] = int(i);
            r.slotShot.push_back(int(i));
            r.slotIds.push_back(in.shots[i].id);
        }
    }
    r.scale = in.hold && in.hold->scale.top > 0 ? in.hold->scale : liveScale(in);

    // From the top: the title line, the plot, the shot numbers.
    const double titleHeight = in.lineHeight + 4;
    placeTitles(in, titleHeight, r);
    const double top = titleHeight + Pad;
    const double bottom = std::max(top + 1, in.height - TickLength - in.lineHeight - 2);
    placePercents(in, top, bottom, r);
    double percentWidth = in.textWidth(QStringLiteral("100\u00A0%"));
    for (const CurveLabel& label : r.percents)
        percentWidth = std::max(percentWidth, in.textWidth(label.text));
    for (CurveLabel& label : r.percents)
        label.box.setWidth(percentWidth);
    const double left = Pad + percentWidth + LabelGap / 2;
    r.plot = QRectF(left, top, std::max(1.0, in.width - RightEdge - left), bottom - top);
    r.hitArea = QRectF(r.plot.left() - Pad, top - Pad, r.plot.width() + 2 * Pad,
                       std::max(0.0, in.height - (top - Pad)));
    r.slotWidth = r.plot.width() / std::max(1, r.slotCount);
    r.radius = std::clamp(r.slotWidth / 3, 1.5, 4.0);

    const auto xOf = [&](int slot) { return r.plot.left() + (slot + 0.5) * r.slotWidth; };
    const auto yOf = [&](double value, double scaleTop) {
        const double share = scaleTop > 0 ? std::clamp(value / scaleTop, 0.0, 1.0) : 0.0;
        return r.plot.bottom() - share * r.plot.height();
    };
    double figureTop = 0;
    for (std::size_t i = 0; i < count; ++i)
        figureTop = std::max(figureTop, slotOf[i] >= 0 ? in.shots[i].figure : 0.0);
    figureTop *= Headroom;
    r.points.resize(count);
    r.figures.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (slotOf[i] < 0)
            continue;
        const CurveShot& shot = in.shots[i];
        r.points[i] = QPointF(xOf(slotOf[i]), yOf(shot.measured ? shot.sharpness : 0, r.scale.top));
        r.figures[i] = QPointF(xOf(slotOf[i]), yOf(shot.figure, figureTop));
    }
    placeNumbers(in, r);

    // The best focus between shots, where both shots around it are shown.
    if (in.bestPosition >= 0 && in.bestPosition <= double(count) - 1) {
        const auto before = std::size_t(std::floor(in.bestPosition));
        const std::size_t after = std::min(before + 1, count - 1);
        if (slotOf[before] >= 0 && slotOf[after] >= 0) {
            const double x0 = xOf(slotOf[before]);
            const double x1 = xOf(slotOf[after]);
            r.bestMark =
                QPointF(x0 + (in.bestPosition - double(before)) * (x1 - x0), r.plot.bottom());
        }
    }

    // New shots that wait for a held curve, the newest at the right edge.
    for (std::size_t i = count; i-- > 0 && slotOf[i] < 0;)
        ++r.waitingCount;
    std::optional<QPointF> current;
    if (count > 0) {
        const CurveShot& newest = in.shots[count - 1];
        if (slotOf[count - 1] < 0) {
            r.waiting = QPointF(r.plot.right() + RightEdge / 2,
                                yOf(newest.measured ? newest.sharpness : 0, r.scale.top));
            current = r.waiting;
        } else {
            current = r.points[count - 1];
        }
        const bool judged = in.best >= 0 && std::size_t(in.best) < count &&
                            in.shots[std::size_t(in.best)].sharpness > 0;
        if (judged && std::size_t(in.best) != count - 1 && newest.measured && newest.enoughDetail) {
            const QString text =
                percentOf(newest.sharpness, in.shots[std::size_t(in.best)].sharpness);
            const double width = in.textWidth(text);
            const double x = std::clamp(current->x() - width / 2, r.plot.left(),
                                        std::max(r.plot.left(), in.width - Pad - width));
            double y = current->y() - r.radius - 2 - in.lineHeight;
            if (y < r.plot.top() - 2 &&
                current->y() + r.radius + 2 + in.lineHeight <= r.plot.bottom())
                y = current->y() + r.radius + 2;
            r.current = {QRectF(x, std::max(y, r.title.box.bottom()), width, in.lineHeight), text};
        }
    }
    return r;
}

int CurvePlacement::shotAt(QPointF at) const
{
    if (slotCount <= 0 || !hitArea.contains(at))
        return -1;
    const int slot =
        std::clamp(int(std::floor((at.x() - plot.left()) / slotWidth)), 0, slotCount - 1);
    return slotShot[std::size_t(slot)];
}

bool CurvePlacement::onBestMark(QPointF at) const
{
    return bestMark && std::abs(at.x() - bestMark->x()) <= 6 && at.y() >= bestMark->y() - 10 &&
           at.y() <= bestMark->y() + 4;
}

bool CurvePlacement::onTitle(QPointF at) const
{
    return at.y() >= 0 && at.y() < title.box.bottom();
}

bool CurvePlacement::onWaiting(QPointF at) const
{
    return waiting && std::abs(at.x() - waiting->x()) <= RightEdge / 2 &&
           std::abs(at.y() - waiting->y()) <= 8;
}

CurveHold CurvePlacement::hold() const
{
    return {slotIds, scale};
}

std::optional<int> shotCounter(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype end = dot > 0 ? dot : name.size();
    qsizetype last = end;
    while (last > 0 && !name[last - 1].isDigit())
        --last;
    qsizetype first = last;
    while (first > 0 && name[first - 1].isDigit())
        --first;
    if (first == last || last - first > 9)
        return std::nullopt;
    int counter = 0;
    for (qsizetype i = first; i < last; ++i) {
        const int digit = name[i].digitValue();
        if (digit < 0)
            return std::nullopt; // a digit of another script
        counter = counter * 10 + digit;
    }
    return counter;
}

std::vector<int> shotNumbers(const std::vector<CurveShot>& shots)
{
    std::vector<int> numbers;
    std::set<int> seen;
    for (const CurveShot& shot : shots) {
        const std::optional<int> counter = shotCounter(shot.name);
        if (!counter || !seen.insert(*counter).second) {
            numbers.clear();
            break;
        }
        numbers.push_back(*counter);
    }
    if (numbers.size() != shots.size())
        for (std::size_t i = 0; i < shots.size(); ++i)
            numbers.push_back(int(i) + 1);
    return numbers;
}

} // namespace kelvaris
