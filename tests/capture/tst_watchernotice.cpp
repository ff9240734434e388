// What the window tells the photographer when shots cannot arrive.
#include "capture/WatcherNotice.h"

#include <QTest>

using kelvaris::WatcherNotice;

class TestWatcherNotice : public QObject
{
    Q_OBJECT

private slots:
    void aFileThatIsNoPictureIsToldAtOnce()
    {
        WatcherNotice notice;
        QCOMPARE(notice.text(), QString());
        notice.fileRefused(QStringLiteral("zz_notes.jpg"),
                           QStringLiteral("n'est pas un fichier JPEG"), false, 0);
        QCOMPARE(
            notice.text(),
            QStringLiteral(
                "«\u00a0zz_notes.jpg\u00a0» n'est pas un fichier JPEG\u00a0; dernier fichier par "
                "ordre de nom, il masque les nouvelles prises de vue."));
        notice.fileCleared();
        QCOMPARE(notice.text(), QString());
    }

    void aFileBeingWrittenIsToldOnlyWhenItStaysIncomplete()
    {
        WatcherNotice notice;
        const QString name = QStringLiteral("IMG_0007.JPG");
        const QString reason = QStringLiteral("est incomplet");
        // Early looks come quickly: three of them within a second say nothing.
        for (qint64 ms : {0, 200, 400, 900})
            notice.fileRefused(name, reason, true, ms);
        QCOMPARE(notice.text(), QString());
        // A slow writer at one look a second: still nothing before three seconds.
        WatcherNotice slow;
        for (qint64 ms : {0, 1000, 2000})
            slow.fileRefused(name, reason, true, ms);
        QCOMPARE(slow.text(), QString());
        slow.fileRefused(name, reason, true, 3000);
        QVERIFY(slow.text().startsWith(
            QStringLiteral("«\u00a0IMG_0007.JPG\u00a0» est toujours incomplet")));
        // Another file starts the count again.
        slow.fileRefused(QStringLiteral("IMG_0008.JPG"), reason, true, 3100);
        QCOMPARE(slow.text(), QString());
    }

    void aFileCompleteButDamagedIsNoLongerIncomplete()
    {
        // The camera's software wrote slowly, then left the file damaged:
        // the notice tells the damage, at once, not an incomplete file.
        WatcherNotice notice;
        const QString name = QStringLiteral("IMG_0007.JPG");
        for (qint64 ms : {0, 1000, 2000, 3000})
            notice.fileRefused(name, QStringLiteral("est incomplet"), true, ms);
        QVERIFY(notice.text().contains(QStringLiteral("toujours incomplet")));
        notice.fileRefused(name, QStringLiteral("est endommagé"), false, 4000);
        QCOMPARE(notice.text(),
                 QStringLiteral(
                     "«\u00a0IMG_0007.JPG\u00a0» est endommagé\u00a0; dernier fichier par ordre de "
                     "nom, il masque les nouvelles prises de vue."));
        // Rewritten, it is being written again: quiet for a while.
        notice.fileRefused(name, QStringLiteral("est incomplet"), true, 5000);
        QCOMPARE(notice.text(), QString());
    }

    void aLostDirectoryComesFirstAndGoesWhenBack()
    {
        WatcherNotice notice;
        notice.fileRefused(QStringLiteral("zz.jpg"), QStringLiteral("est endommagé"), false, 0);
        notice.directoryLost(QStringLiteral("/media/carte/DCIM"));
        QCOMPARE(notice.text(),
                 QStringLiteral(
                     "Le répertoire de réception «\u00a0/media/carte/DCIM\u00a0» est introuvable "
                     "ou illisible\u00a0; la surveillance reprendra dès son retour."));
        notice.directoryRead();
        QVERIFY(notice.text().startsWith(QStringLiteral("«\u00a0zz.jpg\u00a0» est endommagé")));
        notice.clear();
        QCOMPARE(notice.text(), QString());
    }
};

QTEST_MAIN(TestWatcherNotice)
#include "tst_watchernotice.moc"
