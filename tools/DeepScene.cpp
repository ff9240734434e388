#include "DeepScene.h"

#include "Lens.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QTransform>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// Blurs are taken in steps of a quarter pixel: rows of the same step are
// blurred together, and a quarter pixel of defocus does not show.
constexpr double BlurStep = 0.25;
// The depth of field: a fifth of the page is sharp in each shot, so that
// twelve steps from near to far overlap and every other shot or so is
// enough for a stack. Beyond it the blur grows, to the largest half the
// page farther.
constexpr double DepthOfField = 0.2;
constexpr double BlurPerDepth = 2;

// The page flat, as printed: lines of text in several small sizes and, down
// its left margin, a ruler of fine ticks.
QImage renderPage(int width, int height, double unit, quint32 seed)
{
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(QColor(246, 244, 237));
    QPainter p(&page);
    p.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(seed);
    static const QString words[] = {u"focus"_s, u"depth"_s, u"field"_s,  u"stack"_s, u"sharp"_s,
                                    u"plane"_s, u"lens"_s,  u"ring"_s,   u"shot"_s,  u"frame"_s,
                                    u"near"_s,  u"far"_s,   u"detail"_s, u"print"_s, u"0123"_s};
    p.setPen(QColor(20, 20, 24));
    const double margin = 80 * unit;
    double y = 30 * unit;
    for (int line = 0; y < height; ++line) {
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(std::max(6, int((14 + 4 * (line % 3)) * unit)));
        p.setFont(font);
        const QFontMetricsF metrics(font);
        y += metrics.ascent();
        QString text;
        while (metrics.horizontalAdvance(text) < width - 1.5 * margin)
            text += words[random.bounded(int(std::size(words)))] + u' ';
        p.drawText(QPointF(margin, y), text);
        y += metrics.descent() + metrics.leading() + 6 * unit;
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, std::max(1.0, 1.5 * unit)));
    for (int tick = 0; tick * 12 * unit < height; ++tick) {
        const double at = tick * 12 * unit;
        p.drawLine(QPointF(10 * unit, at), QPointF((tick % 5 ? 30 : 55) * unit, at));
    }
    return page;
}

} // namespace

DeepScene::DeepScene(int width, int height, quint32 seed)
    : m_scene(width, height, QImage::Format_RGB32), m_depth(std::size_t(height))
{
    // The table: a smooth gradient, nothing to focus on.
    QPainter p(&m_scene);
    QLinearGradient table(0, 0, 0, height);
    table.setColorAt(0, QColor(70, 58, 48));
    table.setColorAt(1, QColor(110, 92, 74));
    p.fillRect(m_scene.rect(), table);

    // The page in perspective: its near edge past the picture's bottom, its
    // far edge narrower, a tenth of the way down.
    const double unit = height / 2000.0;
    const QImage page = renderPage(int(width * 0.94), int(height * 1.5), unit, seed);
    const QPolygonF flat({QPointF(0, 0), QPointF(page.width(), 0),
                          QPointF(page.width(), page.height()), QPointF(0, page.height())});
    const QPolygonF seen({QPointF(width * 0.29, height * 0.1), QPointF(width * 0.71, height * 0.1),
                          QPointF(width * 0.99, height * 1.04),
                          QPointF(width * 0.01, height * 1.04)});
    QTransform onto;
    QTransform::quadToQuad(flat, seen, onto);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(onto);
    p.drawImage(QPointF(0, 0), page);
    p.end();

    // A row's depth is that of the page's line seen there: the page's lines
    // crowd together towards its far edge.
    const QTransform back = onto.inverted();
    for (int y = 0; y < height; ++y) {
        const double pageY = back.map(QPointF(width / 2.0, y + 0.5)).y();
        m_depth[std::size_t(y)] = 1 - pageY / page.height();
    }
}

QImage DeepScene::shot(double focus, double maxBlur, quint32 seed) const
{
    const int width = m_scene.width();
    const int height = m_scene.height();
    const int maxStep = int(std::floor(maxBlur / BlurStep));
    const auto stepOf = [&](int y) {
        // Beyond the far edge the table is out of focus whatever the focus.
        const double depth = m_depth[std::size_t(y)];
        const double outside = std::max(0.0, std::abs(depth - focus) - DepthOfField / 2);
        const double blur =
            depth > 1 || depth < 0 ? maxBlur : std::min(maxBlur, outside * BlurPerDepth * maxBlur);
        return std::min(maxStep, int(std::lround(blur / BlurStep)));
    };
    QImage out(m_scene.size(), QImage::Format_RGB32);
    for (int y = 0; y < height;) {
        const int step = stepOf(y);
        int end = y + 1;
        while (end < height && stepOf(end) == step)
            ++end;
        // The rows of one blur, with the rows around that it reaches.
        const double sigma = step * BlurStep;
        const int reach = int(std::ceil(3 * sigma)) + 2;
        const int top = std::max(0, y - reach);
        const int bottom = std::min(height, end + reach);
        const QImage band = defocused(m_scene.copy(0, top, width, bottom - top), sigma);
        for (int row = y; row < end; ++row)
            std::copy_n(reinterpret_cast<const QRgb*>(band.constScanLine(row - top)), width,
                        reinterpret_cast<QRgb*>(out.scanLine(row)));
        y = end;
    }
    addSensorNoise(out, seed);
    return out;
}
