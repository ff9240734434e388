// Memory for decoded shots: the memory of the last large picture let go is
// given to the next one of the same size, and given back when asked.
#include "platform/PixelMemory.h"

#include <QTest>

using namespace kelvaris;

class TestPixelMemory : public QObject
{
    Q_OBJECT

private slots:
    void init() { releaseSparePixelMemory(std::chrono::seconds(0)); }

    void theNextPictureOfTheSameSizeTakesTheMemoryLetGo()
    {
#ifndef Q_OS_LINUX
        QSKIP("the memory of shots is kept for the next one on Linux only");
#else
        const uchar* first = nullptr;
        {
            QImage picture = newRgb32Image(2000, 1500);
            QVERIFY(!picture.isNull());
            picture.fill(Qt::red); // pixels set, as a decoder sets them
            first = picture.constBits();
        }
        QImage next = newRgb32Image(2000, 1500);
        QCOMPARE(next.constBits(), first);
        QCOMPARE(next.size(), QSize(2000, 1500));
        QCOMPARE(next.bytesPerLine(), 2000 * 4);
        // Another size gets memory of its own, whole: the spare of another
        // size is never handed out for it.
        next = QImage();
        QImage other = newRgb32Image(3000, 2000);
        QVERIFY(other.constBits() != first);
        other.fill(Qt::blue);
        QCOMPARE(other.pixel(2999, 1999), QColor(Qt::blue).rgb());
#endif
    }

    void theSpareGoesBackWhenAsked()
    {
#ifndef Q_OS_LINUX
        QSKIP("the memory of shots is kept for the next one on Linux only");
#else
        const uchar* first = newRgb32Image(2000, 1500).constBits();
        releaseSparePixelMemory(std::chrono::seconds(60)); // kept: too young
        const uchar* again = newRgb32Image(2000, 1500).constBits();
        QCOMPARE(again, first);
        releaseSparePixelMemory(std::chrono::seconds(0));
        // Given back: nothing to take. (The system may give the same
        // addresses again; what matters is that no spare is held.)
        QImage fresh = newRgb32Image(2000, 1500);
        QVERIFY(!fresh.isNull());
#endif
    }

    void smallPicturesAreLeftToQt()
    {
        const QImage small = newRgb32Image(300, 200);
        QCOMPARE(small.size(), QSize(300, 200));
        QCOMPARE(small.format(), QImage::Format_RGB32);
    }
};

QTEST_GUILESS_MAIN(TestPixelMemory)
#include "tst_pixelmemory.moc"
