// Moving the window to a screen of another scale: a shot stays at one
// device pixel per picture pixel, and its cursor follows. Runs on two
// offscreen screens side by side, the second at twice the scale.
#include "app/MainWindow.h"
#include "support/WindowFixture.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>
#include <QWindow>

using namespace kelvaris;
using kelvaris::test::WindowTestCase;

namespace {

Picture shot(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return makePicture(std::move(image));
}

} // namespace

class TestScreens : public WindowTestCase
{
    Q_OBJECT

    // Moves the window onto `screen` and waits until it is there.
    bool moveTo(QScreen* screen)
    {
        F->move(screen->geometry().topLeft() + QPoint(20, 20));
        return QTest::qWaitFor([&] { return F->screen() == screen; });
    }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void picturesKeepOneDevicePixelPerPicturePixel()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        if (screens.size() < 2 || screens[1]->devicePixelRatio() != 2)
            QSKIP("this platform did not give the two screens the test asks for");
        QVERIFY(moveTo(screens[0]));
        F->gestures.showNewShot(shot(600, 400));
        F->gestures.B_Select_Click();
        QCOMPARE(F->P_ImgLast.width(), 600.f * 15);
        const float cursorAtOne = F->SH_CurseurLast.width();

        // Twice the scale: half as many twips for the same pixels.
        QVERIFY(moveTo(screens[1]));
        QTRY_COMPARE(F->P_ImgLast.width(), 300.f * 15);
        QCOMPARE(F->P_ImgLast.height(), 200.f * 15);
        QCOMPARE(F->P_ImgRef.width(), 300.f * 15);
        // The crop's cursor covers twice the share of the overview.
        QCOMPARE(F->SH_CurseurLast.width(), 2 * cursorAtOne);
        QCOMPARE(F->SH_CurseurRef.width(), F->SH_CurseurLast.width());

        QVERIFY(moveTo(screens[0]));
        QTRY_COMPARE(F->P_ImgLast.width(), 600.f * 15);
        QCOMPARE(F->SH_CurseurLast.width(), cursorAtOne);
    }
};

int main(int argc, char** argv)
{
    // Two screens of 1280 x 1024 logical pixels' room, at scales 1 and 2.
    QTemporaryFile screens;
    if (screens.open()) {
        screens.write(R"({"screens": [
            {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96},
            {"name": "right", "x": 1280, "y": 0, "width": 2560, "height": 2048, "logicalDpi": 96}
        ]})");
        screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
        qputenv("QT_SCREEN_SCALE_FACTORS", "left=1;right=2");
    }
    QApplication app(argc, argv);
    TestScreens test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screens.moc"
