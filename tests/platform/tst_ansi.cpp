#include "platform/Ansi.h"

#include <QtTest>

using namespace kelvaris;

class TestAnsi : public QObject
{
    Q_OBJECT

private slots:
    void codePage_data();
    void codePage();
    void everyByteRoundTrips();
    void outsideCodePage_data();
    void outsideCodePage();
    void fallbackRoundTrip_data();
    void fallbackRoundTrip();
    void decodingChoice_data();
    void decodingChoice();
};

void TestAnsi::codePage_data()
{
    QTest::addColumn<QByteArray>("byte");
    QTest::addColumn<uint>("unicode");

    QTest::newRow("ascii") << QByteArray("A") << 0x41u;
    QTest::newRow("euro") << QByteArray("\x80") << 0x20ACu;
    QTest::newRow("undefined 81") << QByteArray("\x81") << 0x81u;
    QTest::newRow("low quote") << QByteArray("\x82") << 0x201Au;
    QTest::newRow("florin") << QByteArray("\x83") << 0x192u;
    QTest::newRow("circumflex") << QByteArray("\x88") << 0x2C6u;
    QTest::newRow("S caron") << QByteArray("\x8A") << 0x160u;
    QTest::newRow("OE") << QByteArray("\x8C") << 0x152u;
    QTest::newRow("undefined 8D") << QByteArray("\x8D") << 0x8Du;
    QTest::newRow("Z caron") << QByteArray("\x8E") << 0x17Du;
    QTest::newRow("undefined 8F") << QByteArray("\x8F") << 0x8Fu;
    QTest::newRow("undefined 90") << QByteArray("\x90") << 0x90u;
    QTest::newRow("right quote") << QByteArray("\x92") << 0x2019u;
    QTest::newRow("em dash") << QByteArray("\x97") << 0x2014u;
    QTest::newRow("small tilde") << QByteArray("\x98") << 0x2DCu;
    QTest::newRow("trade mark") << QByteArray("\x99") << 0x2122u;
    QTest::newRow("undefined 9D") << QByteArray("\x9D") << 0x9Du;
    QTest::newRow("Y diaeresis") << QByteArray("\x9F") << 0x178u;
    QTest::newRow("nbsp") << QByteArray("\xA0") << 0xA0u;
    QTest::newRow("e acute") << QByteArray("\xE9") << 0xE9u;
    QTest::newRow("y diaeresis") << QByteArray("\xFF") << 0xFFu;
}

void TestAnsi::codePage()
{
    QFETCH(QByteArray, byte);
    QFETCH(uint, unicode);

    const QString text = fromWindows1252(byte);
    QCOMPARE(text.size(), 1);
    QCOMPARE(uint(text.at(0).unicode()), unicode);
    bool lossless = false;
    QCOMPARE(toWindows1252(text, &lossless), byte);
    QVERIFY(lossless);
}

void TestAnsi::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0x20; b <= 0xFF; ++b) {
        const QByteArray one(1, char(b));
        QCOMPARE(toAnsi(fromAnsi(one)), one);
        QCOMPARE(toWindows1252(fromWindows1252(one)), one);
        all.append(one);
    }
    QCOMPARE(toAnsi(fromAnsi(all)), all);
    // The whole code page is 224 distinct characters.
    const QString text = fromAnsi(all);
    QCOMPARE(text.size(), all.size());
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), text.size());
}

void TestAnsi::outsideCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("cyrillic") << QStringLiteral("a\u0444b") << QByteArray("a?b");
    QTest::newRow("C1 control 80 is not euro") << QStringLiteral("\u0080") << QByteArray("?");
    QTest::newRow("A macron") << QStringLiteral("\u0100") << QByteArray("?");
    QTest::newRow("emoji is one character")
        << QString::fromUtf8("x\xF0\x9F\x93\xB7y") << QByteArray("x?y");
}

void TestAnsi::outsideCodePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);

    bool lossless = true;
    QCOMPARE(toWindows1252(text, &lossless), expected);
    QVERIFY(!lossless);
    QCOMPARE(toAnsi(text), text.toUtf8());
}

void TestAnsi::fallbackRoundTrip_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("cyrillic and japanese") << QString::fromUtf8("Фото/日本");
    QTest::newRow("mixed with code page") << QString::fromUtf8("/home/é/Фото €");
    QTest::newRow("emoji") << QString::fromUtf8("shot \xF0\x9F\x93\xB7");
    QTest::newRow("byte order mark") << QStringLiteral("\uFEFFx");
    QTest::newRow("code page only") << QString::fromUtf8("Café “quoted” – Œuvre");
    QTest::newRow("empty") << QString();
}

void TestAnsi::fallbackRoundTrip()
{
    QFETCH(QString, text);
    QCOMPARE(fromAnsi(toAnsi(text)), text);
}

void TestAnsi::decodingChoice_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    // Valid UTF-8, but of characters the code page holds: the file meant "Ã©".
    QTest::newRow("C3 A9") << QByteArray("\xC3\xA9") << QString::fromUtf8("Ã©");
    QTest::newRow("UTF-8 euro") << QByteArray("\xE2\x82\xAC") << QString::fromUtf8("â‚¬");
    QTest::newRow("invalid UTF-8") << QByteArray("\xE9t\xE9") << QString::fromUtf8("été");
    QTest::newRow("cut UTF-8") << QByteArray("\xD0\xA4\xD0") << QString::fromUtf8("Ð¤Ð");
    QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QString::fromUtf8("À¯");
    QTest::newRow("encoded surrogate")
        << QByteArray("\xED\xA0\x80") << fromWindows1252(QByteArray("\xED\xA0\x80"));
    QTest::newRow("UTF-8 cyrillic") << QByteArray("\xD0\xA4") << QString::fromUtf8("Ф");
}

void TestAnsi::decodingChoice()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(fromAnsi(bytes), expected);
}

QTEST_APPLESS_MAIN(TestAnsi)
#include "tst_ansi.moc"
