// The keys of the photographer's free hand, through the real window.
#include "app/MainWindow.h"
#include "support/WatcherTestCase.h"

#include <QLineEdit>
#include <QTest>

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
        QCOMPARE(F->T_ImageReference.text(), QStringLiteral("IMG_0001.JPG"));

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
        put(QStringLiteral("IMG_0001.JPG"), makeJpeg(300, 200, Qt::red, Qt::red));
        start();
        F->gestures.B_Select_Click();
        const Picture reference = F->P_ImgRef.picture();
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(300, 200, Qt::blue, Qt::blue));
        tick();
        const Picture current = F->P_ImgLast.picture();
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
        // A click elsewhere in the window leaves it too.
        box->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), box);
        QTest::mouseClick(F->P_Fond.widget(), Qt::LeftButton);
        QVERIFY(QApplication::focusWidget() != box);
    }
};

QTEST_MAIN(TestShortcuts)
#include "tst_shortcuts.moc"
