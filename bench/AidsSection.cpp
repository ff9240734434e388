// Where the focus lies: the focus map's tint of a new shot in a session of
// a thousand, peaking of a pane's crop, the shortlist to stack over a
// thousand shots, and what the map keeps per shot.

#include "BenchSupport.h"
#include "PaintCounter.h"
#include "ProgramSession.h"
#include "Sections.h"

#include "capture/ShotLoader.h"
#include "focus/StackCover.h"
#include "view/FocusMapOverlay.h"
#include "view/Peaking.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <vector>

namespace kelvaris::bench {

namespace {

// Peaking as a pan asks it: a 450-pixel crop, somewhere else each time.
void benchPeaking(ResultTable& table, const QString& section, const RunOptions& options)
{
    const LoadedShot shot = decodeShot(makeDetailedJpeg(Width24, Height24, 24));
    if (!shot.taken())
        return fault(table, section, QStringLiteral("cannot make the 24 MP test shot"));
    std::vector<double> times;
    qint64 marked = 0;
    for (int i = 0; i < (options.quick ? 20 : 201); ++i) {
        const QRect crop(1000 + 37 * (i % 60), 800 + 23 * (i % 45), 450, 450);
        QElapsedTimer clock;
        clock.start();
        const QImage marks = focusPeaking(*shot.picture, crop, qRgb(255, 0, 220));
        times.push_back(elapsedMs(clock));
        marked += marks.isNull() ? 0 : 1;
    }
    if (marked == 0)
        return fault(table, section, QStringLiteral("peaking gave nothing"));
    const double peaking = median(times);
    table.add(section, QStringLiteral("peaking of a 450 px crop of a 24 MP shot"), ms(peaking), {},
              {}, QStringLiteral("<= 4 ms"), peaking <= 4);
}

// A focus sweep of `shots` over `tiles` tiles lying at depths across the
// frame: each shot sharp at its own depth, its figure falling off with the
// distance to it, with some noise.
std::vector<std::vector<qfloat16>> sweep(int shots, int tiles)
{
    QRandomGenerator random(17);
    std::vector<std::vector<qfloat16>> figures(static_cast<std::size_t>(shots));
    for (int s = 0; s < shots; ++s) {
        const double depth = double(s) / (shots - 1);
        for (int t = 0; t < tiles; ++t) {
            const double distance = (depth - double(t % 24) / 23) * 20;
            const double noise = 1 + 0.02 * (random.generateDouble() - 0.5);
            figures[std::size_t(s)].push_back(qfloat16(float(noise / (1 + distance * distance))));
        }
    }
    return figures;
}

void benchStack(ResultTable& table, const QString& section, const RunOptions& options)
{
    constexpr int Shots = 1000;
    constexpr int Tiles = 24 * 16;
    const std::vector<std::vector<qfloat16>> figures = sweep(Shots, Tiles);
    std::vector<const qfloat16*> candidates;
    candidates.reserve(figures.size());
    for (const auto& shot : figures)
        candidates.push_back(shot.data());
    std::vector<float> best(Tiles, 0);
    for (const auto& shot : figures)
        for (int t = 0; t < Tiles; ++t)
            best[std::size_t(t)] = std::max(best[std::size_t(t)], float(shot[std::size_t(t)]));
    std::vector<double> times;
    StackChoice choice;
    for (int i = 0; i < (options.quick ? 5 : 51); ++i) {
        QElapsedTimer clock;
        clock.start();
        choice = coverStack(candidates, best, 0.95);
        times.push_back(elapsedMs(clock));
    }
    if (choice.covered != choice.tiles || choice.picks.empty())
        return fault(table, section, QStringLiteral("the shortlist does not cover the frame"));
    const double cover = median(times);
    table.add(section,
              QStringLiteral("shortlist to stack, 1,000 shots of a sweep, %1 tiles").arg(Tiles),
              ms(cover), {}, {}, QStringLiteral("<= 5 ms"), cover <= 5);
    table.note(section, QStringLiteral("  shots in the shortlist"),
               QString::number(choice.picks.size()));
}

} // namespace

void benchAids(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("aids");
    benchPeaking(table, section, options);
    benchStack(table, section, options);

    // The map over a session of a thousand 24 MP shots, shown.
    QTemporaryDir reception;
    ProgramSession session;
    if (const QString failed = session.takeTestShot(reception.path()); !failed.isEmpty())
        return fault(table, section, failed);
    MainWindow& F = session.window();
    F.aids.setMapShown(true);
    const int shots = options.quick ? 200 : 1000;
    const double perShotKb = session.addSessionShotsKeptKb(shots);
    if (F.aids.focusMap().size() != shots + 1)
        return fault(table, section, QStringLiteral("the map did not keep every shot"));

    // Each new shot's map: its tiles' figures, the session's bests, the tints
    // and the overlay painted. Painted alone: a repaint of the window would
    // paint the curve of a thousand shots too, which the new map also redraws.
    auto* overlay = F.findChild<FocusMapOverlay*>(QStringLiteral("focusMapOverlay"));
    PaintCounter painted(overlay);
    QImage canvas(overlay->size(), QImage::Format_ARGB32_Premultiplied);
    std::vector<double> times;
    F.focus.mapReady = [&](int id) {
        QElapsedTimer clock;
        clock.start();
        F.aids.mapReady(id);
        canvas.fill(Qt::transparent);
        overlay->render(&canvas);
        times.push_back(elapsedMs(clock));
    };
    for (int i = 0; i < (options.quick ? 5 : 21); ++i)
        session.addSessionShots(1, shots + i + 2);
    if (painted.paints < int(times.size()) || !overlay->showsTints())
        return fault(table, section, QStringLiteral("the tint was not painted"));
    const double tint = median(times);
    table.add(section,
              QStringLiteral("map tint of the overview for a new shot, %1 shots").arg(shots + 1),
              ms(tint), {}, {}, QStringLiteral("<= 2 ms"), tint <= 2);

    std::vector<double> stacks;
    for (int i = 0; i < (options.quick ? 5 : 21); ++i) {
        QElapsedTimer clock;
        clock.start();
        F.aids.updateStack();
        stacks.push_back(elapsedMs(clock));
    }
    table.note(section, QStringLiteral("  shortlist of that session, names included"),
               ms(median(stacks)));

    table.add(section, QStringLiteral("memory kept per shot, map shown (resident)"),
              number(perShotKb, 1) + QStringLiteral(" KB"), {}, {}, QStringLiteral("<= 32 KB"),
              perShotKb <= 32);
    table.note(
        section, QStringLiteral("  of which the focus map's figures"),
        number(double(F.aids.focusMap().memoryBytes()) / F.aids.focusMap().size() / 1024, 2) +
            QStringLiteral(" KB"));
}

} // namespace kelvaris::bench
