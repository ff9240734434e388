// Simulates a tethered camera during a focusing session: it drops JPEG shots
// of a detailed test scene into a reception directory, the focus getting
// better and then worse again, each file written in chunks the way transfer
// software writes it. For trying the program without a camera.

#include "DeepScene.h"
#include "Lens.h"

#include "capture/Rgb32PixelFormat.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A sharp scene with detail of every scale: text from tiny to large, a
// Siemens star, thin line groups, a fine random texture and colour patches.
QImage renderScene(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(128, 124, 118));
    QRandomGenerator random(seed);
    const double u = height / 2000.0; // scene unit: one pixel at 2000 rows

    // Fine random texture on the right third: single-pixel grain.
    const int textureLeft = width * 2 / 3;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = textureLeft; x < width; ++x) {
            const int v = 70 + int(random.bounded(120));
            row[x] = qRgb(v, v - 8, v - 16);
        }
    }

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // Siemens star.
    const QPointF centre(width * 0.18, height * 0.3);
    const double radius = std::min(width, height) * 0.22;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, radius, radius);
    p.setBrush(Qt::black);
    const QRectF disc(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    for (int i = 0; i < 72; i += 2) // 72 spokes of 5 degrees (80 sixteenths)
        p.drawPie(disc, i * 80, 80);

    // Text of several sizes on a white card.
    const QRectF card(width * 0.02, height * 0.56, width * 0.42, height * 0.42);
    p.fillRect(card, QColor(245, 243, 238));
    p.setPen(Qt::black);
    const QString line =
        QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 ,.;:!? (AaBbGgQq)");
    p.setClipRect(card);
    double y = card.top() + 10 * u;
    for (int i = 0; y < card.bottom(); ++i) {
        static constexpr int sizes[] = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 32, 40};
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(std::max(5, int(sizes[i % std::size(sizes)] * u)));
        p.setFont(font);
        const QFontMetricsF metrics(font);
        y += metrics.ascent();
        p.drawText(QPointF(card.left() + 10 * u, y), line);
        y += metrics.descent() + metrics.leading();
    }
    p.setClipping(false);

    // A small card of fine print in the top-left corner, where the current
    // pane first looks: something to judge focus on from the first shot.
    const QRectF corner(0, 0, width * 0.16, height * 0.2);
    p.fillRect(corner, QColor(240, 238, 232));
    p.setClipRect(corner);
    QFont print(u"DejaVu Sans"_s);
    print.setPixelSize(std::max(6, int(9 * u)));
    p.setFont(print);
    for (double row = 12 * u; row < corner.bottom(); row += 12 * u)
        p.drawText(QPointF(6 * u, row), line);
    p.setClipping(false);

    // Groups of one-pixel lines at spacings of 2, 3 and 4 pixels, crisp.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::black, 1));
    const int groupTop = int(height * 0.05);
    const int groupSize = int(160 * u);
    int groupLeft = int(width * 0.42);
    for (int spacing : {2, 3, 4}) {
        p.fillRect(groupLeft, groupTop, groupSize, 2 * groupSize + 10, Qt::white);
        for (int k = 0; k < groupSize; k += spacing) {
            p.drawLine(groupLeft + k, groupTop, groupLeft + k, groupTop + groupSize);
            p.drawLine(groupLeft, groupTop + groupSize + 10 + k, groupLeft + groupSize - 1,
                       groupTop + groupSize + 10 + k);
        }
        groupLeft += groupSize + int(20 * u);
    }
    // Converging lines: a fan from wide spacing to below one pixel.
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF apex(width * 0.62, height * 0.5);
    for (int k = -20; k <= 20; ++k)
        p.drawLine(QPointF(width * 0.46, apex.y() + k * 6 * u), apex);

    // Colour patches, four rows of six, the last one greys.
    const double patch = 70 * u;
    for (int i = 0; i < 24; ++i) {
        const QColor colour = i >= 18 ? QColor::fromHsv(0, 0, 255 - (i - 18) * 48)
                                      : QColor::fromHsv(i * 20, 200, 210);
        const int column = i % 6;
        const int row = i / 6;
        p.fillRect(QRectF(width * 0.47 + column * (patch + 8 * u),
                          height * 0.62 + row * (patch + 8 * u), patch, patch),
                   colour);
    }
    return image;
}

QByteArray compress(const QImage& image, int quality)
{
    tjhandle tj = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    // 4:2:2, as most cameras write their JPEGs.
    const bool ok =
        tj &&
        tjCompress2(tj, image.constBits(), image.width(), int(image.bytesPerLine()), image.height(),
                    kelvaris::Rgb32PixelFormat, &out, &size, TJSAMP_422, quality, 0) == 0;
    QByteArray data =
        ok ? QByteArray(reinterpret_cast<const char*>(out), qsizetype(size)) : QByteArray();
    tjFree(out);
    tjDestroy(tj);
    return data;
}

// The name after the highest IMG_nnnn.JPG present, as a camera continues
// its numbering; after 9999 it starts again at 0001, skipping names taken.
QString nextName(const QDir& dir)
{
    static const QRegularExpression pattern(u"^IMG_(\\d{4})\\.JPG$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    int number = 0;
    for (const QString& file : dir.entryList(QDir::Files)) {
        if (const QRegularExpressionMatch match = pattern.match(file); match.hasMatch())
            number = std::max(number, match.captured(1).toInt());
    }
    QString name;
    for (int tries = 0; tries < 9999 && (name.isEmpty() || dir.exists(name)); ++tries) {
        number = number % 9999 + 1;
        name = u"IMG_%1.JPG"_s.arg(number, 4, 10, QLatin1Char('0'));
    }
    return name;
}

// Writes the file under its final name in chunks, flushed one by one, over
// about `writeMs` milliseconds.
bool writeSlowly(const QString& path, const QByteArray& data, int writeMs)
{
    QFile file(path);
    if (!file.open(QIODevice::NewOnly))
        return false;
    const int chunks = std::max(1, writeMs / 50);
    const qsizetype chunk = (data.size() + chunks - 1) / chunks;
    for (qsizetype at = 0; at < data.size(); at += chunk) {
        if (file.write(data.constData() + at, std::min(chunk, data.size() - at)) < 0)
            return false;
        file.flush();
        if (at + chunk < data.size())
            QThread::msleep(ulong(writeMs / chunks));
    }
    return true;
}

// The blur (Gaussian sigma in pixels) of shot `index`: a focus sweep of
// `length` shots, sharp at shot `sharpest` of each sweep (its middle, unless
// the plane of focus is tilted), the blur growing with the distance to it.
double blurOf(int index, int length, double sharpest, double maxBlur)
{
    const double middle = (length - 1) / 2.0;
    return length < 2
               ? 0.0
               : std::min(maxBlur * std::abs(index % length - sharpest) / middle, 2 * maxBlur);
}

// A subject that is not parallel to the sensor: the left of the picture is
// sharpest at one shot of the sweep, its right at another, and the middle
// third passes from one to the other.
QImage blend(const QImage& left, const QImage& right)
{
    QImage out(left.size(), QImage::Format_RGB32);
    const int w = left.width();
    parallelFor(left.height(), [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(left.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(right.constScanLine(y));
            auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const int t = std::clamp((3 * x - w) * 256 / std::max(w, 1), 0, 256);
                auto mix = [t](int p, int q) { return (p * (256 - t) + q * t) >> 8; };
                row[x] = qRgb(mix(qRed(a[x]), qRed(b[x])), mix(qGreen(a[x]), qGreen(b[x])),
                              mix(qBlue(a[x]), qBlue(b[x])));
            }
        }
    });
    return out;
}

} // namespace

int main(int argc, char* argv[])
{
    // Only fonts are needed, never a window.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(u"Writes JPEG shots of a test scene into a directory, as a "
                                     u"tethered camera does during a focusing session."_s);
    parser.addHelpOption();
    parser.addOptions({
        {u"dir"_s, u"Reception directory, created if missing."_s, u"DIR"_s},
        {u"interval"_s, u"Seconds from one shot to the next (3)."_s, u"SECONDS"_s, u"3"_s},
        {u"count"_s, u"Shots to take; 0 goes on until interrupted."_s, u"N"_s, u"0"_s},
        // At the default size every shot of a sweep weighs between 1 and 10 MB,
        // so that the quality figure (the size's first four digits) ranks them.
        {u"width"_s, u"Picture width (4000)."_s, u"PIXELS"_s, u"4000"_s},
        {u"height"_s, u"Picture height (2667)."_s, u"PIXELS"_s, u"2667"_s},
        {u"write-ms"_s, u"Milliseconds taken to write one file (400)."_s, u"MS"_s, u"400"_s},
        {u"quality"_s, u"JPEG quality, 1 to 100 (90)."_s, u"Q"_s, u"90"_s},
        {u"max-blur"_s, u"Blur of the worst shot, Gaussian sigma (4)."_s, u"PIXELS"_s, u"4"_s},
        {u"sweep"_s, u"Shots in one sweep of the focus ring, sharp in its middle (15)."_s, u"N"_s,
         u"15"_s},
        {u"tilt"_s,
         u"Shots between the sharpest shot of the picture's left and of its right, as for a "
         u"subject not parallel to the sensor (0)."_s,
         u"SHOTS"_s, u"0"_s},
        {u"straddle"_s, u"Pictures of 2832 x 1888, whose files weigh from about 0.6 to 1.6 MB: "
                        u"the sharp shots above 1,000,000 bytes and the blurred ones below, where "
                        u"the quality figure ranks them backwards."_s},
        {u"stack"_s, u"A subject for focus stacking: a page of fine print receding from the "
                     u"bottom of the picture (near) to its top (far), deeper than the depth of "
                     u"field, shot in steps of focus from near to far, --sweep shots a ramp "
                     u"(--tilt is left aside)."_s},
        {u"seed"_s, u"Seed of the texture and the noise (1)."_s, u"N"_s, u"1"_s},
    });
    parser.process(app);

    QTextStream err(stderr);
    bool valid = true;
    auto number = [&](const QString& name, double low, double high) {
        bool ok = false;
        const double value = parser.value(name).toDouble(&ok);
        valid = valid && ok && value >= low && value <= high;
        return value;
    };
    const QString path = parser.value(u"dir"_s);
    const double interval = number(u"interval"_s, 0, 86400);
    const int count = int(number(u"count"_s, 0, 1e9));
    int width = int(number(u"width"_s, 64, 30000));
    int height = int(number(u"height"_s, 64, 30000));
    const int writeMs = int(number(u"write-ms"_s, 0, 60000));
    const int quality = int(number(u"quality"_s, 1, 100));
    const double maxBlur = number(u"max-blur"_s, 0, 100);
    const quint32 seed = quint32(number(u"seed"_s, 0, 4294967295.0));
    const int sweep = int(number(u"sweep"_s, 1, 10000));
    const double tilt = number(u"tilt"_s, -10000, 10000);
    if (parser.isSet(u"straddle"_s) && !parser.isSet(u"width"_s) && !parser.isSet(u"height"_s)) {
        width = 2832;
        height = 1888;
    }
    const QDir dir(path);
    if (path.isEmpty() || !valid || qint64(width) * height > 200'000'000 || !dir.mkpath(u"."_s)) {
        err << "camera_sim: needs --dir that can be created, and numbers in range; see --help\n";
        return 1;
    }

    const bool stack = parser.isSet(u"stack"_s);
    // The deep subject alone when stacking, the usual scene otherwise.
    std::optional<DeepScene> deep;
    if (stack)
        deep.emplace(width, height, seed);
    const QImage scene = stack ? QImage() : renderScene(width, height, seed);
    QTextStream out(stdout);
    QElapsedTimer clock;
    for (int shot = 0; count == 0 || shot < count; ++shot) {
        clock.start();
        const double middle = (sweep - 1) / 2.0;
        const quint32 noise = seed + quint32(shot);
        QImage picture;
        QString focusText;
        if (stack) {
            // A ramp from the page's near edge to its far edge.
            const double focus = sweep < 2 ? 0.5 : double(shot % sweep) / (sweep - 1);
            picture = deep->shot(focus, maxBlur, noise);
            focusText = u"focus at depth "_s + QString::number(focus, 'f', 2);
        } else {
            const double blur = blurOf(shot, sweep, middle, maxBlur);
            picture = shoot(scene, blur, noise);
            focusText = u"blur "_s + QString::number(blur, 'f', 2);
            if (tilt != 0) {
                const double leftBlur = blurOf(shot, sweep, middle - tilt / 2, maxBlur);
                const double rightBlur = blurOf(shot, sweep, middle + tilt / 2, maxBlur);
                picture = blend(shoot(scene, leftBlur, noise), shoot(scene, rightBlur, noise));
                focusText += u" (left %1, right %2)"_s.arg(QString::number(leftBlur, 'f', 2),
                                                           QString::number(rightBlur, 'f', 2));
            }
        }
        const QByteArray jpeg = compress(picture, quality);
        if (jpeg.isEmpty()) {
            err << "camera_sim: JPEG compression failed\n";
            return 1;
        }
        const QString name = nextName(dir);
        if (!writeSlowly(dir.filePath(name), jpeg, writeMs)) {
            err << "camera_sim: cannot write " << dir.filePath(name) << "\n";
            return 1;
        }
        out << name << "  " << jpeg.size() << " bytes  " << focusText << Qt::endl;
        if (count == 0 || shot + 1 < count)
            QThread::msleep(ulong(std::max<qint64>(0, qint64(interval * 1000) - clock.elapsed())));
    }
    return 0;
}
