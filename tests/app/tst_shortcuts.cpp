// The keys of the photographer's free hand, through the real window.
#include "app/MainWindow.h"
#include "dialogs/ReceptionDirDialog.h"
#include "support/WatcherTestCase.h"

#include <QLineEdit>
#include <QTest>

#include <utility>

using namespace kelvaris;
using kelvaris::test::makeJpeg;
using kelvaris::test::WatcherTestCase;

class TestShortcuts : public WatcherTestCase
{
    Q_OBJECT

    // Keys go where the user's would: to the widget that has the focus.
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {})
    {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : F;
        QTest::keyClick(target, key, modifiers);
    }

    // A red shot made the reference, then a blue one shown as the current
    // shot: the pictures of both.
    std::pair<Picture, Picture> referenceAndCurrent()
    {
        put(QStringLiteral("IMG_0001.JPG"), makeJpeg(300, 200, Qt::red, Qt::red));
        start();
        F->gestures.B_Select_Click();
        const Picture reference = F->P_ImgRef.picture();
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(300, 200, Qt::blue, Qt::blue));
        tick();
        return {reference, F->P_ImgLast.picture()};
    }

private slots:
    void init()
    {
        QVERIFY(openWatcher());
        F->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(F));
        F->T_RepReception.setText(reception->path());
    }
    void cleanup() { closeWatcher(); }

    void startStopSelectAndResetFromTheKeyboard()
    {
        put(QStringLiteral("IMG_0001.JPG"), makeJpeg(300, 200, Qt::red, Qt::white, 40));
        // Ready at once: the box does not hold the focus at start.
        QVERIFY(QApplication::focusWidget() != F->T_RepReception.lineEdit());
        key(Qt::Key_F5);
        QVERIFY(F->TM_TimerRead.isEnabled());
        QVERIFY(settle());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->B_Start.picture(), F->P_StartOn.picture());

        key(Qt::Key_S);
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->P_ImgRef.picture(), F->P_ImgLast.picture());
        QCOMPARE(F->B_Select.picture(), F->P_SelectOff.picture());

        // B: the sharpest shot of the region, the only one here, is the reference.
        F->gestures.showReference(nullptr, QString());
        QTRY_VERIFY(!F->focus.isMeasuring());
        key(Qt::Key_B);
        QTRY_COMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0001.JPG"));

        QVERIFY(F->T_QualiteMax.text() != QStringLiteral("0"));
        key(Qt::Key_R);
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));

        key(Qt::Key_Escape);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QCOMPARE(F->B_Start.picture(), F->P_StartOff.picture());
        QCOMPARE(F->B_Stop.picture(), F->P_StopOff.picture());
        // Another program's shortcut is not ours.
        key(Qt::Key_R, Qt::ControlModifier);
        key(Qt::Key_F5, Qt::AltModifier);
        QVERIFY(!F->TM_TimerRead.isEnabled());
    }

    void spaceHeldBlinksTheReferenceIn()
    {
        const auto [reference, current] = referenceAndCurrent();
        QWidget* target = QApplication::focusWidget();
        QTest::keyPress(target, Qt::Key_Space);
        QCOMPARE(F->P_ImgLast.picture(), reference);
        // Held, the key repeats: the blink stays.
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "),
                         true);
        QApplication::sendEvent(target, &repeat);
        QCOMPARE(F->P_ImgLast.picture(), reference);
        // Select waits for the blink's end: the current pane shows the reference.
        key(Qt::Key_S);
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0001.JPG"));
        QTest::keyRelease(target, Qt::Key_Space);
        QCOMPARE(F->P_ImgLast.picture(), current);
        QVERIFY(!F->gestures.SwapHeld);
    }

    // Espace and the right button on the current pane, in every order: a
    // blink already held ignores the other's start, and the release of what
    // was ignored ends nothing. The hidden buffer keeps the current shot.
    void spaceAndRightButtonTogether_data()
    {
        QTest::addColumn<QString>("steps"); // S Espace, R right button; + down, - up
        QTest::addColumn<QString>("shown"); // after each step: r reference, c current
        QTest::newRow("Espace holds, right click inside") << "S+ R+ R- S-"
                                                          << "r r r c";
        QTest::newRow("right holds, Espace inside") << "R+ S+ S- R-"
                                                    << "r r r c";
        QTest::newRow("Espace first, released first") << "S+ R+ S- R-"
                                                      << "r r c c";
        QTest::newRow("right first, released first") << "R+ S+ R- S-"
                                                     << "r r c c";
        QTest::newRow("two blinks, one after the other") << "S+ S- R+ R-"
                                                         << "r c r c";
    }
    void spaceAndRightButtonTogether()
    {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        const auto [reference, current] = referenceAndCurrent();
        QVERIFY(current != reference);
        F->P_ImgLast.setLeft(-40);
        F->P_ImgRef.setLeft(-75);
        QWidget* target = QApplication::focusWidget();
        QWidget* pane = F->P_ImgLast.widget();

        const QStringList step = steps.split(QLatin1Char(' '));
        const QStringList expected = shown.split(QLatin1Char(' '));
        for (qsizetype i = 0; i < step.size(); ++i) {
            const bool down = step[i].endsWith(QLatin1Char('+'));
            if (step[i].startsWith(QLatin1Char('S')))
                QTest::sendKeyEvent(down ? QTest::Press : QTest::Release, target, Qt::Key_Space,
                                    ' ', Qt::NoModifier);
            else if (down)
                QTest::mousePress(pane, Qt::RightButton, {}, QPoint(20, 20));
            else
                QTest::mouseRelease(pane, Qt::RightButton, {}, QPoint(20, 20));
            const QString where = QStringLiteral("after %1").arg(step[i]);
            if (expected[i] == QStringLiteral("r")) {
                QVERIFY2(F->P_ImgLast.picture() == reference, qPrintable(where));
                QVERIFY2(F->P_ImgTampon.picture() == current, qPrintable(where));
                QCOMPARE(F->P_ImgLast.left(), -75.f);
            } else {
                QVERIFY2(F->P_ImgLast.picture() == current, qPrintable(where));
                QVERIFY2(!F->gestures.SwapHeld, qPrintable(where));
                QCOMPARE(F->P_ImgLast.left(), -40.f);
            }
        }
    }

    void tabGivesAButtonEspace()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        F->T_RepReception.setText(reception->path());
        // From the directory box, Tab goes to "...", then to Start.
        QLineEdit* box = F->T_RepReception.lineEdit();
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), F->B_Repertoire.widget());
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), F->B_Start.widget());
        // Espace presses Start, with its look, and its release clicks it;
        // no blink meanwhile.
        QTest::keyPress(F->B_Start.widget(), Qt::Key_Space);
        QCOMPARE(F->B_Start.picture(), F->P_StartOn.picture());
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QVERIFY(!F->gestures.SwapHeld);
        QTest::keyRelease(F->B_Start.widget(), Qt::Key_Space);
        QVERIFY(F->TM_TimerRead.isEnabled());
        QVERIFY(settle());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        // The other keys keep their work; Tab goes on to Stop, which Espace presses.
        key(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), F->B_Stop.widget());
        key(Qt::Key_Space);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QCOMPARE(F->B_Stop.picture(), F->P_StopOff.picture());
        // "..." answers Espace too: it opens the folder window.
        key(Qt::Key_Backtab);
        key(Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), F->B_Repertoire.widget());
        key(Qt::Key_Space);
        QTRY_VERIFY(openReceptionDirDialog());
        openReceptionDirDialog()->unload();
    }

    void aClickOnAButtonLeavesEspaceToTheBlink()
    {
        put(QStringLiteral("IMG_0001.JPG"), makeJpeg(300, 200, Qt::red, Qt::red));
        F->T_RepReception.setText(reception->path());
        // Start clicked with the mouse takes no focus: Espace is the blink.
        QTest::mouseClick(F->B_Start.widget(), Qt::LeftButton);
        QVERIFY(F->TM_TimerRead.isEnabled());
        QVERIFY(QApplication::focusWidget() != F->B_Start.widget());
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(F->gestures.SwapHeld);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(!F->gestures.SwapHeld);
        // Nor does "...": its window opens, and Espace back here blinks.
        QTest::mouseClick(F->B_Repertoire.widget(), Qt::LeftButton);
        QTRY_VERIFY(openReceptionDirDialog());
        openReceptionDirDialog()->unload();
        F->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(F));
        QVERIFY(QApplication::focusWidget() != F->B_Repertoire.widget());
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(F->gestures.SwapHeld);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
        // A click on the button that Tab gave the focus to takes the focus back.
        F->B_Stop.widget()->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), F->B_Stop.widget());
        QTest::mouseClick(F->B_Stop.widget(), Qt::LeftButton);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QVERIFY(QApplication::focusWidget() != F->B_Stop.widget());
        QTest::keyPress(QApplication::focusWidget(), Qt::Key_Space);
        QVERIFY(F->gestures.SwapHeld);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Space);
    }

    void keysInAnotherWindowAreNotTheMainWindows()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        F->T_RepReception.setText(reception->path());
        F->B_Repertoire.widget()->setFocus(Qt::TabFocusReason);
        key(Qt::Key_Space);
        QTRY_VERIFY(openReceptionDirDialog());
        ReceptionDirDialog* dialog = openReceptionDirDialog();
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QWidget* inDialog = QApplication::focusWidget();
        QVERIFY(inDialog && inDialog->window() == dialog);
        for (const Qt::Key k : {Qt::Key_F5, Qt::Key_S, Qt::Key_R, Qt::Key_Space})
            QTest::keyClick(inDialog, k);
        QTest::keyPress(inDialog, Qt::Key_Space);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QVERIFY(!F->gestures.SwapHeld);
        QCOMPARE(F->T_ImageReference.text(), QString());
        QTest::keyRelease(inDialog, Qt::Key_Space);
        dialog->unload();
    }

    void theDirectoryBoxKeepsItsKeys()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        QLineEdit* box = F->T_RepReception.lineEdit();
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        box->setText(QString());
        QTest::keyClicks(box, QStringLiteral("rs s"));
        QCOMPARE(box->text(), QStringLiteral("rs s"));
        key(Qt::Key_F5);
        QVERIFY(!F->TM_TimerRead.isEnabled());
        // Entrée leaves the box; the keys are the window's again.
        box->setText(reception->path());
        key(Qt::Key_Return);
        QVERIFY(QApplication::focusWidget() != box);
        key(Qt::Key_F5);
        QVERIFY(F->TM_TimerRead.isEnabled());
        // A click in the box, to place the caret, keeps the keys there.
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        F->watcher.B_Stop_Click();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(3, box->height() / 2));
        QCOMPARE(QApplication::focusWidget(), box);
        box->setText(QString());
        QTest::keyClicks(box, QStringLiteral("rs"));
        key(Qt::Key_F5);
        QCOMPARE(box->text(), QStringLiteral("rs"));
        QVERIFY(!F->TM_TimerRead.isEnabled());
        // A click elsewhere in the window leaves it.
        QTest::mouseClick(F->P_Fond.widget(), Qt::LeftButton);
        QVERIFY(QApplication::focusWidget() != box);
    }
};

QTEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"
