// Reading one setting: values as long as the longest path, cut only on a
// whole character.
#include "platform/Ansi.h"
#include "settings/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>

using namespace kelvaris;

namespace {

#if defined(Q_OS_WIN)
// A long path holds 32767 UTF-16 units, 3 bytes each at most in UTF-8.
constexpr int LongestPathBytes = 3 * 32767;
#elif defined(PATH_MAX)
constexpr int LongestPathBytes = PATH_MAX - 1; // PATH_MAX counts the terminator
#else
constexpr int LongestPathBytes = 4095;
#endif

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_settings.SettingsFilePath = m_dir.filePath(QStringLiteral("kelvaris.ini"));
    }

    void valueAsLongAsTheLongestPathReadsWhole_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("Windows-1252") << QStringLiteral("é").repeated(LongestPathBytes);
        QTest::newRow("UTF-8") << QStringLiteral("x") +
                                      QStringLiteral("ω").repeated((LongestPathBytes - 1) / 2);
    }
    void valueAsLongAsTheLongestPathReadsWhole()
    {
        QFETCH(QString, value);
        QVERIFY(toAnsi(value).size() <= LongestPathBytes);
        store(value);
        QCOMPARE(m_settings.ReadSetting(setting::RepBase), value);
    }

    void longerValueIsCutOnAWholeCharacter_data()
    {
        QTest::addColumn<QString>("value");
        // Whichever byte the cut falls after, the part kept is whole text,
        // never a character cut in two and read as Windows-1252 bytes.
        QTest::newRow("Windows-1252") << QStringLiteral("é").repeated(LongestPathBytes + 9);
        // Characters of two, three and four bytes, shifted by one ASCII byte
        // at a time so that the cut falls at every place within one.
        for (const QString& letter :
             {QStringLiteral("ω"), QStringLiteral("日"), QStringLiteral("😀")}) {
            for (int shift = 0; shift < toAnsi(letter).size(); ++shift)
                QTest::addRow("%s shifted by %d", qPrintable(letter), shift)
                    << QString(shift, QLatin1Char('x')) + letter.repeated(LongestPathBytes);
        }
    }
    void longerValueIsCutOnAWholeCharacter()
    {
        QFETCH(QString, value);
        store(value);
        const QString read = m_settings.ReadSetting(setting::RepBase);
        QVERIFY(value.startsWith(read));
        QVERIFY(!read.isEmpty() && !read.back().isHighSurrogate());
        // No more than the one character cut short is lost.
        QVERIFY(toAnsi(read).size() > LongestPathBytes - 4);
        QVERIFY(toAnsi(read).size() <= LongestPathBytes);
    }

private:
    void store(const QString& value)
    {
        QFile file(m_settings.SettingsFilePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[R\xe9pertoires]\r\nRepBase=" + toAnsi(value) + "\r\n");
    }

    QTemporaryDir m_dir;
    Settings m_settings;
};

QTEST_APPLESS_MAIN(TestSettings)
#include "tst_settings.moc"
