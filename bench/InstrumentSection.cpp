// The focus instrument with a long session: following a pan over a
// thousand shots, and what each shot costs to keep.

#include "BenchSupport.h"
#include "ProgramSession.h"
#include "Sections.h"

#include "capture/ShotLoader.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <vector>

namespace kelvaris::bench {

void benchInstrument(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("instrument");
    QTemporaryDir reception;
    ProgramSession session;
    if (const QString failed = session.takeTestShot(reception.path()); !failed.isEmpty())
        return fault(table, section, failed);
    MainWindow& F = session.window();

    // A session of a thousand shots of the same 24 MP picture: a map each.
    const int shots = options.quick ? 200 : 1000;
    const double perShotKb = session.addSessionShotsKeptKb(shots);
    if (F.focus.session().size() != shots + 1)
        return fault(table, section, QStringLiteral("the session did not keep every shot"));

    // Each pan moves the crop and recomputes the figure of every shot.
    std::vector<double> pans;
    const float left = F.P_ImgLast.left();
    for (int i = 0; i < (options.quick ? 20 : 101); ++i) {
        F.P_ImgLast.setLeft(left - 150 * float(i % 40));
        QElapsedTimer clock;
        clock.start();
        F.focus.refresh();
        pans.push_back(elapsedMs(clock));
    }
    const double pan = median(pans);
    table.add(section,
              QStringLiteral("figure and curve recomputed after a pan, %1 shots").arg(shots + 1),
              ms(pan), {}, {}, QStringLiteral("<= 2 ms"), pan <= 2);

    table.add(section, QStringLiteral("memory kept per shot of the session (resident)"),
              number(perShotKb, 1) + QStringLiteral(" KB"), {}, {}, QStringLiteral("<= 32 KB"),
              perShotKb <= 32);
    table.note(section, QStringLiteral("of which the sharpness map of a 24 MP shot"),
               number(double(F.focus.session().shots().back().map->memoryBytes()) / 1024, 1) +
                   QStringLiteral(" KB"));
}

} // namespace kelvaris::bench
