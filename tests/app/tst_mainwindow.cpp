// The main window's controls, its layout and the looks of its picture buttons.
#include "app/MainWindow.h"
#include "dialogs/ReceptionDirDialog.h"
#include "support/WindowFixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kelvaris;
using kelvaris::test::ProgramFixture;
using kelvaris::test::WindowTestCase;

namespace {

void press(Control& control, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(control.widget(), button, {}, QPoint(5, 5));
}
void release(Control& control, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(5, 5))
{
    QTest::mouseRelease(control.widget(), button, {}, at);
}

} // namespace

class TestMainWindow : public WindowTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void designState()
    {
        QCOMPARE(F->windowTitle(), QStringLiteral("Kelvaris"));
        QVERIFY(!F->windowIcon().isNull());
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QCOMPARE(F->TM_TimerRead.interval(), 1000);
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));
        for (TextBox* box : {&F->T_FichierImage, &F->T_NbImg, &F->T_Qualite, &F->T_ImageCourante,
                             &F->T_ImageReference})
            QVERIFY(box->text().isEmpty());
        QVERIFY(!F->SH_CurseurLast.widget()->isVisible());
        QVERIFY(!F->SH_CurseurRef.widget()->isVisible());
        QVERIFY(!F->P_ImgTampon.widget()->isVisible());
        QVERIFY(!F->P_StartOn.widget()->isVisible());
        QVERIFY(!F->P_ImgLast.picture());
        QCOMPARE(F->P_ImgLast.width(), 20000.f);
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
        QCOMPARE(F->B_Start.picture(), F->P_StartOff.picture());
        QCOMPARE(F->B_Aide.picture(), F->P_HelpOff.picture());
        // Only the reception directory can be typed in.
        QVERIFY(!F->T_RepReception.lineEdit()->isReadOnly());
        QVERIFY(F->T_Qualite.lineEdit()->isReadOnly());
        QCOMPARE(F->P_ImgLast.widget()->toolTip(), QStringLiteral("Clic gauche pour recentrer"));
    }

    void textBoxesShowTheirDescendersAtTheDesignHeight()
    {
        // The directory box is 240 twips (16 px) high: "séance_2024" must not
        // read "séance 2024".
        QCOMPARE(F->T_RepReception.widget()->height(), 16);
        const auto shown = [this](const QString& text) {
            F->T_RepReception.setText(text);
            return F->T_RepReception.widget()->grab().toImage();
        };
        QVERIFY(shown(QStringLiteral("_")) != shown(QString()));
    }

    void everyControlIsFoundByItsName()
    {
        const char* names[] = {
            "P_Repertoire",     "B_Repertoire",     "T_RepReception",  "L_RepReception",
            "P_Commandes",      "B_State",          "B_Quit",          "B_Aide",
            "B_Stop",           "B_Start",          "P_Fond",          "P_Images",
            "B_Select",         "T_ImageReference", "T_ImageCourante", "L_ImageCourante",
            "L_ImageReference", "P_Infos",          "B_Reset",         "T_FichierImage",
            "T_NbImg",          "T_Qualite",        "T_QualiteMax",    "Label5",
            "Label6",           "L_NbImg",          "P_ImgTampon",     "P_BaseLast",
            "P_ImgLast",        "P_BaseRef",        "P_ImgRef",        "SH_CurseurRef",
            "SH_CurseurLast",   "I_ImgLast",        "P_SelectOn",      "P_StartOff"};
        for (const char* name : names)
            QVERIFY2(F->findChild<QWidget*>(QLatin1String(name)), name);
        QCOMPARE(F->findChild<QLabel*>(QStringLiteral("Label6"))->text(),
                 QStringLiteral("Qualité max :"));
        QCOMPARE(F->findChild<QLabel*>(QStringLiteral("L_ImageReference"))->text(),
                 QStringLiteral("Image de référence"));
        QVERIFY(F->findChild<QLabel*>(QStringLiteral("L_ImageCourante"))->font().bold());
    }

    void designSizeIsLaidOutAsWorkedOut()
    {
        // The design's inner size at 15 twips per pixel.
        QCOMPARE(F->scaleWidth(), 10890.f);
        QCOMPARE(F->P_Repertoire.width(), 6645.f);
        QCOMPARE(F->T_RepReception.width(), 3705.f);
        QCOMPARE(F->P_Commandes.left(), 6735.f);
        QCOMPARE(F->B_Repertoire.left(), 6180.f);
        QCOMPARE(F->P_Fond.width(), 10799.f);
        QCOMPARE(F->P_Fond.height(), 3949.f);
        QCOMPARE(F->P_BaseLast.left(), 3124.f);
        QCOMPARE(F->I_ImgLast.width(), 4551.f);
        QCOMPARE(F->T_FichierImage.width(), 2451.f);
        // Placed at the nearest pixels: 6203 / 15 = 413.5 -> 414.
        QCOMPARE(F->I_ImgLast.widget()->geometry(), QRect(414, 3, 303, 202));
        // Design positions that the layout leaves alone.
        QCOMPARE(F->B_Reset.left(), 3780.f);
        QCOMPARE(F->B_Start.left(), 180.f);
    }

    void smallWindowKeepsTheLastLayout()
    {
        F->resize(10740 / 15, 4425 / 15);
        // S = the smaller of (10740 - 270) * 2 / 7 and 4425 - 1515, so 2910.
        QTRY_COMPARE(F->P_Fond.height(), 780.f + 2910 + 90 + 45);
        const float width = F->P_Fond.width();
        F->resize(10739 / 15, 4000 / 15);
        QTest::qWait(20);
        QCOMPARE(F->P_Fond.width(), width);
    }

    void startAndStopAreALatchedPair()
    {
        press(F->B_Start);
        QCOMPARE(F->B_Start.picture(), F->P_StartOn.picture());
        QCOMPARE(F->B_Stop.picture(), F->P_StopOff.picture());
        // Released outside: no click, the look stays pressed.
        release(F->B_Start, Qt::LeftButton, QPoint(-50, -50));
        QCOMPARE(F->B_Start.picture(), F->P_StartOn.picture());
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QVERIFY(app->program.messages.empty());

        press(F->B_Stop, Qt::RightButton);
        QCOMPARE(F->B_Start.picture(), F->P_StartOff.picture());
        QCOMPARE(F->B_Stop.picture(), F->P_StopOn.picture());
        release(F->B_Stop, Qt::RightButton, QPoint(-50, -50));
        QCOMPARE(F->B_Stop.picture(), F->P_StopOff.picture());
    }

    void momentaryButtonsAndTheInertOne()
    {
        press(F->B_Reset, Qt::MiddleButton);
        QCOMPARE(F->B_Reset.picture(), F->P_ResetOn.picture());
        release(F->B_Reset, Qt::MiddleButton);
        QCOMPARE(F->B_Reset.picture(), F->P_ResetOff.picture());
        press(F->B_Select);
        QCOMPARE(F->B_Select.picture(), F->P_SelectOn.picture());
        release(F->B_Select);
        QCOMPARE(F->B_Select.picture(), F->P_SelectOff.picture());
        QTest::mouseClick(F->B_Aide.widget(), Qt::LeftButton);
        QCOMPARE(F->B_Aide.picture(), F->P_HelpOff.picture());
        // The stores keep their pictures: a look is shared, not moved.
        QVERIFY(F->P_SelectOn.picture());
        QCOMPARE(F->P_SelectOn.picture()->size(), QSize(38, 26));
    }

    void resetSetsTheBestFigureBackToZero()
    {
        F->T_QualiteMax.setText(QStringLiteral("9876"));
        QTest::mouseClick(F->B_Reset.widget(), Qt::LeftButton);
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));
    }

    void quitWithTheDialogOpenSavesTheBoxsText()
    {
        QTest::mouseClick(F->B_Repertoire.button(), Qt::LeftButton);
        ReceptionDirDialog* FR = openReceptionDirDialog();
        QVERIFY(FR);
        QVERIFY(FR->isVisible());
        // The main window stays usable; "..." again brings the same dialog forward.
        F->T_RepReception.setText(QStringLiteral("/photos/séance"));
        QTest::mouseClick(F->B_Repertoire.button(), Qt::LeftButton);
        QCOMPARE(openReceptionDirDialog(), FR);
        F->B_Quit_Click();
        QCOMPARE(app->program.ended, 1);
        QVERIFY(app->program.iniBytes().contains("RepBase=/photos/s\xe9"
                                                 "ance\r\n"));
        delete FR;
    }

    void quitEndsWithItsPressedLook()
    {
        QTest::mouseClick(F->B_Quit.widget(), Qt::LeftButton);
        QCOMPARE(F->B_Quit.picture(), F->P_QuitOn.picture());
        QCOMPARE(app->program.ended, 1);
    }

    void startOnAMissingDirectoryStaysStopped_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << QStringLiteral("Aucun répertoire");
        QTest::newRow("missing") << QStringLiteral("/no/such/dir")
                                 << QStringLiteral("«\u00a0/no/such/dir\u00a0»");
    }
    void startOnAMissingDirectoryStaysStopped()
    {
        QFETCH(QString, directory);
        QFETCH(QString, message);
        F->T_RepReception.setText(directory);
        QTest::mouseClick(F->B_Start.widget(), Qt::LeftButton);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QCOMPARE(F->B_Start.picture(), F->P_StartOff.picture());
        QCOMPARE(app->program.messages.size(), size_t(1));
        QVERIFY2(app->program.messages[0].text.contains(message),
                 qPrintable(app->program.messages[0].text));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
