// The region in view decoded before the rest of a shot: exactly the pixels
// of the whole decoding, whatever the subsampling and the EXIF orientation,
// and nothing where a file is only decoded whole.
#include "capture/JpegSamples.h"
#include "capture/ShotLoader.h"
#include "platform/NativePath.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace kelvaris;
using namespace kelvaris::samples;

namespace {

QString g_dir;

ShotFile fileOf(const QByteArray& jpeg)
{
    static int count = 0;
    const QString path = QStringLiteral("%1/IMG_%2.JPG").arg(g_dir).arg(++count);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
        return {};
    file.close();
    return readShot(toNativePath(path));
}

} // namespace

class TestShotPart : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        g_dir = m_dir.path();
    }

    void thePartIsTheWholeDecodingsPixels_data()
    {
        QTest::addColumn<int>("subsampling");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QRect>("wanted");
        const struct
        {
            const char* name;
            int value;
        } samplings[] = {{"444", TJSAMP_444}, {"422", TJSAMP_422}, {"420", TJSAMP_420}};
        // Upright pixels of a 301 x 203 shot (203 x 301 turned sideways):
        // where a session starts, off the iMCU grid, on the far edges, and
        // reaching past the shot.
        const struct
        {
            const char* name;
            QRect rect;
        } parts[] = {{"top-left", {0, 0, 90, 70}},
                     {"inside", {37, 29, 101, 83}},
                     {"bottom-right", {130, 150, 200, 200}},
                     {"past the shot", {-25, -13, 60, 50}}};
        for (const auto& sampling : samplings)
            for (int orientation : {1, 3, 6, 8, 5})
                for (const auto& part : parts)
                    QTest::addRow("%s, orientation %d, %s", sampling.name, orientation, part.name)
                        << sampling.value << orientation << part.rect;
    }

    void thePartIsTheWholeDecodingsPixels()
    {
        QFETCH(int, subsampling);
        QFETCH(int, orientation);
        QFETCH(QRect, wanted);
        const QByteArray jpeg =
            withOrientation(encode(photoLike(301, 203, 11), 0, subsampling), orientation);
        const ShotFile file = fileOf(jpeg);
        QVERIFY(file.isReady());
        const LoadedShot whole = decodeShotFile(file);
        QVERIFY(whole.taken());

        const ShotPart part = decodeShotPart(file, wanted);
        QVERIFY(part.pixels);
        QCOMPARE(part.whole, whole.picture->size());
        QCOMPARE(part.where, wanted.intersected(QRect(QPoint(0, 0), part.whole)));
        QCOMPARE(part.pixels->size(), part.where.size());
        const QImage expected = whole.picture->copy(part.where);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                if (part.pixels->pixel(x, y) != expected.pixel(x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) of the part differs")
                                         .arg(part.where.left() + x)
                                         .arg(part.where.top() + y)));
    }

    // The same part taken from the whole decoding's rows as soon as they
    // are decoded: the same pixels, whatever the orientation, and not a
    // row before all of the part's rows are there.
    void thePartTakenFromTheRowsIsTheWholeDecodingsPixels_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QRect>("wanted");
        for (int orientation : {1, 3, 6, 8})
            for (const QRect& rect :
                 {QRect(0, 0, 90, 70), QRect(37, 29, 101, 83), QRect(130, 150, 200, 200)})
                QTest::addRow("orientation %d at %d,%d", orientation, rect.x(), rect.y())
                    << orientation << rect;
    }

    void thePartTakenFromTheRowsIsTheWholeDecodingsPixels()
    {
        QFETCH(int, orientation);
        QFETCH(QRect, wanted);
        const ShotFile file =
            fileOf(withOrientation(encode(photoLike(301, 203, 13), 0, TJSAMP_420), orientation));
        const StoredPart stored = storedPartOf(file, wanted);
        QVERIFY(!stored.stored.isEmpty());
        ShotPart taken;
        int rowsWhenTaken = -1;
        const LoadedShot whole =
            decodeShotFile(file, nullptr, [&](const QImage& picture, int rows) {
                if (taken.pixels)
                    return;
                // Not before its last row is decoded.
                QVERIFY(!takePart(stored, picture, stored.stored.bottom()).pixels);
                taken = takePart(stored, picture, rows);
                if (taken.pixels)
                    rowsWhenTaken = rows;
            });
        QVERIFY(whole.taken());
        QVERIFY(taken.pixels);
        QVERIFY(rowsWhenTaken > stored.stored.bottom());
        QCOMPARE(taken.where, wanted.intersected(QRect(QPoint(0, 0), whole.picture->size())));
        QCOMPARE(*taken.pixels, whole.picture->copy(taken.where));
    }

    void filesDecodedWholeOnlyGiveNoPart_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        const QImage picture = photoLike(160, 120, 3);
        LibjpegOptions progressive;
        progressive.progressive = true;
        LibjpegOptions arithmetic;
        arithmetic.arithmetic = true;
        LibjpegOptions cmyk;
        cmyk.stored = JCS_CMYK;
        QTest::newRow("progressive") << encodeLibjpeg(picture, progressive);
        QTest::newRow("arithmetic") << encodeLibjpeg(picture, arithmetic);
        QTest::newRow("CMYK") << encodeLibjpeg(picture, cmyk);
    }

    void filesDecodedWholeOnlyGiveNoPart()
    {
        QFETCH(QByteArray, jpeg);
        const ShotFile file = fileOf(jpeg);
        QVERIFY(file.isReady());
        QVERIFY(!decodeShotPart(file, QRect(10, 10, 40, 40)).pixels);
        // The whole decoding is the path they take.
        QVERIFY(decodeShotFile(file).taken());
    }

    void aPartOffTheShotOrEmptyGivesNothing()
    {
        const ShotFile file = fileOf(encode(photoLike(160, 120, 5)));
        QVERIFY(file.isReady());
        QVERIFY(!decodeShotPart(file, QRect(200, 10, 40, 40)).pixels);
        QVERIFY(!decodeShotPart(file, QRect(-50, -50, 40, 40)).pixels);
        QVERIFY(!decodeShotPart(file, QRect()).pixels);
    }

    void aFileNotReadyGivesNoPart()
    {
        const QByteArray jpeg = encode(photoLike(160, 120, 5));
        const ShotFile file = fileOf(jpeg.left(jpeg.size() / 2));
        QVERIFY(!file.isReady());
        QCOMPARE(file.refusal.outcome, LoadedShot::Outcome::Incomplete);
        QVERIFY(!decodeShotPart(file, QRect(0, 0, 40, 40)).pixels);
    }

    void aStoppedDecodingTakesNothing()
    {
        const ShotFile file = fileOf(encode(photoLike(640, 480, 5)));
        const StopFlag stop{true};
        QCOMPARE(decodeShotFile(file, &stop).outcome, LoadedShot::Outcome::Stopped);
        QVERIFY(!decodeShotPart(file, QRect(0, 200, 40, 40), &stop).pixels);
    }
};

QTEST_GUILESS_MAIN(TestShotPart)
#include "tst_shotpart.moc"
