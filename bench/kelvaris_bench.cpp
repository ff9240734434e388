// The program's speed and memory against its goals, each measured where
// possible against the bare library doing the same work in the same run.
// Runs offscreen on its own test shots and its own settings file.
//
//   kelvaris_bench [--only decode|arrival|loading|instrument|tick|idle|memory|pan|resize|
//                          sharpness|aids]
//                  [--quick]
//
// Exit status: 0 when every goal is met, 1 when one is missed or a section
// could not measure, 2 for a wrong command line.

#include "BenchSupport.h"
#include "ResultTable.h"
#include "Sections.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

using namespace kelvaris::bench;

namespace kelvaris::bench {

void fault(ResultTable& table, const QString& section, const QString& what)
{
    table.add({section,
               QStringLiteral("could not measure"),
               what,
               {},
               {},
               {},
               ResultTable::Verdict::Miss});
}

} // namespace kelvaris::bench

namespace {

struct Section
{
    const char* name;
    const char* what;
    std::function<void(ResultTable&, const RunOptions&)> run;
};

const Section sections[] = {
    {"decode", "a new 24 MP shot against a bare TurboJPEG decoding", benchDecode},
    {"arrival", "a new 24 MP shot on screen once its file is complete", benchArrival},
    {"loading", "new 24, 45 and 150 MP shots while the window stays responsive", benchLoading},
    {"instrument", "the focus instrument over a session of a thousand shots", benchInstrument},
    {"tick", "a look that finds nothing new against a bare directory listing", benchIdleTick},
    {"idle", "processor time of a running watcher", benchIdleCpu},
    {"memory", "peak memory with two 45 MP shots", benchMemory},
    {"pan", "dragging a 45 MP shot in its pane", benchPan},
    {"resize", "resizing the window with two 45 MP shots", benchResize},
    {"sharpness", "the focus measure of a 24 MP shot and of a session's crops", benchSharpness},
    {"aids", "the focus map, peaking and the shortlist to stack", benchAids},
};

int usage(const char* program)
{
    std::fprintf(stderr, "usage: %s [--only SECTION] [--quick]\nsections:\n", program);
    for (const Section& section : sections)
        std::fprintf(stderr, "  %-9s %s\n", section.name, section.what);
    std::fprintf(stderr, "--quick: fewer repetitions, for profiling only\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // The benchmark needs no display; an explicit platform is respected.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    const char* only = nullptr;
    RunOptions options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            only = argv[++i];
        else if (std::strcmp(argv[i], "--quick") == 0)
            options.quick = true;
        else
            return usage(argv[0]);
    }
    if (only) {
        bool known = false;
        for (const Section& section : sections)
            known = known || std::strcmp(section.name, only) == 0;
        if (!known)
            return usage(argv[0]);
    }

    QApplication app(argc, argv);
    std::printf("%s\n", qPrintable(machineDescription()));
    const auto printLoad = [](const char* when) {
        const double load = loadAverage();
        std::printf("Load average %s: %.2f%s\n", when, load,
                    load > 0.5 * std::thread::hardware_concurrency()
                        ? " (other work is running: figures are slower and noisier)"
                        : "");
    };
    printLoad("at the start");
    if (options.quick)
        std::printf("Quick run: too few repetitions for the figures to count.\n");

    ResultTable table;
    for (const Section& section : sections) {
        if (only && std::strcmp(section.name, only) != 0)
            continue;
        std::printf("\n%s: %s\n", section.name, section.what);
        std::fflush(stdout);
        QElapsedTimer clock;
        clock.start();
        section.run(table, options);
        std::printf("  (%s took %.1f s, test shots included)\n", section.name,
                    double(clock.elapsed()) / 1000);
    }

    std::printf("\n");
    printLoad("at the end");
    std::printf("\n%s\nMarkdown:\n\n%s\n", qPrintable(table.text()), qPrintable(table.markdown()));
    const int misses = table.misses();
    std::printf("%d goal(s) missed.\n", misses);
    return misses ? 1 : 0;
}
