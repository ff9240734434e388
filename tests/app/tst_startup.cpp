// Start-up and Quit: the settings file read, the window restored, the
// settings written back, the missing-file messages.
#include "app/MainWindow.h"
#include "platform/Ansi.h"
#include "platform/Twips.h"
#include "support/Fixture.h"

#include <QScopeGuard>
#include <QTest>

#include <algorithm>
#include <memory>

#ifdef Q_OS_UNIX
#include "support/FifoWatch.h"
#endif

using namespace kelvaris;
using kelvaris::test::ProgramFixture;

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void missingFileShowsTwoMessagesThenEnds()
    {
        ProgramFixture program{QByteArray()};
        MainWindow F;
        QVERIFY(!F.Form_Load());
        QCOMPARE(program.ended, 1);
        QCOMPARE(program.messages.size(), size_t(2));
        const QString path = program.appDir() + QStringLiteral("/kelvaris.ini");
        QCOMPARE(program.messages[0].text, QStringLiteral("Fichier de conf : ") + path);
        QCOMPARE(program.messages[0].buttons, MessageButtons::Ok);
        QCOMPARE(program.messages[0].title, QStringLiteral("Kelvaris"));
        QCOMPARE(program.messages[1].text,
                 QStringLiteral("Fichier de configuration (kelvaris.ini) introuvable. Ce fichier "
                                "doit se trouver dans le même répertoire que l'exécutable de "
                                "l'application Ondel (") +
                     program.appDir() + QStringLiteral(" dans le cas présent)."));
        QCOMPARE(program.messages[1].buttons, MessageButtons::OkCancel);
        QCOMPARE(program.messages[1].title, QStringLiteral("Attention"));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!F.isVisible());
    }

    void settingsFileThatIsNoRegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"directory", "named pipe", "link to a device"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void settingsFileThatIsNoRegularFile()
    {
        // None can be read as a settings file: start-up refuses it at once
        // (a named pipe would keep it waiting for a writer for ever, and
        // /dev/zero never ends), and nothing is written into it.
        QFETCH(QString, kind);
        ProgramFixture program;
        QFile::remove(program.iniPath());
#ifdef Q_OS_UNIX
        std::unique_ptr<test::FifoWatch> pipe;
        if (kind == QLatin1String("named pipe")) {
            pipe = std::make_unique<test::FifoWatch>(program.iniPath());
            QVERIFY(pipe->made());
        } else if (kind == QLatin1String("link to a device")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), program.iniPath()));
        }
#else
        if (kind != QLatin1String("directory"))
            QSKIP("named pipes and devices as on Unix");
#endif
        if (kind == QLatin1String("directory"))
            QVERIFY(QDir(program.appDir()).mkdir(QStringLiteral("kelvaris.ini")));

        MainWindow F;
        QVERIFY(!F.Form_Load());
        QCOMPARE(program.ended, 1);
        QCOMPARE(program.messages.size(), size_t(2));
        F.B_Quit_Click();
#ifdef Q_OS_UNIX
        if (pipe) {
            QCOMPARE(pipe->readersSeen(), 0);
            QVERIFY(pipe->stillAPipe());
        }
#endif
        QVERIFY(!QFileInfo(program.iniPath()).isFile());
    }

    void roundTripOfDirectoryAndGeometry()
    {
        QTemporaryDir reception;
        const QByteArray ini =
            "[R\xe9pertoires]\r\nRepBase=" + QFile::encodeName(reception.path()) +
            "\r\n[Fenetre]\r\nWidth=12000\r\nHeight=8250\r\nTop=1500\r\n"
            "Left=1200\r\n";
        ProgramFixture program{ini};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.T_RepReception.text(), reception.path());
        QCOMPARE(F.outerWidth(), 12000.f);
        QCOMPARE(F.outerHeight(), 8250.f);
        QCOMPARE(F.outerTop(), 1500.f);
        QCOMPARE(F.outerLeft(), 1200.f);
        F.show();
        QVERIFY(QTest::qWaitForWindowExposed(&F));
        F.B_Quit_Click();
        QCOMPARE(program.ended, 1);
        // The same figures come back, each key rewritten in place.
        QCOMPARE(program.iniBytes(), ini);
    }

    void aNameAloneOnItsLineHidesNotTheDirectory()
    {
        // A hand edit left "RepBase" alone on a line above the real one.
        QTemporaryDir reception;
        const QByteArray dir = QFile::encodeName(reception.path());
        ProgramFixture program{"[R\xe9pertoires]\r\nRepBase\r\nRepBase=" + dir + "\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.T_RepReception.text(), reception.path());
        F.watcher.B_Start_Click();
        QVERIFY(F.TM_TimerRead.isEnabled());
        QCOMPARE(F.L_Avis.caption(), QString());
        F.watcher.B_Stop_Click();
        // Quit rewrites the real line and leaves the lone name as it was.
        F.B_Quit_Click();
        QVERIFY(program.iniBytes().startsWith("[R\xe9pertoires]\r\nRepBase\r\nRepBase=" + dir +
                                              "\r\n[Fenetre]\r\n"));
    }

    void firstStartAddsTheWindowSection()
    {
        ProgramFixture program{"[R\xe9pertoires]\r\nRepBase=\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.scaleWidth(), 10890.f);
        QCOMPARE(F.scaleHeight(), 7755.f);
        F.B_Quit_Click();
        const QByteArray bytes = program.iniBytes();
        QVERIFY(bytes.startsWith("[R\xe9pertoires]\r\nRepBase=\r\n[Fenetre]\r\nWidth=10890\r\n"
                                 "Height=7755\r\nTop="));
        QVERIFY(bytes.contains("\r\nLeft="));
    }

    void vanishedDirectoryStartsEmptyAndIsRewritten()
    {
        ProgramFixture program{"[R\xe9pertoires]\nRepBase=/no/such/folder/anywhere\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.T_RepReception.text(), QString());
        F.B_Quit_Click();
        QVERIFY(program.iniBytes().startsWith("[R\xe9pertoires]\nRepBase=\n[Fenetre]\nWidth="));
    }

    void editedTextIsSavedAsIs()
    {
        ProgramFixture program;
        MainWindow F;
        QVERIFY(F.Form_Load());
        F.T_RepReception.setText(QStringLiteral("pas un répertoire"));
        F.B_Quit_Click();
        QVERIFY(program.iniBytes().contains("RepBase=pas un r\xe9pertoire\r\n"));
    }

    void directoryOutsideTheCodePageSurvivesARestart()
    {
        QTemporaryDir parent;
        const QString name = parent.path() + QStringLiteral("/Фото 日本");
        QVERIFY(QDir().mkpath(name));
        ProgramFixture program;
        {
            MainWindow F;
            QVERIFY(F.Form_Load());
            F.T_RepReception.setText(name);
            F.B_Quit_Click();
        }
        MainWindow again;
        QVERIFY(again.Form_Load());
        QCOMPARE(again.T_RepReception.text(), name);
    }

    void longDirectorySurvivesARestart_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("length");
        // Longer than 253 bytes: once a fixed read buffer cut them, the
        // directory was not found and Quit wrote it back empty.
        QTest::newRow("300 characters") << QStringLiteral("d") << 300;
        QTest::newRow("Greek, stored as UTF-8") << QStringLiteral("φωτογραφίες") << 150;
    }
    void longDirectorySurvivesARestart()
    {
        QFETCH(QString, letters);
        QFETCH(int, length);
        QTemporaryDir parent(QDir::tempPath() + QStringLiteral("/k-XXXXXX"));
        QString name = parent.path();
        while (name.size() < length) // components well under the 255 bytes a name may have
            name += QLatin1Char('/') +
                    letters.repeated(60).left(std::min<qsizetype>(60, length - name.size() - 1));
        QVERIFY(QDir().mkpath(name));
        QVERIFY(toAnsi(name).size() > 253);

        ProgramFixture program{"[R\xe9pertoires]\r\nRepBase=" + toAnsi(name) + "\r\n"};
        {
            MainWindow F;
            QVERIFY(F.Form_Load());
            QCOMPARE(F.T_RepReception.text(), name);
            F.B_Quit_Click();
        }
        QVERIFY(program.iniBytes().startsWith("[R\xe9pertoires]\r\nRepBase=" + toAnsi(name) +
                                              "\r\n[Fenetre]"));
        MainWindow again;
        QVERIFY(again.Form_Load());
        QCOMPARE(again.T_RepReception.text(), name);
    }

    void badGeometryValues_data()
    {
        QTest::addColumn<QByteArray>("window");
        QTest::newRow("empty values") << QByteArray("Width=\r\nHeight=\r\nTop=\r\nLeft=\r\n");
        QTest::newRow("words") << QByteArray("Width=large\r\nHeight=12px\r\nTop=x\r\nLeft=--3\r\n");
        QTest::newRow("missing marker") << QByteArray("Width=###\r\nHeight=###\r\n");
        QTest::newRow("garbage") << QByteArray("Width=\x01\x02\xff\r\nHeight=1e999\r\n");
    }
    void badGeometryValues()
    {
        // Values that are no numbers leave the design size in force.
        QFETCH(QByteArray, window);
        ProgramFixture program{"[Fenetre]\r\n" + window};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.scaleWidth(), 10890.f);
        QCOMPARE(F.scaleHeight(), 7755.f);
    }

    void placeOffEveryScreenIsNotApplied()
    {
        ProgramFixture program{"[Fenetre]\r\nWidth=11250\r\nHeight=8250\r\nTop=-90000\r\n"
                               "Left=-90000\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        // The stored size holds; the window opens where the system puts it.
        QCOMPARE(F.outerWidth(), 11250.f);
        QVERIFY(F.outerLeft() > -90000);
    }

    void absurdSizesAreKeptWithinTheDesktop()
    {
        ProgramFixture program{"[Fenetre]\r\nWidth=1e30\r\nHeight=-5\r\nTop=1e12\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        const QSize desktop = F.screen()->virtualSize();
        QVERIFY(F.width() >= 1 && F.width() <= desktop.width());
        QVERIFY(F.height() >= 1 && F.height() <= desktop.height());
        F.show();
        QVERIFY(QTest::qWaitForWindowExposed(&F));
    }

    void tinyStoredSizeIsHeldAtTheMinimumTrackingSize_data()
    {
        QTest::addColumn<double>("twipsPerPixel");
        QTest::addColumn<QByteArray>("width");
        QTest::addColumn<QByteArray>("height");
        QTest::addColumn<QSize>("outer");
        // Windows lets a sizable window with a caption be no smaller than
        // its minimum tracking size, 136 x 39 pixels at 96 DPI, scaled with
        // the DPI: enough to keep its caption and buttons within reach.
        QTest::newRow("negative") << 15.0 << QByteArray("-5") << QByteArray("-5") << QSize(136, 39);
        QTest::newRow("a pixel under")
            << 15.0 << QByteArray("2025") << QByteArray("570") << QSize(136, 39);
        QTest::newRow("width only")
            << 15.0 << QByteArray("15") << QByteArray("3000") << QSize(136, 200);
        QTest::newRow("above it") << 15.0 << QByteArray("2100") << QByteArray("600")
                                  << QSize(140, 40);
        QTest::newRow("144 DPI") << 10.0 << QByteArray("-5") << QByteArray("100") << QSize(204, 59);
    }
    void tinyStoredSizeIsHeldAtTheMinimumTrackingSize()
    {
        QFETCH(double, twipsPerPixel);
        QFETCH(QByteArray, width);
        QFETCH(QByteArray, height);
        QFETCH(QSize, outer);
        setTwipsPerPixelForTesting(twipsPerPixel);
        const auto restore = qScopeGuard([] { setTwipsPerPixelForTesting(0); });
        ProgramFixture program{"[Fenetre]\r\nWidth=" + width + "\r\nHeight=" + height + "\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        F.show();
        QVERIFY(QTest::qWaitForWindowExposed(&F));
        QTRY_COMPARE(F.frameGeometry().size(), outer);
        // The window reports, and Quit stores, the size it really has.
        QCOMPARE(F.outerWidth(), float(outer.width() * twipsPerPixel));
        QCOMPARE(F.outerHeight(), float(outer.height() * twipsPerPixel));
    }

    void fractionalAndNegativeValuesReadBackExactly()
    {
        ProgramFixture program{"[Fenetre]\r\nWidth=12007.5\r\nTop=-30\r\nLeft=15,5\r\n"};
        MainWindow F;
        QVERIFY(F.Form_Load());
        QCOMPARE(F.outerWidth(), 12007.5f);
        QCOMPARE(F.outerTop(), -30.f);
        QCOMPARE(F.outerLeft(), 15.5f);
        F.B_Quit_Click();
        const QByteArray bytes = program.iniBytes();
        QVERIFY(bytes.contains("Width=12007.5\r\n"));
        QVERIFY(bytes.contains("Top=-30\r\n"));
    }

    void readOnlySettingsFileIsUntouchedAndQuitStillEnds()
    {
        ProgramFixture program{"[Fenetre]\r\nWidth=12000\r\n"};
        // A file without write permission stays as it is, even for root.
        QFile::setPermissions(program.iniPath(), QFile::ReadOwner | QFile::ReadGroup);
        MainWindow F;
        QVERIFY(F.Form_Load());
        F.B_Quit_Click();
        QCOMPARE(program.ended, 1);
        QCOMPARE(program.iniBytes(), QByteArray("[Fenetre]\r\nWidth=12000\r\n"));
    }

    void closeBoxDoesWhatQuitDoes()
    {
        ProgramFixture program;
        MainWindow F;
        QVERIFY(F.Form_Load());
        F.show();
        QVERIFY(QTest::qWaitForWindowExposed(&F));
        F.close();
        QCOMPARE(program.ended, 1);
        QVERIFY(program.iniBytes().contains("[Fenetre]"));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
