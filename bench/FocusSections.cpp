// The focus measure's section: the sharpness map of a new shot against the
// decoding of the same file, the figure of the visible crop for a whole
// session's maps, and the map's memory.

#include "BenchSupport.h"
#include "Sections.h"

#include "capture/Rgb32PixelFormat.h"
#include "capture/ShotLoader.h"
#include "focus/SharpnessMap.h"

#include <QElapsedTimer>

#include <cstdlib>
#include <memory>
#include <turbojpeg.h>

namespace kelvaris::bench {

namespace {

QString kb(std::size_t bytes)
{
    return number(double(bytes) / 1024, 1) + QStringLiteral(" KB");
}

} // namespace

void benchSharpness(ResultTable& table, const RunOptions& options)
{
    const QString section = QStringLiteral("sharpness");
    const QByteArray jpeg = makeDetailedJpeg(Width24, Height24, 24);
    const LoadedShot shot = decodeShot(jpeg);
    if (!shot.taken())
        return fault(table, section, QStringLiteral("cannot make the 24 MP test shot"));
    const QImage& picture = *shot.picture;

    // The bare decoding: tjDecompress2 alone, into pixels already touched,
    // so that neither reading the file nor first-touching pages counts.
    const std::unique_ptr<void, int (*)(tjhandle)> decompressor(tjInitDecompress(), tjDestroy);
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[std::size_t(Width24) * Height24 * 4]);
    const auto bareDecode = [&] {
        return tjDecompress2(decompressor.get(),
                             reinterpret_cast<const unsigned char*>(jpeg.constData()),
                             (unsigned long)jpeg.size(), pixels.get(), Width24, Width24 * 4,
                             Height24, Rgb32PixelFormat, 0) == 0;
    };
    if (!decompressor || !bareDecode())
        return fault(table, section, QStringLiteral("the bare decoding failed"));

    // Alternating, so that both see the same state of the machine.
    const int repetitions = options.quick ? 3 : 11;
    std::vector<double> maps, decodes;
    SharpnessMap map;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer clock;
        clock.start();
        map = SharpnessMap::measure(picture);
        maps.push_back(elapsedMs(clock));
        clock.restart();
        if (!bareDecode())
            return fault(table, section, QStringLiteral("the bare decoding failed"));
        decodes.push_back(elapsedMs(clock));
    }
    const double measuring = median(maps);
    const double decoding = median(decodes);
    table.add(section, QStringLiteral("map of a 24 MP shot, one thread"), ms(measuring),
              ms(decoding) + QStringLiteral(" (tjDecompress2)"),
              number(100 * measuring / decoding, 1) + QStringLiteral(" %"),
              QStringLiteral("<= 15 %"), measuring <= 0.15 * decoding);

    // A session of 1,000 shots: the map copied, each copy an allocation of
    // its own as each shot's would be.
    std::vector<SharpnessMap> session;
    session.reserve(1000);
    for (int i = 0; i < 1000; ++i)
        session.push_back(map);
    // A pane's crop, cutting tiles on every side.
    const QRect crop(2011, 1377, 401, 377);
    std::vector<double> pans;
    double checksum = 0;
    for (int i = 0; i < (options.quick ? 5 : 51); ++i) {
        QElapsedTimer clock;
        clock.start();
        for (const SharpnessMap& each : session)
            checksum += each.region(crop).value;
        pans.push_back(elapsedMs(clock));
    }
    if (!(checksum > 0))
        return fault(table, section, QStringLiteral("the crop was not measured"));
    const double pan = median(pans);
    table.add(section, QStringLiteral("figure of a 401x377 crop for 1,000 maps"), ms(pan), {}, {},
              QStringLiteral("<= 2 ms"), pan <= 2);

    table.add(section,
              QStringLiteral("memory of the map of a 24 MP shot (%1 px tiles)").arg(map.tileSize()),
              kb(map.memoryBytes()), {}, {}, QStringLiteral("<= 32 KB"),
              map.memoryBytes() <= SharpnessMap::MemoryBudget);
    // Decoded as the program decodes it, into the pages it gets.
    const LoadedShot largeShot = decodeShot(makeDetailedJpeg(Width45, Height45, 45));
    if (!largeShot.taken())
        return fault(table, section, QStringLiteral("cannot make the 45 MP test shot"));
    const QImage& large = *largeShot.picture;
    std::vector<double> largeMaps;
    SharpnessMap largeMap;
    for (int i = 0; i < (options.quick ? 1 : 5); ++i) {
        QElapsedTimer clock;
        clock.start();
        largeMap = SharpnessMap::measure(large);
        largeMaps.push_back(elapsedMs(clock));
    }
    table.add(
        section,
        QStringLiteral("memory of the map of a 45 MP shot (%1 px tiles)").arg(largeMap.tileSize()),
        kb(largeMap.memoryBytes()), {}, {}, QStringLiteral("<= 32 KB"),
        largeMap.memoryBytes() <= SharpnessMap::MemoryBudget);
    table.note(section, QStringLiteral("map of a 45 MP shot, one thread"), ms(median(largeMaps)));
}

} // namespace kelvaris::bench
