#include "capture/JpegSamples.h"
#include "capture/ShotLoader.h"

#include <QRandomGenerator>
#include <QtTest>

#include <csetjmp>
#include <jerror.h>

using namespace kelvaris;
using namespace kelvaris::samples;
using Outcome = LoadedShot::Outcome;

Q_DECLARE_METATYPE(LoadedShot::Outcome)
Q_DECLARE_METATYPE(kelvaris::samples::LibjpegOptions)

namespace {

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 16 && std::abs(qGreen(a) - qGreen(b)) < 16 &&
           std::abs(qBlue(a) - qBlue(b)) < 16;
}

// Where the entropy-coded data of the first scan starts.
qsizetype scanStart(const QByteArray& jpeg)
{
    const qsizetype sos = jpeg.indexOf("\xff\xda");
    return sos + 2 + ((uchar(jpeg[sos + 2]) << 8) | uchar(jpeg[sos + 3]));
}

// The JPEG with its frame header claiming another size.
QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    qsizetype sof = -1;
    for (const char* marker : {"\xff\xc0", "\xff\xc2", "\xff\xc9", "\xff\xca"})
        if (sof < 0)
            sof = jpeg.indexOf(marker);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

// What libjpeg itself, left to its defaults, makes of a file: the way to
// tell whether a flipped bit left data that still adds up.
struct OracleErrors
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

bool libjpegComplains(const QByteArray& jpeg)
{
    jpeg_decompress_struct cinfo;
    OracleErrors errors;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = [](j_common_ptr c) {
        std::longjmp(reinterpret_cast<OracleErrors*>(c->err)->jump, 1);
    };
    errors.pub.output_message = [](j_common_ptr) {};
    jpeg_create_decompress(&cinfo);
    static std::vector<uchar> row;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    jpeg_mem_src(&cinfo, reinterpret_cast<const uchar*>(jpeg.constData()),
                 static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    row.resize(size_t(cinfo.output_width) * size_t(cinfo.output_components));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW r = row.data();
        jpeg_read_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_decompress(&cinfo);
    const bool warned = errors.pub.num_warnings > 0;
    jpeg_destroy_decompress(&cinfo);
    return warned;
}

// The first and last rows in which `damaged` is far from `sound`; an empty
// range when they agree.
std::pair<int, int> damagedRows(const QImage& sound, const QImage& damaged)
{
    int first = sound.height(), last = -1;
    for (int y = 0; y < sound.height(); ++y)
        for (int x = 0; x < sound.width(); ++x)
            if (!near(sound.pixel(x, y), damaged.pixel(x, y))) {
                first = std::min(first, y);
                last = y;
                break;
            }
    return {first, last};
}

} // namespace

class TestJpegDecoding : public QObject
{
    Q_OBJECT

private slots:
    void flippedBits_data();
    void flippedBits();
    void bytesBeforeEnd_data();
    void bytesBeforeEnd();
    void forgedSize_data();
    void forgedSize();
    void flatPictures_data();
    void flatPictures();
    void colourModels_data();
    void colourModels();
    void cmykUpright();
    void otherKinds_data();
    void otherKinds();
};

void TestJpegDecoding::flippedBits_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<int>("restartRows"); // picture rows between restart markers; 0: none
    QTest::addColumn<int>("seed");

    for (int seed : {1, 2, 3, 4}) {
        const QImage photo = photoLike(320, 240, quint32(seed));
        QTest::addRow("restart markers, seed %d", seed) << encodeWithRestarts(photo) << 16 << seed;
        QTest::addRow("no restart markers, seed %d", seed)
            << encode(photo, 0, TJSAMP_422) << 0 << seed;
        QTest::addRow("progressive, seed %d", seed)
            << encode(photo, TJFLAG_PROGRESSIVE, TJSAMP_420) << 0 << seed;
    }
}

// A flipped bit in the coded data of a complete file: whenever the data no
// longer adds up (libjpeg warns or fails), the shot is refused, never shown
// half grey or garbled. A flip that leaves consistent data (a changed
// coefficient) cannot be told from a sound file; with restart markers its
// harm stays within one restart interval.
void TestJpegDecoding::flippedBits()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(int, restartRows);
    QFETCH(int, seed);

    const LoadedShot sound = decodeShot(jpeg);
    QVERIFY(sound.taken());
    const qsizetype from = scanStart(jpeg);
    QRandomGenerator random(quint32(seed) * 7919);
    int refused = 0;
    for (int i = 0; i < 150; ++i) {
        QByteArray bytes = jpeg;
        const qsizetype at = from + random.bounded(int(jpeg.size() - 2 - from));
        bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
        const LoadedShot shot = decodeShot(bytes);
        const QByteArray where = QByteArray::number(at);
        if (libjpegComplains(bytes))
            QVERIFY2(!shot.taken(), where.constData());
        if (!shot.taken()) {
            ++refused;
            QVERIFY(!shot.picture);
        } else if (restartRows > 0) {
            const auto [first, last] = damagedRows(*sound.picture, *shot.picture);
            // Smooth upsampling of the colour spreads it by a row either side.
            QVERIFY2(last - first <= restartRows + 1, where.constData());
        }
    }
    QVERIFY(refused > 0);
}

void TestJpegDecoding::bytesBeforeEnd_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("taken");

    const QByteArray jpeg = encode(photoLike(200, 150, 5), 0, TJSAMP_420);
    const qsizetype end = jpeg.size() - 2;
    QByteArray lostSector = jpeg;
    lostSector.replace(scanStart(jpeg) + 1000, 512, QByteArray(512, '\0'));
    QByteArray lostInterval = encodeWithRestarts(photoLike(200, 150, 5));
    lostInterval.replace(scanStart(lostInterval) + 1000, 512, QByteArray(512, '\0'));

    // Some cameras pad the last scan with zero bytes.
    QTest::newRow("zero padding") << QByteArray(jpeg).insert(end, QByteArray(37, '\0')) << true;
    QTest::newRow("one zero byte") << QByteArray(jpeg).insert(end, QByteArray(1, '\0')) << true;
    // libjpeg reads a few bytes ahead, and never sees one junk byte there.
    QTest::newRow("one junk byte") << QByteArray(jpeg).insert(end, "\x7f") << true;
    QTest::newRow("junk bytes") << QByteArray(jpeg).insert(end, "left over by a firmware") << false;
    QTest::newRow("zeros then junk")
        << QByteArray(jpeg).insert(end, QByteArray("\0\0\0x", 4)) << false;
    QTest::newRow("a sector of zeros") << lostSector << false;
    QTest::newRow("a sector of zeros, restart markers") << lostInterval << false;
}

void TestJpegDecoding::bytesBeforeEnd()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, taken);

    const LoadedShot shot = decodeShot(jpeg);
    QCOMPARE(shot.taken(), taken);
    if (!taken) {
        QCOMPARE(shot.outcome, Outcome::Unreadable);
        QCOMPARE(shot.reason, QStringLiteral("est endommagé"));
    }
}

void TestJpegDecoding::forgedSize_data()
{
    QTest::addColumn<QByteArray>("jpeg");

    // 240 KB of a real-looking picture, claiming 520 megapixels.
    const QImage photo = photoLike(1010, 760, 11);
    const QByteArray baseline = encode(photo, 0, TJSAMP_420);
    const QByteArray progressive = encode(photo, TJFLAG_PROGRESSIVE, TJSAMP_420);
    QTest::newRow("baseline") << withFrameSize(baseline, 20000, 26000);
    QTest::newRow("progressive") << withFrameSize(progressive, 20000, 26000);
    LibjpegOptions arithmetic;
    arithmetic.arithmetic = true;
    QTest::newRow("arithmetic coding")
        << withFrameSize(encodeLibjpeg(photo, arithmetic), 20000, 26000);
}

// A header claiming far more pixels than the file's data can describe is
// refused before any memory is taken for them.
void TestJpegDecoding::forgedSize()
{
    QFETCH(QByteArray, jpeg);

    const LoadedShot shot = decodeShot(jpeg);
    QCOMPARE(shot.outcome, Outcome::Unreadable);
    QCOMPARE(shot.reason, QStringLiteral("déclare une taille d'image invraisemblable"));
    QVERIFY(!shot.picture);
}

void TestJpegDecoding::flatPictures_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<LibjpegOptions>("options");

    LibjpegOptions standard;
    standard.quality = 50;
    LibjpegOptions optimised = standard;
    optimised.optimise = true;
    LibjpegOptions progressive = optimised;
    progressive.progressive = true;
    LibjpegOptions arithmetic = standard;
    arithmetic.arithmetic = true;
    QTest::newRow("standard tables") << QSize(8000, 6000) << standard;
    QTest::newRow("optimised tables") << QSize(8000, 6000) << optimised;
    QTest::newRow("progressive") << QSize(6000, 4000) << progressive;
    QTest::newRow("arithmetic coding") << QSize(8000, 6000) << arithmetic;
}

// Flat pictures compress the furthest that real files can: a sky, a lens
// cap. However large, they are shown.
void TestJpegDecoding::flatPictures()
{
    QFETCH(QSize, size);
    QFETCH(LibjpegOptions, options);

    QImage grey(size, QImage::Format_RGB32);
    grey.fill(qRgb(128, 128, 128));
    const QByteArray jpeg = encodeLibjpeg(grey, options);
    grey = QImage();
    const LoadedShot shot = decodeShot(jpeg);
    QVERIFY2(shot.taken(), qPrintable(shot.error));
    QCOMPARE(shot.picture->size(), size);
    QVERIFY(near(shot.picture->pixel(size.width() / 2, size.height() / 2), qRgb(128, 128, 128)));
}

void TestJpegDecoding::colourModels_data()
{
    QTest::addColumn<LibjpegOptions>("options");
    QTest::addColumn<bool>("grey");

    LibjpegOptions cmyk;
    cmyk.stored = JCS_CMYK;
    LibjpegOptions plainCmyk = cmyk;
    plainCmyk.adobeMarker = false;
    LibjpegOptions ycck;
    ycck.stored = JCS_YCCK;
    LibjpegOptions s410;
    s410.lumaSampling = {4, 2};
    LibjpegOptions s440;
    s440.lumaSampling = {1, 2};
    LibjpegOptions grey;
    grey.stored = JCS_GRAYSCALE;
    LibjpegOptions arithmetic;
    arithmetic.arithmetic = true;
    LibjpegOptions progressiveArithmetic = arithmetic;
    progressiveArithmetic.progressive = true;

    QTest::newRow("CMYK, inverted, Adobe marker") << cmyk << false;
    QTest::newRow("CMYK, no Adobe marker") << plainCmyk << false;
    QTest::newRow("YCCK") << ycck << false;
    QTest::newRow("4:1:0") << s410 << false;
    QTest::newRow("4:4:0") << s440 << false;
    QTest::newRow("grey") << grey << true;
    QTest::newRow("arithmetic coding") << arithmetic << false;
    QTest::newRow("progressive, arithmetic coding") << progressiveArithmetic << false;
}

// Every 8-bit colour model that cameras and image editors write is shown
// in its own colours.
void TestJpegDecoding::colourModels()
{
    QFETCH(LibjpegOptions, options);
    QFETCH(bool, grey);

    const LoadedShot shot = decodeShot(encodeLibjpeg(quadrants(160, 120), options));
    QVERIFY2(shot.taken(), qPrintable(shot.error));
    const QImage& image = *shot.picture;
    QCOMPARE(image.size(), QSize(160, 120));
    QCOMPARE(image.format(), QImage::Format_RGB32);
    const QList<std::pair<QPoint, QRgb>> samples = {
        {{20, 10}, red}, {{140, 10}, green}, {{20, 110}, blue}, {{140, 110}, white}};
    for (auto [at, colour] : samples) {
        if (grey)
            colour = qRgb(qGray(colour), qGray(colour), qGray(colour));
        QVERIFY2(near(image.pixel(at), colour), qPrintable(QString::number(image.pixel(at), 16)));
        QCOMPARE(qAlpha(image.pixel(at)), 255);
    }
}

void TestJpegDecoding::cmykUpright()
{
    LibjpegOptions cmyk;
    cmyk.stored = JCS_CMYK;
    const LoadedShot shot = decodeShot(withOrientation(encodeLibjpeg(quadrants(64, 48), cmyk), 6));
    QVERIFY(shot.taken());
    const QImage& image = *shot.picture;
    QCOMPARE(image.size(), QSize(48, 64));
    // Stored a quarter turn anticlockwise: blue, red / white, green.
    QVERIFY(near(image.pixel(2, 2), blue));
    QVERIFY(near(image.pixel(45, 2), red));
    QVERIFY(near(image.pixel(2, 61), white));
    QVERIFY(near(image.pixel(45, 61), green));
}

void TestJpegDecoding::otherKinds_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<QString>("reason");

    const QByteArray baseline = encode(quadrants(64, 48));
    const qsizetype sof = baseline.indexOf("\xff\xc0");
    auto withFrame = [&](char marker, char precision) {
        QByteArray b = baseline;
        b[sof + 1] = marker;
        b[sof + 4] = precision;
        return b;
    };
    const QString hierarchical = QStringLiteral("est en JPEG hiérarchique, non pris en charge");
    QTest::newRow("12-bit") << withFrame('\xc1', 12)
                            << QStringLiteral("est en JPEG 12\u00a0bits, non pris en charge");
    QTest::newRow("lossless") << withFrame('\xc3', 8)
                              << QStringLiteral("est en JPEG sans perte, non pris en charge");
    QTest::newRow("hierarchical") << withFrame('\xc5', 8) << hierarchical;
    QTest::newRow("hierarchical, DHP marker")
        << QByteArray(baseline).insert(2, QByteArray("\xff\xde\x00\x02", 4)) << hierarchical;
    QTest::newRow("precision 9") << withFrame('\xc1', 9) << QStringLiteral("est endommagé");
}

// Kinds of JPEG that are not decoded here are refused, never guessed at.
void TestJpegDecoding::otherKinds()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(QString, reason);

    const LoadedShot shot = decodeShot(jpeg);
    QCOMPARE(shot.outcome, Outcome::Unreadable);
    QCOMPARE(shot.reason, reason);
    QVERIFY(!shot.error.isEmpty());
}

QTEST_GUILESS_MAIN(TestJpegDecoding)
#include "tst_jpegdecoding.moc"
