// The capture watcher's sections: taking a new shot, a look that finds
// nothing new, and the processor time of a watcher left running.

#include "BareLibrary.h"
#include "BenchSupport.h"
#include "ProgramSession.h"
#include "Sections.h"

#include "capture/ShotLoader.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <turbojpeg.h>

namespace kelvaris::bench {

namespace {

std::size_t bareListing(const QString& directory)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(QFile::encodeName(directory).toStdString()))
        ++count;
    return count;
}

// `count` files named IMG_00001.JPG...: all empty but the last, which sorts
// last and is a small picture, so that Start takes it and later looks find
// nothing new. Listing does not read the files.
bool fillDirectory(const QString& directory, int count)
{
    for (int i = 1; i < count; ++i) {
        QFile file(directory + QStringLiteral("/IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return writeFile(directory + QStringLiteral("/IMG_%1.JPG").arg(count, 5, 10, QLatin1Char('0')),
                     makeDetailedJpeg(640, 480, quint32(count)));
}

// Milliseconds of one look of the watcher, from a settled event loop. What
// the look leaves for the event loop (the indicator's last repaint) is part
// of its work.
double timeOneLook(ProgramSession& session)
{
    ProgramSession::settle();
    const CaptureWatcher& watcher = session.window().watcher;
    QElapsedTimer clock;
    clock.start();
    session.window().watcher.TM_TimerRead_Timer();
    // The look ends when the event loop comes round (its pause is left
    // out): polled without sleeping, as nothing else runs meanwhile and a
    // timer's tick would add its own delay to the look's.
    while (watcher.isLooking() && clock.elapsed() < 30000)
        QCoreApplication::processEvents();
    const double ms = elapsedMs(clock);
    session.finishLooks();
    return ms;
}

} // namespace

void benchDecode(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("decode");
    QTemporaryDir reception;
    const QString name = QStringLiteral("IMG_0001.JPG");
    const QString path = reception.filePath(name);
    const QByteArray jpeg = makeDetailedJpeg(Width24, Height24, 24);
    if (jpeg.isEmpty() || !writeFile(path, jpeg))
        return fault(table, section, QStringLiteral("cannot write the 24 MP test shot"));
    table.note(section, QStringLiteral("24 MP test shot (6000x4000, q90, 4:2:0)"),
               number(jpeg.size() / 1e6, 1) + QStringLiteral(" MB"));

    ProgramSession session;
    if (!session.ready())
        return fault(table, section, QStringLiteral("the main window could not be shown"));
    MainWindow& F = session.window();
    session.watchByHand(reception.path());
    if (F.T_ImageCourante.text() != name || !F.P_ImgLast.picture() ||
        F.P_ImgLast.picture()->size() != QSize(Width24, Height24))
        return fault(table, section, QStringLiteral("Start did not take the test shot"));

    const std::unique_ptr<void, int (*)(tjhandle)> decompressor(tjInitDecompress(), tjDestroy);
    tjhandle tj = decompressor.get();
    if (!tj)
        return fault(table, section, QStringLiteral("cannot start TurboJPEG"));
    const int repetitions = options.quick ? 3 : 7;
    std::vector<double> ticks, huge, plain;
    // Alternating, so that both see the same state of the machine. Each
    // also gets the huge pages that the other has just freed: pages that
    // the system has not touched for a while cost far more on a virtual
    // machine, and the decoding into plain pages is timed apart.
    for (int i = 0; i < repetitions; ++i) {
        F.watcher.KnownImageCount = 0;
        const Picture before = F.P_ImgLast.picture();
        ticks.push_back(timeOneLook(session));
        if (F.watcher.KnownImageCount != 1 || F.P_ImgLast.picture() == before)
            return fault(table, section, QStringLiteral("a tick did not take the shot again"));

        QElapsedTimer clock;
        clock.start();
        if (!bareDecode(tj, path, true))
            return fault(table, section, QStringLiteral("the bare decoding failed"));
        huge.push_back(elapsedMs(clock));
    }
    const double tick = median(ticks);
    const double library = median(huge);
    table.add(section, QStringLiteral("new 24 MP shot, count change to panes rendered"), ms(tick),
              ms(library), ratioText(tick / library), QStringLiteral("<= 1.25x"),
              tick <= 1.25 * library);

    // Where the time of a tick goes: the file's loading and decoding, and
    // the overview's small rendition, which the tick makes once per shot.
    std::vector<double> loads, overviews;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer clock;
        clock.start();
        const LoadedShot shot = loadShot(path);
        loads.push_back(elapsedMs(clock));
        if (!shot.taken())
            return fault(table, section, QStringLiteral("loadShot failed"));
        clock.restart();
        F.I_ImgLast.setPicture(shot.picture);
        overviews.push_back(elapsedMs(clock));
        // As the tick does: the previous picture goes, so that each loading
        // finds memory in the same state as the tick's loading does.
        F.P_ImgLast.setPicture(shot.picture);
    }
    table.note(section, QStringLiteral("loadShot alone (read, check, decode)"), ms(median(loads)));
    table.note(section, QStringLiteral("the overview's small rendition alone"),
               ms(median(overviews)));

    // Last, as it leaves the memory fragmented into small pages.
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!bareDecode(tj, path, false))
            return fault(table, section, QStringLiteral("the bare decoding failed"));
        plain.push_back(elapsedMs(clock));
    }
    table.note(section, QStringLiteral("bare read + decode into plain 4 KB pages"),
               ms(median(plain)));
}

void benchIdleTick(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("tick");
    ProgramSession session;
    if (!session.ready())
        return fault(table, section, QStringLiteral("the main window could not be shown"));
    MainWindow& F = session.window();
    for (const int files : {100, 1000, 10000, 32767}) {
        QTemporaryDir reception;
        if (!fillDirectory(reception.path(), files))
            return fault(table, section, QStringLiteral("cannot fill a test directory"));
        session.watchByHand(reception.path());
        if (F.watcher.KnownImageCount != files)
            return fault(table, section, QStringLiteral("Start did not count %1 files").arg(files));

        const int repetitions = options.quick ? 5 : files <= 1000 ? 101 : 31;
        std::vector<double> ticks, bare;
        for (int i = 0; i < repetitions; ++i) {
            ticks.push_back(timeOneLook(session));
            QElapsedTimer clock;
            clock.start();
            const std::size_t listed = bareListing(reception.path());
            bare.push_back(elapsedMs(clock));
            if (listed != std::size_t(files) || F.watcher.KnownImageCount != files)
                return fault(table, section, QStringLiteral("a look found something new"));
        }
        const double tick = median(ticks);
        const double library = median(bare);
        table.add(section, QStringLiteral("look finding nothing new, %1 files").arg(files),
                  ms(tick), ms(library), ratioText(tick / library), QStringLiteral("<= 2x"),
                  tick <= 2 * library);
    }
}

void benchIdleCpu(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("idle");
    QTemporaryDir reception;
    if (!fillDirectory(reception.path(), 1000))
        return fault(table, section, QStringLiteral("cannot fill a test directory"));
    ProgramSession session;
    if (!session.ready())
        return fault(table, section, QStringLiteral("the main window could not be shown"));
    MainWindow& F = session.window();
    int ticks = 0;
    // The program's own handler, counted.
    F.TM_TimerRead.timer() = [&] {
        ++ticks;
        F.watcher.TM_TimerRead_Timer();
    };
    F.T_RepReception.setText(reception.path());
    F.watcher.B_Start_Click();
    session.finishLooks();
    if (!F.TM_TimerRead.isEnabled() || F.watcher.KnownImageCount != 1000)
        return fault(table, section, QStringLiteral("Start did not start the watcher"));
    // The folder's earlier files are looked at once, after Start: not part
    // of a watcher at rest.
    waitUntil([&F] { return !F.focus.isFillingIn() && !F.focus.isMeasuring(); }, 120000);
    ProgramSession::settle();

    const int seconds = options.quick ? 3 : 10;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;
    F.watcher.B_Stop_Click();

    const double percent = 100 * cpu / elapsed;
    table.add(section,
              QStringLiteral("running watcher, 1000 files, %1 s, %2 looks").arg(seconds).arg(ticks),
              number(percent, 2) + QStringLiteral(" % of a core"), {}, {}, QStringLiteral("<= 1 %"),
              percent <= 1.0);
}

} // namespace kelvaris::bench
