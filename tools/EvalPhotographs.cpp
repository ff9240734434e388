#include "EvalPhotographs.h"

#include <QDir>

#include <algorithm>

namespace kelvaris::eval {

namespace {

// The share of the pixels of `region` whose central-difference green
// gradient reaches `threshold` levels per pixel.
double steepShare(const QImage& picture, const QRect& region, double threshold)
{
    int steep = 0, count = 0;
    for (int y = std::max(region.top(), 1); y <= std::min(region.bottom(), picture.height() - 2);
         ++y) {
        const auto* up = reinterpret_cast<const QRgb*>(picture.constScanLine(y - 1));
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        const auto* down = reinterpret_cast<const QRgb*>(picture.constScanLine(y + 1));
        for (int x = std::max(region.left(), 1); x <= std::min(region.right(), picture.width() - 2);
             ++x) {
            const double gx = (qGreen(line[x + 1]) - qGreen(line[x - 1])) / 2.0;
            const double gy = (qGreen(down[x]) - qGreen(up[x])) / 2.0;
            steep += gx * gx + gy * gy >= threshold * threshold;
            ++count;
        }
    }
    return count ? double(steep) / count : 0;
}

} // namespace

QStringList photographs(const QString& root)
{
    // A rendered noise pattern and a rendered gradient: not photographs.
    const QStringList rendered = {QStringLiteral("analogpattern_by_Peter_Nerlich.jpg"),
                                  QStringLiteral("Aqua.jpg")};
    QStringList out;
    for (const QString& folder : {root, root + QStringLiteral("/mate/nature")}) {
        const QDir dir(folder);
        for (const QString& file : dir.entryList({QStringLiteral("*.jpg")}, QDir::Files)) {
            if (!rendered.contains(file))
                out << dir.filePath(file);
        }
    }
    return out;
}

RegionKind classify(const QImage& sharp, const QRect& region)
{
    if (steepShare(sharp, region, 10) >= 0.05)
        return RegionKind::Detailed;
    return steepShare(sharp, region, 8) < 0.005 ? RegionKind::Flat : RegionKind::Between;
}

} // namespace kelvaris::eval
