// The button bitmaps and the icon compiled into the program: every picture
// store finds its bitmap, in the format and size the buttons are laid out
// for, and pressed buttons look different from released ones.

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>
#include <QtTest>

namespace {

const QRgb kPanel = qRgb(224, 224, 224);

QString bitmapPath(const QString& store)
{
    return QStringLiteral(":/resources/%1.bmp").arg(store);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 u16(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

qint32 i32(const QByteArray& bytes, int offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

bool isPanel(const QImage& image, int top, int bottom)
{
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kPanel)
                return false;
    return true;
}

// A point inside the capsule, clear of its outline and of the glyph.
constexpr QPoint kCapsuleFill(8, 8);

} // namespace

class TestArt : public QObject
{
    Q_OBJECT

private slots:
    void bitmap_data();
    void bitmap();
    void pressedDiffersFromReleased_data();
    void pressedDiffersFromReleased();
    void icon();
};

void TestArt::bitmap_data()
{
    QTest::addColumn<QString>("store");
    QTest::addColumn<bool>("lettered");
    for (const char* name : {"Select", "Reset", "Quit", "Stop", "Help", "Start"}) {
        QTest::newRow(qPrintable(QStringLiteral("P_%1On").arg(name)))
            << QStringLiteral("P_%1On").arg(name) << true;
        QTest::newRow(qPrintable(QStringLiteral("P_%1Off").arg(name)))
            << QStringLiteral("P_%1Off").arg(name) << true;
    }
    QTest::newRow("P_Load") << QStringLiteral("P_Load") << true;
    QTest::newRow("P_Nopicture") << QStringLiteral("P_Nopicture") << false;
    QTest::newRow("P_Nothing") << QStringLiteral("P_Nothing") << false;
}

// Each bitmap is a plain 24-bit bottom-up BMP of 38 x 26 on the panel grey,
// with a word under the capsule unless it is one of the two blank stores.
void TestArt::bitmap()
{
    QFETCH(QString, store);
    QFETCH(bool, lettered);

    const QByteArray bytes = readAll(bitmapPath(store));
    QVERIFY2(!bytes.isEmpty(), qPrintable(bitmapPath(store) + " is not in the resources"));
    const int stride = (38 * 3 + 3) & ~3;
    QCOMPARE(bytes.size(), 14 + 40 + stride * 26);
    QVERIFY(bytes.startsWith("BM"));
    QCOMPARE(i32(bytes, 2), bytes.size());
    QCOMPARE(i32(bytes, 10), 54); // pixels straight after the headers
    QCOMPARE(i32(bytes, 14), 40); // BITMAPINFOHEADER
    QCOMPARE(i32(bytes, 18), 38); // width
    QCOMPARE(i32(bytes, 22), 26); // positive height: bottom-up rows
    QCOMPARE(int(u16(bytes, 28)), 24);
    QCOMPARE(i32(bytes, 30), 0); // uncompressed

    QImageReader reader(bitmapPath(store));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(38, 26));
    // The corners show the panel: the bitmap sits on it seamlessly.
    for (const QPoint corner : {QPoint(0, 0), QPoint(37, 0), QPoint(0, 25), QPoint(37, 25)})
        QCOMPARE(image.pixel(corner), kPanel);
    QVERIFY(!isPanel(image, 0, 15));             // the capsule
    QCOMPARE(!isPanel(image, 15, 26), lettered); // the word
}

void TestArt::pressedDiffersFromReleased_data()
{
    QTest::addColumn<QString>("name");
    for (const char* name : {"Select", "Reset", "Quit", "Stop", "Help", "Start"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

// A pressed button is orange, its released state grey, and the two show the
// same word so that the button does not seem to change its meaning.
void TestArt::pressedDiffersFromReleased()
{
    QFETCH(QString, name);
    const QImage pressed(bitmapPath(QStringLiteral("P_%1On").arg(name)));
    const QImage released(bitmapPath(QStringLiteral("P_%1Off").arg(name)));
    QVERIFY(!pressed.isNull());
    QVERIFY(!released.isNull());
    QVERIFY(pressed != released);
    QCOMPARE(pressed.copy(0, 15, 38, 11), released.copy(0, 15, 38, 11));

    const QRgb orange = pressed.pixel(kCapsuleFill);
    QVERIFY2(qRed(orange) > qGreen(orange) + 40 && qGreen(orange) > qBlue(orange) + 40,
             qPrintable(QColor(orange).name()));
    const QRgb grey = released.pixel(kCapsuleFill);
    QVERIFY2(qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey) && grey != kPanel,
             qPrintable(QColor(grey).name()));
}

// The window icon: one 48 x 48, 256-colour image whose outside is transparent.
void TestArt::icon()
{
    const QString path = QStringLiteral(":/resources/kelvaris.ico");
    const QByteArray bytes = readAll(path);
    QVERIFY2(bytes.size() > 22 + 40, qPrintable(path + " is not in the resources"));
    QCOMPARE(int(u16(bytes, 2)), 1); // an icon
    QCOMPARE(int(u16(bytes, 4)), 1); // one image
    QCOMPARE(int(u16(bytes, 12)), 8);
    QCOMPARE(i32(bytes, 22 + 8), 96); // XOR bitmap and AND mask
    QCOMPARE(int(u16(bytes, 22 + 14)), 8);

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("ico"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(48, 48));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(47, 47)), 0);
    QCOMPARE(qAlpha(image.pixel(24, 24)), 255);
    // It shows a red and a green crop square.
    bool red = false;
    bool green = false;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            const QRgb p = image.pixel(x, y);
            red = red || (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100);
            green = green || (qGreen(p) > 180 && qRed(p) < 100 && qBlue(p) < 100);
        }
    QVERIFY(red);
    QVERIFY(green);
}

QTEST_MAIN(TestArt)
#include "tst_art.moc"
