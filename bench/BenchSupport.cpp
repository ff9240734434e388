#include "BenchSupport.h"

#include "capture/Rgb32PixelFormat.h"

#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

#include <malloc.h>
#include <sys/resource.h>

#ifndef KELVARIS_TURBOJPEG_VERSION
#define KELVARIS_TURBOJPEG_VERSION "unknown"
#endif

namespace kelvaris::bench {

namespace {

QColor randomColour(QRandomGenerator& random, int alpha = 255)
{
    return QColor(random.bounded(256), random.bounded(256), random.bounded(256), alpha);
}

// Shapes of every size, hard edges, lines, text and fine textures: the
// kind of detail a focusing target has.
void drawScene(QImage& image, QRandomGenerator& random)
{
    const int w = image.width();
    const int h = image.height();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, w, h);
    sky.setColorAt(0, randomColour(random));
    sky.setColorAt(1, randomColour(random));
    painter.fillRect(image.rect(), sky);

    const Qt::BrushStyle textures[] = {Qt::Dense3Pattern, Qt::Dense5Pattern, Qt::HorPattern,
                                       Qt::VerPattern,    Qt::CrossPattern,  Qt::DiagCrossPattern};
    for (int i = 0; i < 400; ++i) {
        const int size = random.bounded(w / 100, w / 6);
        // Whole pixels: a random centre less half the size, rounded down.
        auto corner = [&](int extent) { return random.bounded(extent) - size / 2; };
        const QRectF box(corner(w), corner(h), size, size * (0.4 + random.bounded(1.2)));
        painter.setPen(QPen(randomColour(random), random.bounded(1, 6)));
        switch (i % 4) {
        case 0:
            painter.setBrush(randomColour(random, random.bounded(120, 256)));
            painter.drawEllipse(box);
            break;
        case 1:
            painter.setBrush(randomColour(random));
            painter.drawRect(box);
            break;
        case 2:
            painter.setBrush(QBrush(randomColour(random), textures[random.bounded(6)]));
            painter.drawRoundedRect(box, size / 8.0, size / 8.0);
            break;
        default: {
            QPainterPath path;
            path.moveTo(box.topLeft());
            for (int k = 0; k < 5; ++k)
                path.lineTo(box.left() + random.bounded(box.width()),
                            box.top() + random.bounded(box.height()));
            path.closeSubpath();
            painter.setBrush(randomColour(random, 200));
            painter.drawPath(path);
        }
        }
    }
    for (int i = 0; i < 300; ++i) {
        painter.setPen(QPen(randomColour(random), random.bounded(1, 4)));
        painter.drawLine(random.bounded(w), random.bounded(h), random.bounded(w),
                         random.bounded(h));
    }
    QFont font;
    for (int i = 0; i < 120; ++i) {
        font.setPixelSize(random.bounded(10, h / 20));
        painter.setFont(font);
        painter.setPen(randomColour(random));
        painter.drawText(random.bounded(w), random.bounded(h),
                         QStringLiteral("Focus %1 ABCDEFGH 0123456789").arg(i));
    }
}

// Sensor noise on every channel, one generator per band of rows so that the
// bands run on all cores.
void addNoise(QImage& image, quint32 seed, int amplitude)
{
    const int h = image.height();
    const int threads = std::clamp(int(std::thread::hardware_concurrency()), 1, 16);
    std::vector<std::thread> workers;
    workers.reserve(size_t(threads));
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            quint32 state = seed * 2654435761u + quint32(t) * 40503u + 1u;
            for (int y = t * h / threads; y < (t + 1) * h / threads; ++y) {
                auto* p = image.scanLine(y);
                for (qsizetype i = 0; i < image.bytesPerLine(); ++i) {
                    if (i % 4 == 3) // the unused byte of RGB32
                        continue;
                    // xorshift32: fast, and good enough for noise.
                    state ^= state << 13;
                    state ^= state >> 17;
                    state ^= state << 5;
                    const int v = p[i] + int(state % quint32(2 * amplitude + 1)) - amplitude;
                    p[i] = uchar(std::clamp(v, 0, 255));
                }
            }
        });
    }
    for (auto& worker : workers)
        worker.join();
}

} // namespace

QByteArray makeDetailedJpeg(int width, int height, quint32 seed)
{
    QByteArray jpeg;
    {
        QImage image(width, height, QImage::Format_RGB32);
        if (image.isNull())
            return jpeg;
        QRandomGenerator random(seed);
        drawScene(image, random);
        addNoise(image, seed, 9);
        tjhandle tj = tjInitCompress();
        if (!tj)
            return jpeg;
        unsigned char* out = nullptr;
        unsigned long size = 0;
        if (tjCompress2(tj, image.constBits(), width, int(image.bytesPerLine()), height,
                        Rgb32PixelFormat, &out, &size, TJSAMP_420, 90, TJFLAG_ACCURATEDCT) == 0)
            jpeg = QByteArray(reinterpret_cast<const char*>(out), qsizetype(size));
        tjFree(out);
        tjDestroy(tj);
    }
    releaseFreedMemory();
    return jpeg;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer check;
    check.setTimerType(Qt::PreciseTimer);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    check.start(1);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

qint64 procStatusKb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray wanted = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(wanted))
            return line.mid(wanted.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

bool resetPeakResidentSize()
{
    // Writing 5 to clear_refs resets VmHWM to the current resident size.
    std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (!file)
        return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

QString machineDescription()
{
    QString model = QStringLiteral("unknown processor");
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    if (cpuinfo.open(QIODevice::ReadOnly | QIODevice::Text)) {
        for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                model = QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
        }
    }
    QString hugePages;
    QFile thp(QStringLiteral("/sys/kernel/mm/transparent_hugepage/enabled"));
    if (thp.open(QIODevice::ReadOnly | QIODevice::Text))
        hugePages = QString::fromUtf8(thp.readAll().trimmed());
    return QStringLiteral("Machine: %1, %2 cores; %3 %4; transparent huge pages: %5\n"
                          "Qt %6 (built with %7), TurboJPEG %8")
        .arg(model)
        .arg(std::thread::hardware_concurrency())
        .arg(QSysInfo::kernelType(), QSysInfo::kernelVersion(),
             hugePages.isEmpty() ? QStringLiteral("unknown") : hugePages,
             QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
             QStringLiteral(KELVARIS_TURBOJPEG_VERSION));
}

double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    bool ok = false;
    const double load = file.readAll().split(' ').value(0).toDouble(&ok);
    return ok ? load : -1;
}

QString number(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

double elapsedMs(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

QString ms(double value)
{
    return number(value, value < 1 ? 3 : value < 100 ? 2 : 1) + QStringLiteral(" ms");
}

QString ratioText(double ratio)
{
    return number(ratio, 2) + QStringLiteral("x");
}

} // namespace kelvaris::bench
