// The capture watcher over real JPEG files in a temporary reception directory.
#include "app/MainWindow.h"
#include "support/WatcherTestCase.h"
#include "view/CursorGeometry.h"
#include "view/PaneRenderer.h"

#include <QDir>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace kelvaris;
using kelvaris::test::makeJpeg;
using kelvaris::test::ProgramFixture;
using kelvaris::test::WatcherTestCase;

namespace {

// A JPEG of exactly `size` bytes: cameras may append data after the
// picture's end marker, which leaves the picture intact.
QByteArray jpegOfSize(qint64 size, QColor colour = Qt::gray)
{
    QByteArray bytes = makeJpeg(16, 16, colour, colour);
    Q_ASSERT(bytes.size() <= size);
    bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

} // namespace

class TestWatcher : public WatcherTestCase
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWatcher()); }
    void cleanup() { closeWatcher(); }

    void startTakesTheLastOfTwelve()
    {
        for (int i = 1; i <= 12; ++i)
            put(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        put(QStringLiteral("notes.txt"), "not a shot");
        start();
        QCOMPARE(F->T_FichierImage.text(), QStringLiteral("IMG_0012.JPG"));
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0012.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("12"));
        QCOMPARE(F->watcher.KnownImageCount, 12);
        const qint64 size = QFileInfo(file(QStringLiteral("IMG_0012.JPG"))).size();
        QCOMPARE(F->T_Qualite.text(), QString::number(size).left(4));
        // The overview and the pane share one decoded picture.
        QVERIFY(F->P_ImgLast.picture());
        QCOMPARE(F->I_ImgLast.picture(), F->P_ImgLast.picture());
        QCOMPARE(F->P_ImgLast.width(), 300.f * 15);
        QVERIFY(F->SH_CurseurLast.widget()->isVisible());
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());

        // Nothing new: nothing is taken again.
        const Picture shown = F->P_ImgLast.picture();
        tick();
        QCOMPARE(F->P_ImgLast.picture(), shown);

        // A 13th file is taken at the next look.
        put(QStringLiteral("IMG_0013.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0013.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("13"));
        QVERIFY(F->P_ImgLast.picture() != shown);
    }

    void theLastNameIsTakenNotTheNewestFile()
    {
        put(QStringLiteral("IMG_0500.JPG"));
        put(QStringLiteral("IMG_0501.JPG"));
        start();
        // The camera's numbering started again at 1: the count rose, and
        // the last name is taken again.
        put(QStringLiteral("IMG_0001.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0501.JPG"));
        QCOMPARE(F->watcher.KnownImageCount, 3);
    }

    // A deleted reject must not hide the shots after it: the last file is
    // taken when it sorts after the last shot taken, whatever the count.
    void aShotAfterADeletionIsTaken()
    {
        for (int i = 1; i <= 3; ++i)
            put(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        start();
        QCOMPARE(F->watcher.KnownImageCount, 3);
        // One reject removed: nothing new.
        QVERIFY(QFile::remove(file(QStringLiteral("IMG_0002.JPG"))));
        tick();
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0003.JPG"));
        // The next shot brings the count back to 3, no higher: it is taken,
        // and the count shows the real number of files.
        put(QStringLiteral("IMG_0004.JPG"), makeJpeg(320, 240));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0004.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("3"));
        QCOMPARE(F->watcher.KnownImageCount, 3);
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(320, 240));
        // One removed and one added between two looks: taken too.
        QVERIFY(QFile::remove(file(QStringLiteral("IMG_0001.JPG"))));
        put(QStringLiteral("IMG_0005.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0005.JPG"));
        // A file that sorts before the last shot, the count not above it: nothing.
        QVERIFY(QFile::remove(file(QStringLiteral("IMG_0003.JPG"))));
        put(QStringLiteral("IMG_0000.JPG"));
        const Picture shown = F->P_ImgLast.picture();
        tick();
        QCOMPARE(F->P_ImgLast.picture(), shown);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0005.JPG"));
    }

    void aShotAfterTheFolderCameBackWithFewerFilesIsTaken()
    {
        for (int i = 1; i <= 4; ++i)
            put(QStringLiteral("IMG_%1.JPG").arg(i, 4, 10, QLatin1Char('0')));
        start();
        const QString path = reception->path();
        QVERIFY(QDir(path).removeRecursively());
        tick();
        QVERIFY(!F->watcher.notice().isEmpty());
        // Back with fewer files (a card put back after a sort): nothing new yet.
        QVERIFY(QDir().mkpath(path));
        put(QStringLiteral("IMG_0001.JPG"));
        put(QStringLiteral("IMG_0004.JPG"));
        tick();
        QCOMPARE(F->watcher.notice(), QString());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0004.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("4"));
        put(QStringLiteral("IMG_0005.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0005.JPG"));
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("3"));
    }

    void namesAndExtensionsAsTheListSeesThem()
    {
        put(QStringLiteral("a.jpg"));
        put(QStringLiteral("B.Jpg"));
        put(QStringLiteral(".hidden.jpg"));
        put(QStringLiteral("z.jpeg"));
        start();
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("2"));
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("B.Jpg"));
    }

    void aNameThatIsNotUtf8IsTakenByItsExactBytes()
    {
#ifndef Q_OS_LINUX
        QSKIP("only Linux file names can hold bytes that are not valid UTF-8");
#else
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        // A Latin-1 name from a card reader or a Windows share sorts last.
        const QByteArray latin1 = QFile::encodeName(reception->path()) + "/zz\xe9.jpg";
        const QByteArray shot = makeJpeg(320, 240);
        FILE* file = std::fopen(latin1.constData(), "wb");
        QVERIFY(file);
        QCOMPARE(std::fwrite(shot.constData(), 1, size_t(shot.size()), file), size_t(shot.size()));
        std::fclose(file);
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("zz\u00e9.jpg"));
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(320, 240));
        // Taken, it no longer stands in the way of the shots after it.
        QCOMPARE(F->watcher.KnownImageCount, 2);
        QCOMPARE(std::remove(latin1.constData()), 0);
#endif
    }

    void startAgainRetakesTheSameShot()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        const Picture first = F->P_ImgLast.picture();
        start();
        QVERIFY(F->P_ImgLast.picture() != first);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
    }

    void startOnADirectoryWithoutShotsKeepsTheLastOne()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        QTemporaryDir empty;
        F->T_RepReception.setText(empty.path());
        F->watcher.B_Start_Click();
        F->watcher.B_Stop_Click();
        QCOMPARE(F->watcher.KnownImageCount, 0);
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("1"));
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(F->P_ImgLast.picture());
    }

    void qualityAndBestFigures()
    {
        put(QStringLiteral("IMG_0001.JPG"), jpegOfSize(987654));
        start();
        QCOMPARE(F->T_Qualite.text(), QStringLiteral("9876"));
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("9876"));
        put(QStringLiteral("IMG_0002.JPG"), jpegOfSize(1234567));
        tick();
        // The larger file has the lower figure; the best stays.
        QCOMPARE(F->T_Qualite.text(), QStringLiteral("1234"));
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("9876"));
        put(QStringLiteral("IMG_0003.JPG"), jpegOfSize(999));
        tick();
        QCOMPARE(F->T_Qualite.text(), QStringLiteral("999"));
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("9876"));

        F->watcher.B_Reset_Click();
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("0"));
        put(QStringLiteral("IMG_0004.JPG"), jpegOfSize(5000));
        tick();
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("5000"));
        // An equal figure leaves the best as it is; a higher one takes its place.
        put(QStringLiteral("IMG_0005.JPG"), jpegOfSize(50000));
        tick();
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("5000"));
        put(QStringLiteral("IMG_0006.JPG"), jpegOfSize(50010));
        tick();
        QCOMPARE(F->T_QualiteMax.text(), QStringLiteral("5001"));
    }

    void aShotStillBeingWrittenIsTakenOnceComplete()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        const Picture first = F->P_ImgLast.picture();
        const QString figures = F->T_Qualite.text();
        const QByteArray whole = makeJpeg(400, 300, Qt::green, Qt::yellow, 300);
        put(QStringLiteral("IMG_0002.JPG"), whole.left(whole.size() * 6 / 10));
        tick();
        // Never shown half grey, never measured: the previous shot stays.
        QCOMPARE(F->P_ImgLast.picture(), first);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->T_FichierImage.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->T_Qualite.text(), figures);
        QCOMPARE(F->watcher.KnownImageCount, 1);
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
        // A file being written is no fault: nothing to tell yet.
        QCOMPARE(F->watcher.notice(), QString());

        put(QStringLiteral("IMG_0002.JPG"), whole);
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(400, 300));
        QCOMPARE(F->T_Qualite.text(), QString::number(whole.size()).left(4));
    }

    void aFileThatIsNoJpegIsNeverShownAndSaysSo()
    {
        QStringList notices;
        F->watcher.noticeChanged = [&notices](const QString& text) { notices << text; };
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        // A stray file that sorts last stands in the way of every later shot.
        put(QStringLiteral("zz_notes.jpg"), "this is a text file, not a picture");
        tick();
        put(QStringLiteral("IMG_0002.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QCOMPARE(F->watcher.KnownImageCount, 1);
        // The window says which file and why, once.
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.last().contains(QStringLiteral("«\u00a0zz_notes.jpg\u00a0»")));
        QVERIFY(notices.last().contains(QStringLiteral("n'est pas un fichier JPEG")));
        QCOMPARE(F->B_State.toolTip(), notices.last());
        // Once it is gone, the next shot is taken and the notice goes.
        QVERIFY(QFile::remove(file(QStringLiteral("zz_notes.jpg"))));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QCOMPARE(notices.last(), QString());
        QCOMPARE(F->B_State.toolTip(), QString());
    }

    void aVanishedDirectoryListsNothingUntilItComesBack()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        const QString path = reception->path();
        QVERIFY(QDir(path).removeRecursively());
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
        QVERIFY(F->watcher.notice().contains(QStringLiteral("«\u00a0%1\u00a0»").arg(path)));
        QVERIFY(F->watcher.notice().contains(QStringLiteral("introuvable ou illisible")));
        QVERIFY(QDir().mkpath(path));
        tick();
        QCOMPARE(F->watcher.notice(), QString());
        put(QStringLiteral("IMG_0001.JPG"));
        put(QStringLiteral("IMG_0002.JPG"));
        tick();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
    }

    void startDuringALookLooksAgainRightAfterIt()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        start();
        put(QStringLiteral("IMG_0002.JPG"));
        // Start is pressed while a look loads its shot: Start's own look
        // follows, restarts the count and takes the last shot again.
        QTimer::singleShot(30, F, [this] {
            QVERIFY(F->watcher.isLooking());
            put(QStringLiteral("IMG_0003.JPG"));
            F->watcher.B_Start_Click();
        });
        tick();
        F->watcher.B_Stop_Click();
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0003.JPG"));
        QCOMPARE(F->watcher.KnownImageCount, 3);
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("3"));
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
    }

    void aShotArrivingDuringABlinkIsShownAtRelease()
    {
        put(QStringLiteral("IMG_0001.JPG"), makeJpeg(300, 200, Qt::red, Qt::red));
        start();
        QTest::mouseClick(F->B_Select.widget(), Qt::LeftButton);
        const Picture reference = F->P_ImgRef.picture();
        F->P_ImgRef.setLeft(-1500);
        F->P_ImgLast.setLeft(-600);
        const float top = F->P_ImgLast.top();
        QTest::mousePress(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(5, 5));
        put(QStringLiteral("IMG_0002.JPG"), makeJpeg(320, 240, Qt::blue, Qt::blue));
        tick();
        // The reference stays in view while the button is held...
        QCOMPARE(F->P_ImgLast.picture(), reference);
        QCOMPARE(F->P_ImgLast.left(), -1500.f);
        // ...while the red cursor marks the new shot's crop, not the reference's,
        // and keeps marking it when the window is resized meanwhile.
        const auto currentCursor = [this, top] {
            const Box picture{-600.f, top, 320.f * 15, 240.f * 15};
            return cursorBox(boxOf(F->I_ImgLast),
                             {F->P_BaseLast.width(), F->P_BaseLast.height(), picture});
        };
        QCOMPARE(F->SH_CurseurLast.left(), currentCursor().left);
        QCOMPARE(F->SH_CurseurLast.width(), currentCursor().width);
        F->resize(F->width() + 120, F->height() + 60);
        QTRY_COMPARE(F->SH_CurseurLast.left(), currentCursor().left);
        QCOMPARE(F->SH_CurseurLast.top(), currentCursor().top);
        QTest::mouseRelease(F->P_ImgLast.widget(), Qt::RightButton, {}, QPoint(5, 5));
        // ...and the release brings back the newest shot, at the saved crop.
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0002.JPG"));
        QCOMPARE(F->P_ImgLast.picture(), F->I_ImgLast.picture());
        QCOMPARE(F->P_ImgLast.picture()->size(), QSize(320, 240));
        QCOMPARE(F->P_ImgLast.left(), -600.f);
        QCOMPARE(F->SH_CurseurLast.left(), currentCursor().left);
        // Its cursor follows the new shot's size.
        QCOMPARE(F->SH_CurseurLast.width(),
                 float(double(F->I_ImgLast.width()) * F->P_BaseLast.width() / (320 * 15)));
    }

    void stopDuringAPauseLetsTheLookEnd()
    {
        put(QStringLiteral("IMG_0001.JPG"));
        F->T_RepReception.setText(reception->path());
        QTimer::singleShot(30, F, [this] { F->watcher.B_Stop_Click(); });
        F->watcher.B_Start_Click();
        QVERIFY(settle());
        QVERIFY(!F->TM_TimerRead.isEnabled());
        QCOMPARE(F->B_State.picture(), F->P_Nothing.picture());
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"));
    }

    void theTimerLooksOnItsOwn()
    {
        F->T_RepReception.setText(reception->path());
        F->watcher.B_Start_Click();
        QVERIFY(F->TM_TimerRead.isEnabled());
        put(QStringLiteral("IMG_0001.JPG"));
        QTRY_COMPARE_WITH_TIMEOUT(F->T_ImageCourante.text(), QStringLiteral("IMG_0001.JPG"), 5000);
        F->watcher.B_Stop_Click();
        QVERIFY(!F->TM_TimerRead.isEnabled());
    }

    void countsBeyondSixteenBits()
    {
        // More files than a 16-bit counter holds: every count stays right.
        const QByteArray shot = makeJpeg(8, 8);
        for (int i = 0; i < 32800; ++i) {
            QFile f(file(QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0'))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(shot);
        }
        start();
        QCOMPARE(F->T_NbImg.text(), QStringLiteral("32800"));
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_32799.JPG"));
        put(QStringLiteral("IMG_32800.JPG"));
        tick();
        QCOMPARE(F->watcher.KnownImageCount, 32801);
        QCOMPARE(F->T_ImageCourante.text(), QStringLiteral("IMG_32800.JPG"));
    }
};

QTEST_MAIN(TestWatcher)
#include "tst_watcher.moc"
