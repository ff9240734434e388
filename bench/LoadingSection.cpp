// A new shot arriving while the window stays responsive: the longest stall
// of the event loop while the shot is read, decoded and shown, the time to
// the region in view and to the whole shot, against the bare library's
// decoding of the same file, and the memory a loading takes.

#include "BareLibrary.h"
#include "BenchSupport.h"
#include "ProgramSession.h"
#include "Sections.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace kelvaris::bench {

namespace {

// Ticks every millisecond on the GUI thread and keeps the longest gap
// between two ticks: how long the event loop was kept from running.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            m_longest = std::max(m_longest, elapsedMs(m_since));
            m_since.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    double stop()
    {
        m_timer.stop();
        return std::max(m_longest, elapsedMs(m_since));
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    double m_longest = 0;
};

struct Arrival
{
    double part = -1;  // ms from the look to the region in view painted; -1: none
    double whole = 0;  // ms from the look to the whole shot, figures and cursor in place
    double stall = 0;  // the longest stall of the event loop meanwhile, map included
    qint64 peakKb = 0; // resident memory above the start of the look, at its peak
};

struct Size
{
    const char* name;
    int width;
    int height;
    int repetitions;
};

// One new shot taken by a look of the watcher, as the photographer's
// pane stands at `left`, `top` (twips).
std::optional<Arrival> arrive(ProgramSession& session, const QString& staged, const QString& target,
                              float left, float top)
{
    MainWindow& F = session.window();
    F.P_ImgLast.setLeft(left);
    F.P_ImgLast.setTop(top);
    F.panes.RenderPanes();
    ProgramSession::settle();
    if (!QFile::rename(staged, target))
        return std::nullopt;
    releaseFreedMemory();
    resetPeakResidentSize();
    const qint64 before = procStatusKb("VmRSS");

    Arrival arrival;
    QElapsedTimer clock;
    StallProbe probe;
    F.watcher.shotPartShown = [&] {
        F.P_ImgLast.widget()->repaint();
        arrival.part = elapsedMs(clock);
    };
    bool taken = false;
    const auto toInstrument = F.watcher.shotTaken;
    F.watcher.shotTaken = [&](const TakenShot& shot) {
        arrival.whole = elapsedMs(clock);
        taken = true;
        toInstrument(shot);
    };
    probe.start();
    clock.start();
    F.watcher.TM_TimerRead_Timer();
    const bool finished = session.finishLooks();
    // The sharpness map comes back to the GUI thread too.
    waitUntil([&F] { return !F.focus.isMeasuring(); });
    arrival.stall = probe.stop();
    arrival.peakKb = procStatusKb("VmHWM") - before;
    F.watcher.shotPartShown = nullptr;
    F.watcher.shotTaken = toInstrument;
    if (!finished || !taken)
        return std::nullopt;
    return arrival;
}

} // namespace

void benchLoading(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("loading");
    ProgramSession session;
    // A maximised window on a common screen: 450-pixel panes.
    if (!session.ready() || !session.resizeClient(1600, 1000))
        return fault(table, section, QStringLiteral("the main window could not be shown"));
    MainWindow& F = session.window();
    const std::unique_ptr<void, int (*)(tjhandle)> decompressor(tjInitDecompress(), tjDestroy);
    if (!decompressor)
        return fault(table, section, QStringLiteral("cannot start TurboJPEG"));

    const Size sizes[] = {{"24 MP", Width24, Height24, options.quick ? 2 : 7},
                          {"45 MP", Width45, Height45, options.quick ? 1 : 5},
                          {"150 MP", 15000, 10000, options.quick ? 1 : 3}};
    for (const Size& size : sizes) {
        QTemporaryDir reception, staging;
        const QByteArray jpeg = makeDetailedJpeg(size.width, size.height, 7);
        if (jpeg.isEmpty() || !writeFile(reception.filePath(QStringLiteral("IMG_0000.JPG")),
                                         makeDetailedJpeg(640, 480, 1)))
            return fault(table, section, QStringLiteral("cannot write the test shots"));
        session.watchByHand(reception.path());
        const float perPixel = float(F.P_ImgLast.twipsPerPicturePixel());
        const float paneWidth = F.P_BaseLast.width();
        table.note(section,
                   QStringLiteral("%1 test shot (%2x%3, q90, 4:2:0), pane of %4 px")
                       .arg(QLatin1String(size.name))
                       .arg(size.width)
                       .arg(size.height)
                       .arg(qRound(paneWidth / perPixel)),
                   number(jpeg.size() / 1e6, 1) + QStringLiteral(" MB"));

        std::vector<double> topLeft, centred, whole, bare, stalls;
        qint64 peakKb = 0;
        int shot = 0;
        for (int i = 0; i < size.repetitions; ++i) {
            // Where a session starts, then in the middle of the shot.
            for (const bool centre : {false, true}) {
                const QString staged = staging.filePath(QStringLiteral("next.bin"));
                if (!writeFile(staged, jpeg))
                    return fault(table, section, QStringLiteral("cannot write a shot"));
                const float left = centre ? -(size.width * perPixel - paneWidth) / 2 : 0;
                const float top =
                    centre ? -(size.height * perPixel - F.P_BaseLast.height()) / 2 : 0;
                const std::optional<Arrival> arrival = arrive(
                    session, staged,
                    reception.filePath(QStringLiteral("IMG_%1.JPG").arg(++shot, 4, 10, QChar('0'))),
                    left, top);
                if (!arrival || arrival->part < 0)
                    return fault(table, section,
                                 QStringLiteral("a %1 shot was not taken, or not its region first")
                                     .arg(QLatin1String(size.name)));
                (centre ? centred : topLeft).push_back(arrival->part);
                whole.push_back(arrival->whole);
                stalls.push_back(arrival->stall);
                peakKb = std::max(peakKb, arrival->peakKb);
            }
            // The bare decoding of the same bytes just written, as the
            // program's file was.
            const QString twin = staging.filePath(QStringLiteral("twin.bin"));
            if (!writeFile(twin, jpeg))
                return fault(table, section, QStringLiteral("cannot write the twin"));
            QElapsedTimer clock;
            clock.start();
            if (!bareDecode(decompressor.get(), twin, true))
                return fault(table, section, QStringLiteral("the bare decoding failed"));
            bare.push_back(elapsedMs(clock));
        }
        const double library = median(bare);
        const double stall = *std::max_element(stalls.begin(), stalls.end());
        const QString name = QLatin1String(size.name);
        table.add(section,
                  QStringLiteral("%1: longest stall of the event loop while a shot arrives "
                                 "(worst of %2)")
                      .arg(name)
                      .arg(stalls.size()),
                  ms(stall), {}, {}, QStringLiteral("<= 16 ms"), stall <= 16);
        const double first = median(topLeft);
        table.add(section,
                  QStringLiteral("%1: pane's crop on screen, crop at the top left").arg(name),
                  ms(first), ms(library), ratioText(first / library), QStringLiteral("<= 0.35x"),
                  first <= 0.35 * library);
        const double middle = median(centred);
        table.add(section, QStringLiteral("%1: the same, crop in the middle").arg(name), ms(middle),
                  ms(library), ratioText(middle / library), QStringLiteral("<= 0.75x"),
                  middle <= 0.75 * library);
        const double all = median(whole);
        table.add(section,
                  QStringLiteral("%1: whole shot in place (overview, figures, cursor)").arg(name),
                  ms(all), ms(library), ratioText(all / library), QStringLiteral("<= 1.15x"),
                  all <= 1.15 * library);
        const double picture = double(size.width) * size.height * 4 / 1024;
        table.add(
            section,
            QStringLiteral("%1: peak memory while a shot loads, above the look's start").arg(name),
            number(double(peakKb) / 1024, 1) + QStringLiteral(" MB"),
            number(picture / 1024, 1) + QStringLiteral(" MB a picture"),
            ratioText(double(peakKb) / picture), QStringLiteral("<= 1.25 pictures"),
            double(peakKb) <= 1.25 * picture);
    }
}

} // namespace kelvaris::bench
