#include "capture/JpegSamples.h"
#include "capture/ShotLoader.h"

#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace kelvaris;
using namespace kelvaris::samples;
using Outcome = LoadedShot::Outcome;

Q_DECLARE_METATYPE(LoadedShot::Outcome)

namespace {

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) < 16 && std::abs(qGreen(a) - qGreen(b)) < 16 &&
           std::abs(qBlue(a) - qBlue(b)) < 16;
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

} // namespace

class TestShotLoader : public QObject
{
    Q_OBJECT

private slots:
    void outcome_data();
    void outcome();
    void pixels();
    void missingAndUnopenable();
    void nativeNames();
    void nonRegularFiles();
    void truncatedThenCompleted();
    void hugeFileRefused();
    void orientation_data();
    void orientation();
    void bogusExif();
    void damagedFiles();
    void scansBeyondTheDecodingBudget();

private:
    QTemporaryDir m_dir;
};

void TestShotLoader::outcome_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Outcome>("expected");
    QTest::addColumn<QString>("reason"); // as read after the file's name

    const QImage image = quadrants(160, 120);
    const QByteArray plain = encode(image);
    const QByteArray progressive = encode(image, TJFLAG_PROGRESSIVE, TJSAMP_420);
    auto cut = [](const QByteArray& b, double part) { return b.left(qsizetype(b.size() * part)); };
    QByteArray badFrame = plain;
    const qsizetype sof = badFrame.indexOf("\xff\xc0");
    badFrame[sof + 5] = 0; // height 0
    badFrame[sof + 6] = 0;

    const QString incomplete = QStringLiteral("est incomplet");
    const QString notJpeg = QStringLiteral("n'est pas un fichier JPEG");
    auto row = [](const char* name, const QByteArray& bytes, Outcome outcome,
                  const QString& reason = QString()) {
        QTest::newRow(name) << bytes << outcome << reason;
    };
    const QByteArray restarts = encodeWithRestarts(image);
    row("complete", plain, Outcome::Taken);
    row("progressive", progressive, Outcome::Taken);
    row("restart markers", restarts, Outcome::Taken);
    row("restarts truncated", cut(restarts, 0.6), Outcome::Incomplete, incomplete);
    row("data after end marker", plain + QByteArray(3000, '\xff') + "maker notes\xff\xd8",
        Outcome::Taken);
    row("truncated 60%", cut(plain, 0.6), Outcome::Incomplete, incomplete);
    row("progressive truncated", cut(progressive, 0.6), Outcome::Incomplete, incomplete);
    row("end marker missing", plain.chopped(2), Outcome::Incomplete, incomplete);
    row("headers cut", plain.left(100), Outcome::Incomplete, incomplete);
    row("start marker only", plain.left(2), Outcome::Incomplete, incomplete);
    row("first byte", plain.left(1), Outcome::Incomplete, incomplete);
    row("empty", QByteArray(), Outcome::Incomplete, QStringLiteral("est vide"));
    row("text", QByteArray("This is not a picture.\n"), Outcome::Unreadable, notJpeg);
    row("no start marker", plain.mid(2), Outcome::Unreadable, notJpeg);
    row("broken frame header", badFrame, Outcome::Unreadable,
        QStringLiteral("déclare une taille d'image invraisemblable"));
    row("broken frame header, truncated", cut(badFrame, 0.6), Outcome::Incomplete, incomplete);
}

void TestShotLoader::outcome()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Outcome, expected);
    QFETCH(QString, reason);

    const QString path = m_dir.filePath(QStringLiteral("IMG_%1.JPG").arg(QTest::currentDataTag()));
    QVERIFY(writeFile(path, bytes));
    const LoadedShot fromFile = loadShot(path);
    const LoadedShot fromMemory = decodeShot(bytes);
    for (const LoadedShot& shot : {fromFile, fromMemory}) {
        QCOMPARE(shot.outcome, expected);
        QCOMPARE(shot.taken(), expected == Outcome::Taken);
        QCOMPARE(bool(shot.picture), shot.taken());
        QCOMPARE(shot.error.isEmpty(), shot.taken());
        QCOMPARE(shot.reason, reason);
        QCOMPARE(shot.fileSize, bytes.size());
    }
    if (fromFile.taken()) {
        QCOMPARE(fromFile.picture->size(), QSize(160, 120));
        QCOMPARE(*fromFile.picture, *fromMemory.picture);
    }
    // A failure must leave the thread's decoder fit for the next file.
    QVERIFY(decodeShot(encode(quadrants(48, 32))).taken());
}

void TestShotLoader::pixels()
{
    const QByteArray jpeg = encode(quadrants(300, 200), 0, TJSAMP_422);
    const LoadedShot shot = decodeShot(jpeg);
    QVERIFY(shot.taken());
    const QImage& image = *shot.picture;
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QCOMPARE(image.size(), QSize(300, 200));
    const QList<std::pair<QPoint, QRgb>> samples = {{{10, 10}, red},
                                                    {{290, 10}, green},
                                                    {{10, 190}, blue},
                                                    {{290, 190}, white},
                                                    {{140, 30}, red}};
    for (const auto& [at, colour] : samples)
        QVERIFY2(near(image.pixel(at), colour), qPrintable(QString::number(image.pixel(at), 16)));
    // The padding byte must be opaque, or the picture draws as transparent.
    for (int y = 0; y < image.height(); y += 37)
        for (int x = 0; x < image.width(); x += 13)
            QCOMPARE(qAlpha(image.pixel(x, y)), 255);
}

void TestShotLoader::missingAndUnopenable()
{
    const LoadedShot missing = loadShot(m_dir.filePath(QStringLiteral("IMG_9999.JPG")));
    QCOMPARE(missing.outcome, Outcome::Vanished);
    QCOMPARE(missing.reason, QStringLiteral("a disparu"));
    QVERIFY(!missing.error.isEmpty());

    const QString folder = m_dir.filePath(QStringLiteral("FOLDER.JPG"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(loadShot(folder).outcome, Outcome::Unreadable);
    QCOMPARE(loadShot(folder).reason, QStringLiteral("n'est pas un fichier ordinaire"));

    const QString locked = m_dir.filePath(QStringLiteral("LOCKED.JPG"));
    QVERIFY(writeFile(locked, encode(quadrants(32, 32))));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::WriteOwner));
    QFile probe(locked);
    if (probe.open(QIODevice::ReadOnly))
        QSKIP("permissions are not enforced for this user");
    QCOMPARE(loadShot(locked).outcome, Outcome::Unreadable);
    QCOMPARE(loadShot(locked).reason, QStringLiteral("n'a pas pu être ouvert\u00a0: accès refusé"));
}

void TestShotLoader::nativeNames()
{
#ifdef Q_OS_UNIX
    const QByteArray jpeg = encode(quadrants(32, 24));
    // A Latin-1 name, from a camera or a Windows share: no valid UTF-8, so
    // no text can hold it.
    const std::filesystem::path latin1 =
        std::filesystem::path(QFile::encodeName(m_dir.path()).toStdString()) / "zz\xe9.jpg";
    std::ofstream(latin1, std::ios::binary).write(jpeg.constData(), jpeg.size());
    const LoadedShot shot = loadShot(latin1);
    QVERIFY2(shot.taken(), qPrintable(shot.error));
    QCOMPARE(shot.fileSize, jpeg.size());
    // A name held as text opens when the system's encoding can hold it.
    const QString accented = m_dir.filePath(QStringLiteral("Été_0001.jpg"));
    QVERIFY(writeFile(accented, jpeg));
    QVERIFY(loadShot(accented).taken());
    QVERIFY(loadShot(toNativePath(accented)).taken());
#else
    QSKIP("file names are bytes on POSIX only");
#endif
}

void TestShotLoader::nonRegularFiles()
{
#ifdef Q_OS_UNIX
    // A pipe named like a shot: opening it to read would wait for a writer.
    const QByteArray pipe = QFile::encodeName(m_dir.filePath(QStringLiteral("PIPE.JPG")));
    QCOMPARE(mkfifo(pipe.constData(), 0600), 0);
    std::atomic<bool> done = false;
    LoadedShot fromPipe;
    std::thread reader([&] {
        fromPipe = loadShot(QFile::decodeName(pipe));
        done = true;
    });
    const auto release = qScopeGuard([&] {
        while (!done) { // a writer that comes and goes lets a blocked reader go
            const int fd = ::open(pipe.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            QThread::msleep(10);
        }
        reader.join();
    });
    QTRY_VERIFY_WITH_TIMEOUT(done, 30000);
    QCOMPARE(fromPipe.outcome, Outcome::Unreadable);
    QCOMPARE(fromPipe.reason, QStringLiteral("n'est pas un fichier ordinaire"));

    // A device behind a link: no shot however long one waits.
    const QString device = m_dir.filePath(QStringLiteral("NULL.JPG"));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), device));
    QCOMPARE(loadShot(device).outcome, Outcome::Unreadable);

    // A link to a shot is a shot.
    const QString shot = m_dir.filePath(QStringLiteral("IMG_0007.JPG"));
    QVERIFY(writeFile(shot, encode(quadrants(32, 24))));
    const QString link = m_dir.filePath(QStringLiteral("LINK.JPG"));
    QVERIFY(QFile::link(shot, link));
    QVERIFY(loadShot(link).taken());
#else
    QSKIP("pipes and links made the POSIX way");
#endif
}

void TestShotLoader::truncatedThenCompleted()
{
    const QByteArray jpeg = encode(quadrants(400, 300));
    const QString path = m_dir.filePath(QStringLiteral("IMG_0002.JPG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    qsizetype written = 0;
    for (double part : {0.0, 0.3, 0.6, 0.99}) {
        const qsizetype upTo = qsizetype(jpeg.size() * part);
        file.write(jpeg.mid(written, upTo - written));
        file.flush();
        written = upTo;
        const LoadedShot shot = loadShot(path);
        QCOMPARE(shot.outcome, Outcome::Incomplete);
        QCOMPARE(shot.fileSize, written);
    }
    file.write(jpeg.mid(written));
    file.close();
    const LoadedShot shot = loadShot(path);
    QCOMPARE(shot.outcome, Outcome::Taken);
    QCOMPARE(shot.fileSize, jpeg.size());
    QCOMPARE(shot.picture->size(), QSize(400, 300));
}

void TestShotLoader::hugeFileRefused()
{
    const QString path = m_dir.filePath(QStringLiteral("HUGE.JPG"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(encode(quadrants(32, 32)));
    // Sparse where the file system allows it: nothing is read.
    if (!file.resize(qint64(3) << 30))
        QSKIP("cannot make a 3 GB file here");
    file.close();
    const LoadedShot shot = loadShot(path);
    QCOMPARE(shot.outcome, Outcome::Unreadable);
    QCOMPARE(shot.reason, QStringLiteral("est trop volumineux (plus de 2\u00a0Go)"));
    QVERIFY(!shot.picture);
}

void TestShotLoader::orientation_data()
{
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("bigEndian");
    // Upright corners: top left, top right, bottom left, bottom right.
    QTest::addColumn<QList<QRgb>>("corners");

    const QList<QList<QRgb>> corners = {
        {red, green, blue, white}, // 1: as stored
        {green, red, white, blue}, // 2: mirrored left to right
        {white, blue, green, red}, // 3: half turn
        {blue, white, red, green}, // 4: mirrored top to bottom
        {red, blue, green, white}, // 5: transposed
        {blue, red, white, green}, // 6: stored a quarter turn anticlockwise
        {white, green, blue, red}, // 7: transverse
        {green, white, red, blue}, // 8: stored a quarter turn clockwise
    };
    for (bool big : {false, true})
        for (int o = 1; o <= 8; ++o)
            QTest::addRow("%d %s", o, big ? "MM" : "II") << o << big << corners[o - 1];
}

void TestShotLoader::orientation()
{
    QFETCH(int, orientation);
    QFETCH(bool, bigEndian);
    QFETCH(QList<QRgb>, corners);

    // Odd sizes, larger than the tiles of the rotation.
    const QByteArray jpeg = encode(quadrants(151, 97));
    const LoadedShot stored = decodeShot(jpeg);
    QVERIFY(stored.taken());
    const LoadedShot shot = decodeShot(withOrientation(jpeg, orientation, bigEndian));
    QVERIFY(shot.taken());
    const QImage& s = *stored.picture;
    const QImage& d = *shot.picture;
    const int w = s.width(), h = s.height();
    QCOMPARE(d.size(), orientation >= 5 ? QSize(h, w) : QSize(w, h));

    const int right = d.width() - 1, bottom = d.height() - 1;
    QVERIFY(near(d.pixel(1, 1), corners[0]));
    QVERIFY(near(d.pixel(right - 1, 1), corners[1]));
    QVERIFY(near(d.pixel(1, bottom - 1), corners[2]));
    QVERIFY(near(d.pixel(right - 1, bottom - 1), corners[3]));

    // Every pixel comes from the right place of the stored picture.
    auto source = [&](int x, int y) -> QPoint {
        switch (orientation) {
        case 2:
            return {w - 1 - x, y};
        case 3:
            return {w - 1 - x, h - 1 - y};
        case 4:
            return {x, h - 1 - y};
        case 5:
            return {y, x};
        case 6:
            return {y, h - 1 - x};
        case 7:
            return {w - 1 - y, h - 1 - x};
        case 8:
            return {w - 1 - y, x};
        default:
            return {x, y};
        }
    };
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x)
            if (d.pixel(x, y) != s.pixel(source(x, y)))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 misplaced").arg(x).arg(y)));
}

void TestShotLoader::bogusExif()
{
    const QByteArray jpeg = encode(quadrants(40, 24));
    QRandomGenerator random(1234);
    auto randomBytes = [&](int n) {
        QByteArray b(n, Qt::Uninitialized);
        for (char& c : b)
            c = char(random.bounded(256));
        return b;
    };
    QList<QByteArray> payloads = {
        QByteArray(),
        QByteArray("II"),
        QByteArray("MM\0*", 4),
        tiff(false, {{0x0112, 3, 9}}),             // out of range
        tiff(true, {{0x0112, 3, 0}}),              // zero
        tiff(false, {{0x0112, 4, 6}}),             // written as a long
        tiff(true, {{0x0112, 3, 6}}).left(19),     // entry cut short
        QByteArray("II*\0\xff\xff\xff\x7f", 8),    // IFD far away
        QByteArray("MM\0*\0\0\0\x08\xff\xff", 10), // 65535 entries announced
    };
    for (int i = 0; i < 3000; ++i) {
        QByteArray payload = randomBytes(int(random.bounded(64)));
        if (i % 3 == 0) // mostly plausible header, random rest
            payload.prepend(random.bounded(2) ? QByteArray("II*\0\x08\0\0\0", 8)
                                              : QByteArray("MM\0*\0\0\0\x08", 8));
        payloads << payload;
    }
    for (const QByteArray& payload : payloads) {
        const LoadedShot shot = decodeShot(withExif(jpeg, payload));
        QVERIFY(shot.taken());
        QVERIFY(shot.picture->size() == QSize(40, 24) || shot.picture->size() == QSize(24, 40));
    }
    // A long Exif announced in a segment that the file does not hold.
    QByteArray lying = withExif(jpeg, tiff(false, {{0x0112, 3, 6}}));
    lying[4] = char(0xff);
    QVERIFY(!decodeShot(lying).taken());
}

void TestShotLoader::damagedFiles()
{
    // Damage anywhere never crashes; whatever is taken has a picture.
    const QByteArray jpeg = withOrientation(encode(quadrants(64, 48), 0, TJSAMP_420), 6);
    QRandomGenerator random(99);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes = jpeg;
        const int flips = 1 + int(random.bounded(8));
        for (int f = 0; f < flips; ++f)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        if (i % 4 == 0)
            bytes.truncate(random.bounded(int(bytes.size())));
        const LoadedShot shot = decodeShot(bytes);
        QCOMPARE(bool(shot.picture), shot.taken());
        if (shot.taken())
            QVERIFY(!shot.picture->isNull());
    }
    QVERIFY(decodeShot(jpeg).taken());
}

void TestShotLoader::scansBeyondTheDecodingBudget()
{
    // A few hundred scans of nothing over 8000 x 6000: each walks all 750,000
    // blocks of the picture. Refused, with its reason, once the scans have
    // taken the work of a few ordinary decodings, long before the last one.
    const QByteArray hostile = manyScanJpeg(8000, 6000, 400);
    QVERIFY(hostile.size() < 200'000);
    const QString path = m_dir.filePath(QStringLiteral("IMG_9999.JPG"));
    QVERIFY(writeFile(path, hostile));
    const LoadedShot shot = loadShot(path);
    QCOMPARE(shot.outcome, Outcome::Unreadable);
    QCOMPARE(shot.reason, QStringLiteral("demande un décodage démesuré"));
    QVERIFY(!shot.picture);
    // The thread's decoder is fit for the next file.
    QVERIFY(decodeShot(encode(quadrants(48, 32))).taken());

    // The same kind of file with a dozen scans, more than an encoder's own
    // progression writes, is an ordinary picture, as are the progressive
    // files that libjpeg writes, grey or in colour, whatever their size.
    const LoadedShot twelve = decodeShot(manyScanJpeg(3000, 2000, 12));
    QVERIFY(twelve.taken());
    QCOMPARE(twelve.picture->size(), QSize(3000, 2000));
    QCOMPARE(twelve.picture->pixel(1500, 1000), qRgb(128, 128, 128));
    LibjpegOptions progressive;
    progressive.progressive = true;
    for (const QSize size : {QSize(8, 8), QSize(1200, 900)}) {
        const QImage image = photoLike(size.width(), size.height(), 5);
        QVERIFY(decodeShot(encodeLibjpeg(image, progressive)).taken());
        LibjpegOptions grey = progressive;
        grey.stored = JCS_GRAYSCALE;
        QVERIFY(decodeShot(encodeLibjpeg(image, grey)).taken());
    }
}

QTEST_GUILESS_MAIN(TestShotLoader)
#include "tst_shotloader.moc"
