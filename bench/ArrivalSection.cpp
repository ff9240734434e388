// How soon a new shot is on screen once its file is complete: the watcher
// running as in the program, its one-second look and the directory's
// notifications both at work.

#include "BareLibrary.h"
#include "BenchSupport.h"
#include "ProgramSession.h"
#include "Sections.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace kelvaris::bench {

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The watcher of a shown program, running on `directory`, with the time at
// which it last took a shot. With `instrument`, the shot then goes to the
// focus instrument, as in the program. With `fillIn`, Start brings the
// folder's earlier shots into the curve in the background, as in the
// program; without, the new shots are timed alone.
class RunningWatcher
{
public:
    RunningWatcher(ProgramSession& session, const QString& directory, bool instrument,
                   bool fillIn = false)
        : F(session.window())
    {
        F.focus.backfill().budgetMs = fillIn ? SessionBackfill::DefaultBudgetMs : 0;
        m_toInstrument = F.watcher.shotTaken;
        F.watcher.shotTaken = [this, instrument](const TakenShot& shot) {
            if (instrument && m_toInstrument)
                m_toInstrument(shot);
            m_takenAt = Clock::now();
            m_taken = shot.name;
            m_loop.quit();
        };
        F.T_RepReception.setText(directory);
        F.watcher.B_Start_Click();
    }
    ~RunningWatcher()
    {
        F.watcher.B_Stop_Click();
        F.watcher.shotTaken = m_toInstrument;
    }
    RunningWatcher(const RunningWatcher&) = delete;
    RunningWatcher& operator=(const RunningWatcher&) = delete;

    // Runs the event loop until the watcher has taken `name` (at most 10 s)
    // and its look has ended (and the instrument has measured it); the time
    // it was taken, or none.
    std::optional<Clock::time_point> waitFor(const QString& name)
    {
        QTimer::singleShot(10000, &m_loop, &QEventLoop::quit);
        while (m_taken != name) {
            const Clock::time_point before = Clock::now();
            m_loop.exec();
            if (m_taken != name && msBetween(before, Clock::now()) >= 9999)
                return std::nullopt;
        }
        settleAfterLook();
        return m_takenAt;
    }

    void settleAfterLook()
    {
        waitUntil([this] { return !F.watcher.isLooking() && !F.focus.isMeasuring(); });
        ProgramSession::settle();
    }

private:
    MainWindow& F;
    std::function<void(const TakenShot&)> m_toInstrument;
    QEventLoop m_loop;
    QString m_taken;
    Clock::time_point m_takenAt;
};

QString shotName(int i)
{
    return QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0'));
}

// Writes `bytes` to `path` in 64 KB pieces spread over `seconds`, as a slow
// camera link does; returns when its last byte is written and the file closed.
Clock::time_point writeSlowly(const QString& path, const QByteArray& bytes, double seconds)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Clock::now();
    constexpr qint64 piece = qint64(64) * 1024;
    const qint64 pieces = (bytes.size() + piece - 1) / piece;
    const auto pause = std::chrono::duration<double>(seconds / double(pieces));
    for (qint64 at = 0; at < bytes.size(); at += piece) {
        file.write(bytes.constData() + at, std::min(piece, bytes.size() - at));
        file.flush();
        std::this_thread::sleep_for(pause);
    }
    file.close();
    return Clock::now();
}

} // namespace

void benchArrival(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("arrival");
    QTemporaryDir reception;
    const QByteArray jpeg = makeDetailedJpeg(Width24, Height24, 24);
    const QString sample = reception.filePath(QStringLiteral("sample.bin"));
    if (jpeg.isEmpty() || !writeFile(sample, jpeg))
        return fault(table, section, QStringLiteral("cannot write the 24 MP test shot"));
    ProgramSession session;
    if (!session.ready())
        return fault(table, section, QStringLiteral("the main window could not be shown"));
    const std::unique_ptr<void, int (*)(tjhandle)> decompressor(tjInitDecompress(), tjDestroy);
    if (!decompressor)
        return fault(table, section, QStringLiteral("cannot start TurboJPEG"));

    const int repetitions = options.quick ? 3 : 11;
    // Milliseconds of the bare decoding of the shot's bytes written by
    // `write` into a file of their own, just before.
    const auto timeBareDecoding =
        [&](const std::function<bool(const QString&)>& write) -> std::optional<double> {
        const QString twin = reception.filePath(QStringLiteral("twin.bin"));
        if (!write(twin))
            return std::nullopt;
        QElapsedTimer clock;
        clock.start();
        if (!bareDecode(decompressor.get(), twin, true))
            return std::nullopt;
        return elapsedMs(clock);
    };
    int shot = 0;
    // Moves a complete shot in and times it to its cursors placed.
    const auto timeMovedIn = [&](RunningWatcher& watcher) -> std::optional<double> {
        const QString part = reception.filePath(QStringLiteral("incoming.part"));
        if (!writeFile(part, jpeg))
            return std::nullopt;
        watcher.settleAfterLook();
        const QString name = shotName(++shot);
        const Clock::time_point complete = Clock::now();
        if (!QFile::rename(part, reception.filePath(name)))
            return std::nullopt;
        const std::optional<Clock::time_point> taken = watcher.waitFor(name);
        if (!taken)
            return std::nullopt;
        return msBetween(complete, *taken);
    };
    // In turns, so that both see the same state of the machine: with the
    // focus instrument, as the program runs, and without it.
    std::vector<double> withInstrument, without, bare;
    for (int i = 0; i < repetitions; ++i) {
        for (const bool instrument : {true, false}) {
            RunningWatcher watcher(session, reception.path(), instrument);
            const std::optional<double> moved = timeMovedIn(watcher);
            if (!moved)
                return fault(table, section, QStringLiteral("a shot moved in was never taken"));
            (instrument ? withInstrument : without).push_back(*moved);
            watcher.settleAfterLook();
        }
        // The bare decoding of a file just written, as the program's was.
        const std::optional<double> library =
            timeBareDecoding([&](const QString& twin) { return writeFile(twin, jpeg); });
        if (!library)
            return fault(table, section, QStringLiteral("the bare decoding failed"));
        bare.push_back(*library);
    }
    const double library = median(bare);
    const double moved = median(withInstrument);
    const double plain = median(without);
    table.add(section,
              QStringLiteral("new 24 MP shot moved in, file complete to cursors placed "
                             "(median of %1)")
                  .arg(repetitions),
              ms(moved), ms(library), ratioText(moved / library), QStringLiteral("<= 1.25x"),
              moved <= 1.25 * library);
    table.add(section, QStringLiteral("the same without the focus instrument"), ms(plain),
              ms(moved), ratioText(moved / plain), QStringLiteral("with <= 1.10x without"),
              moved <= 1.10 * plain);

    // Soon after Start on a folder of earlier shots, while they are measured
    // in the background, and the same without them, in turns.
    std::vector<double> filling, alone;
    for (int i = 0; i < repetitions; ++i) {
        for (const bool fillIn : {true, false}) {
            RunningWatcher watcher(session, reception.path(), true, fillIn);
            // Past the hold of Start's own shot: the folder's shots are being read.
            waitUntil([] { return false; }, 1500);
            if (fillIn && !session.window().focus.backfill().isWorking())
                return fault(table, section,
                             QStringLiteral("the folder's shots are not being read"));
            const std::optional<double> moved = timeMovedIn(watcher);
            if (!moved)
                return fault(table, section, QStringLiteral("a shot moved in was never taken"));
            (fillIn ? filling : alone).push_back(*moved);
            waitUntil([&session] { return !session.window().focus.isFillingIn(); }, 120000);
        }
    }
    const double whileFilling = median(filling);
    const double withoutFilling = median(alone);
    table.add(section,
              QStringLiteral("the same 1.5 s after Start, the folder's %1 earlier shots being "
                             "measured (median of %2)")
                  .arg(shot - 1)
                  .arg(repetitions),
              ms(whileFilling), ms(withoutFilling), ratioText(whileFilling / withoutFilling),
              QStringLiteral("<= 1.10x"), whileFilling <= 1.10 * withoutFilling);

    RunningWatcher watcher(session, reception.path(), true);
    // The bare decoding right after each slow writing, in the same state of
    // the machine's memory, which on a virtual machine weighs on both.
    std::vector<double> slow, bareAfterSlow;
    for (int i = 0; i < repetitions; ++i) {
        const QString name = shotName(++shot);
        watcher.settleAfterLook();
        Clock::time_point lastByte;
        std::thread writer([&] { lastByte = writeSlowly(reception.filePath(name), jpeg, 2.0); });
        const std::optional<Clock::time_point> taken = watcher.waitFor(name);
        writer.join();
        if (!taken)
            return fault(table, section, QStringLiteral("a shot written slowly was never taken"));
        slow.push_back(msBetween(lastByte, *taken));

        const std::optional<double> library = timeBareDecoding([&](const QString& twin) {
            writeSlowly(twin, jpeg, 2.0);
            return true;
        });
        if (!library)
            return fault(table, section, QStringLiteral("the bare decoding failed"));
        bareAfterSlow.push_back(*library);
    }
    const double written = median(slow);
    const double writtenBare = median(bareAfterSlow);
    table.add(section,
              QStringLiteral("the same written in 64 KB pieces over 2 s, from its last byte "
                             "(median of %1)")
                  .arg(repetitions),
              ms(written), ms(writtenBare), ratioText(written / writtenBare),
              QStringLiteral("<= 1.25x"), written <= 1.25 * writtenBare);
}

} // namespace kelvaris::bench
