#include "dialogs/ReceptionDirDialog.h"
#include "platform/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace kelvaris;

namespace {

// The main window's side: a reception box in a window of its own.
struct MainSide
{
    QWidget window;
    TextBox box{&window, QStringLiteral("T_RepReception"), TextLook{}, false};
};

void touch(const QString& path)
{
    QVERIFY(QFile(path).open(QIODevice::WriteOnly));
}

// Number of entries a directory's ancestors and itself take: "/tmp/x" takes 3.
int chainLength(const QString& path)
{
    return static_cast<int>(QDir::cleanPath(path).count(QLatin1Char('/'))) + 1;
}

QStringList texts(const QListWidget* list, int from = 0)
{
    QStringList out;
    for (int i = from; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

QPoint rowCentre(QListWidget* list, int row)
{
    list->scrollToItem(list->item(row));
    return list->visualItemRect(list->item(row)).center();
}

ReceptionDirDialog* open(TextBox& box)
{
    B_Repertoire_Click(box);
    return openReceptionDirDialog();
}

// The dialog's widgets, found as the user's tools would find them.
template <class W = QWidget> W* child(QWidget* d, const char* name)
{
    return d->findChild<W*>(QLatin1String(name));
}
// A directory with three visible subdirectories, a hidden one and files.
void fillSample(const QString& root)
{
    for (const char* name : {"gamma", "alpha", "Beta", ".hidden"})
        QVERIFY(QDir(root).mkdir(QLatin1String(name)));
    for (const char* name : {"/top.jpg", "/alpha/b2.JPG", "/alpha/A1.txt"})
        touch(root + QLatin1String(name));
}

// Where a fresh window opens: the default drive's current directory.
QString defaultDirectory()
{
    return DriveListBox::currentDirectoryOf(QDir::rootPath());
}

} // namespace

class TestReceptionDirDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { setTwipsPerPixelForTesting(15); }

    void cleanup()
    {
        DriveListBox::setDriveSourceForTesting({});
        if (ReceptionDirDialog* left = openReceptionDirDialog())
            left->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!openReceptionDirDialog());
    }

    void layoutAndCaptions()
    {
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        QVERIFY(d);
        QCOMPARE(d->objectName(), QStringLiteral("FR"));
        QCOMPARE(d->windowTitle(), QStringLiteral("Sélection du répertoire de réception"));
        QCOMPARE(d->size(), QSize(454, 264));
        QCOMPARE(d->minimumSize(), d->maximumSize());
        QVERIFY(!d->parentWidget());
        QVERIFY(!d->isModal() && d->isVisible());
        const Qt::WindowFlags flags = d->windowFlags();
        QVERIFY((flags & Qt::WindowType_Mask) == Qt::Tool && (flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((d->frameGeometry().center() - area.center()).manhattanLength() <= 2);

        const struct
        {
            const char* name;
            QRect pixels;
        } controls[] = {{"Dir1", {9, 36, 214, 186}},
                        {"Drive1", {9, 9, 217, 21}},
                        {"File1", {231, 9, 214, 214}},
                        {"B_Valider", {9, 231, 214, 22}},
                        {"B_Annuler", {231, 231, 214, 22}}};
        d->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(d));
        QListWidget* dirs = child<QListWidget>(d, "Dir1");
        QCOMPARE(QApplication::focusWidget(), dirs); // first in the tab order
        for (const auto& control : controls) {
            QWidget* w = child(d, control.name);
            QVERIFY2(w, control.name);
            QCOMPARE(w->geometry(), control.pixels);
            // Tab order as listed, back round to the first.
            QCOMPARE(QApplication::focusWidget(), w);
            QTest::keyClick(w, Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), dirs);
        QCOMPARE(child<QPushButton>(d, "B_Valider")->text(), QStringLiteral("&Valider"));
        QCOMPARE(child<QPushButton>(d, "B_Annuler")->text(), QStringLiteral("&Annuler"));
        for (auto* b : {child<QPushButton>(d, "B_Valider"), child<QPushButton>(d, "B_Annuler")})
            QVERIFY(!b->autoDefault() && !b->isDefault());
        // Loaded on the default drive and its current directory, files shown.
        QCOMPARE(d->drive1().drive(), QDir::toNativeSeparators(QDir::rootPath()));
        QCOMPARE(d->dir1().path(), defaultDirectory());
        QCOMPARE(d->file1().path(), d->dir1().path());
        // The real drives: the root first, no system mounts.
        const QStringList roots = DriveListBox::driveRoots();
        QCOMPARE(d->drive1().count(), roots.size());
#ifndef Q_OS_WIN
        QCOMPARE(roots.value(0), QStringLiteral("/"));
        for (const QString& root : roots) {
            for (const char* system : {"/proc", "/sys", "/dev", "/boot", "/snap"})
                QVERIFY2(!root.startsWith(QLatin1String(system)), qPrintable(root));
            QVERIFY2(!root.startsWith(QLatin1String("/run/")) || root.startsWith("/run/media/"),
                     qPrintable(root));
        }
#endif
    }

    void leaving_data()
    {
        QTest::addColumn<bool>("valider"); // else "Annuler" or the close box
        QTest::addColumn<QString>("how");
        QTest::newRow("Valider clicked") << true << "click";
        QTest::newRow("Alt+V") << true << "alt";
        QTest::newRow("Enter on Valider") << true << "enter";
        QTest::newRow("Annuler clicked") << false << "click";
        QTest::newRow("Alt+A") << false << "alt";
        QTest::newRow("Enter on Annuler") << false << "enter";
        QTest::newRow("close box") << false << "close";
    }
    void leaving()
    {
        QFETCH(bool, valider);
        QFETCH(QString, how);
        QTemporaryDir tmp;
        fillSample(tmp.path());
        MainSide main;
        main.box.setText(QStringLiteral("/photos/arrivée"));
        QPointer<ReceptionDirDialog> d = open(main.box);
        QVERIFY(d->dir1().setPath(tmp.path()));
        QListWidget* dirs = child<QListWidget>(d, "Dir1");
        const int chain = chainLength(tmp.path());
        QCOMPARE(texts(dirs, chain), (QStringList{"alpha", "Beta", "gamma"}));
        QCOMPARE(dirs->currentRow(), chain - 1);
        QCOMPARE(texts(child<QListWidget>(d, "File1")), QStringList{"top.jpg"});

        // A single click and an arrow key only move the highlight.
        QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, rowCentre(dirs, chain + 1));
        QCOMPARE(dirs->currentRow(), chain + 1);
        QTest::keyClick(dirs, Qt::Key_Down);
        QCOMPARE(dirs->currentRow(), chain + 2);
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(tmp.path()));

        auto* pressed = child<QPushButton>(d, valider ? "B_Valider" : "B_Annuler");
        if (how == QLatin1String("click")) {
            QTest::mouseClick(pressed, Qt::LeftButton);
        } else if (how == QLatin1String("alt")) {
            d->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(d));
            QTest::keyClick(d, valider ? Qt::Key_V : Qt::Key_A, Qt::AltModifier);
        } else if (how == QLatin1String("enter")) {
            pressed->setFocus();
            QTest::keyClick(pressed, Qt::Key_Return);
        } else {
            d->close();
        }
        // An access key presses its button visibly, a moment later.
        QTRY_VERIFY(!openReceptionDirDialog());
        QTRY_VERIFY(d.isNull());
        // The open directory, not the highlighted one.
        QCOMPARE(main.box.text(), valider ? QDir::toNativeSeparators(tmp.path())
                                          : QStringLiteral("/photos/arrivée"));
    }

    void openingByDoubleClickOrEnter()
    {
        QTemporaryDir tmp;
        fillSample(tmp.path());
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        int changes = 0;
        d->dir1().change() = [&] {
            ++changes;
            d->Dir1_Change();
        };
        QVERIFY(d->dir1().setPath(tmp.path()));
        QCOMPARE(changes, 1);
        QListWidget* dirs = child<QListWidget>(d, "Dir1");
        QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {},
                           rowCentre(dirs, chainLength(tmp.path())));
        const QString alpha = tmp.path() + QStringLiteral("/alpha");
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(alpha));
        QCOMPARE(changes, 2);
        QCOMPARE(dirs->count(), chainLength(alpha)); // no subdirectories
        QCOMPARE(d->file1().path(), QDir::toNativeSeparators(alpha));
        QCOMPARE(texts(child<QListWidget>(d, "File1")), (QStringList{"A1.txt", "b2.JPG"}));

        // Enter opens the highlighted ancestor; the root shows as itself.
        dirs->setCurrentRow(chainLength(alpha) - 2);
        QTest::keyClick(dirs, Qt::Key_Return);
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(tmp.path()));
        QCOMPARE(texts(child<QListWidget>(d, "File1")), QStringList{"top.jpg"});
        QCOMPARE(dirs->item(0)->text(), QDir::toNativeSeparators(QDir::rootPath()));
        // Opening the open directory again is no change.
        QTest::keyClick(dirs, Qt::Key_Return);
        QCOMPARE(changes, 3);

        // A file is no directory to open; a trailing separator is dropped.
        QVERIFY(!d->dir1().setPath(tmp.path() + QStringLiteral("/top.jpg")));
        QVERIFY(!d->dir1().setPath(QString()));
        QVERIFY(d->dir1().setPath(alpha + QStringLiteral("/")));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(alpha));
    }

    void driveSelection()
    {
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir(QStringLiteral("sub")));
        touch(other.path() + QStringLiteral("/on-other.jpg"));
        const QString root = QDir::rootPath();
        DriveListBox::setDriveSourceForTesting([&] { return QStringList{root, other.path()}; });
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        QComboBox* drives = child<QComboBox>(d, "Drive1");
        QCOMPARE(drives->count(), 2);
        const QString home = QDir::currentPath();

        drives->setCurrentIndex(1); // as the user picks it
        QCOMPARE(d->drive1().drive(), QDir::toNativeSeparators(other.path()));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(other.path()));
        QCOMPARE(texts(child<QListWidget>(d, "File1")), QStringList{"on-other.jpg"});

        QVERIFY(d->drive1().setDrive(QStringLiteral("c")));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(home));
        QCOMPARE(d->file1().path(), d->dir1().path());

        // A drive opens on the current directory when that lies on it.
        const QString inside = other.path() + QStringLiteral("/sub");
        QVERIFY(QDir::setCurrent(inside));
        QCOMPARE(DriveListBox::currentDirectoryOf(root), QDir::toNativeSeparators(root));
        QVERIFY(d->drive1().setDrive(other.path() + QLatin1Char('/')));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(inside));
        QVERIFY(d->drive1().setDrive(QStringLiteral("C:")));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(root));
        QVERIFY(QDir::setCurrent(home));

        QVERIFY(!d->drive1().setDrive(QStringLiteral("/no/such/drive")));
        QCOMPARE(drives->currentIndex(), 0);
    }

    void reopening()
    {
        QTemporaryDir tmp;
        fillSample(tmp.path());
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        d->dir1().setPath(tmp.path());
        QListWidget* dirs = child<QListWidget>(d, "Dir1");
        dirs->setCurrentRow(dirs->count() - 1);
        // While open, even minimised by a window manager that offers the
        // button: the same window, as the user left it, brought back.
        d->showMinimized();
        QTRY_VERIFY(d->isMinimized());
        B_Repertoire_Click(main.box);
        QCOMPARE(openReceptionDirDialog(), d);
        QTRY_VERIFY(!d->isMinimized());
        QVERIFY(d->isVisible());
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(tmp.path()));
        QCOMPARE(dirs->currentRow(), dirs->count() - 1);
        QCOMPARE(texts(child<QListWidget>(d, "File1")), QStringList{"top.jpg"});
        // Once closed: a new window, back at the default.
        QTest::mouseClick(child<QPushButton>(d, "B_Valider"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        d = open(main.box);
        QVERIFY(d);
        QCOMPARE(d->dir1().path(), defaultDirectory());
        QCOMPARE(d->file1().path(), d->dir1().path());
    }

    void escapeClosesNothing()
    {
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        for (const char* name : {"Dir1", "Drive1", "File1", "B_Valider", "B_Annuler"}) {
            QWidget* w = child(d, name);
            w->setFocus();
            QTest::keyClick(w, Qt::Key_Escape);
            QVERIFY(openReceptionDirDialog() == d && d->isVisible());
        }
    }

    void unreadableDirectory_data()
    {
        QTest::addColumn<bool>("vanished");
        QTest::newRow("permission denied") << false;
        QTest::newRow("vanished") << true;
    }
    void unreadableDirectory()
    {
        QFETCH(bool, vanished);
        QTemporaryDir tmp;
        const QString locked = tmp.path() + QStringLiteral("/locked");
        QVERIFY(QDir(tmp.path()).mkpath(locked + QStringLiteral("/inner")));
        touch(locked + QStringLiteral("/shot.jpg"));
        MainSide main;
        ReceptionDirDialog* d = open(main.box);
        d->dir1().setPath(locked);
        QCOMPARE(texts(child<QListWidget>(d, "File1")), QStringList{"shot.jpg"});

        // Permissions stop neither the superuser nor Windows: then the directory vanishes.
        bool denied = !vanished;
#ifdef Q_OS_WIN
        denied = false;
#else
        denied = denied && geteuid() != 0;
#endif
        if (denied)
            QVERIFY(QFile::setPermissions(locked, {}));
        else
            QVERIFY(QDir(locked).removeRecursively());

        // Opened afresh and refreshed in place: its ancestors and itself, nothing else.
        for (int round = 0; round < 2; ++round) {
            if (round == 0)
                d->dir1().refresh();
            else
                QVERIFY(d->dir1().setPath(locked));
            d->Dir1_Change();
            QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(locked));
            QCOMPARE(child<QListWidget>(d, "Dir1")->count(), chainLength(locked));
            QCOMPARE(child<QListWidget>(d, "File1")->count(), 0);
        }
        // Its parent still lists what is left.
        d->dir1().setPath(tmp.path());
        QCOMPARE(texts(child<QListWidget>(d, "Dir1"), chainLength(tmp.path())),
                 denied ? QStringList{"locked"} : QStringList{});
        if (denied)
            QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void driveThatCannotBeRead()
    {
        const QString missing = QDir::rootPath() + QStringLiteral("kelvaris-no-such-volume");
        DriveListBox::setDriveSourceForTesting([&] { return QStringList{missing}; });
        MainSide main;
        ReceptionDirDialog* d = open(main.box); // the default drive is the first one
        QCOMPARE(d->drive1().drive(), QDir::toNativeSeparators(missing));
        QCOMPARE(d->dir1().path(), QDir::toNativeSeparators(missing));
        QCOMPARE(child<QListWidget>(d, "Dir1")->count(), chainLength(missing));
        QCOMPARE(child<QListWidget>(d, "File1")->count(), 0);

        DriveListBox::setDriveSourceForTesting([] { return QStringList{}; });
        d->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        d = open(main.box); // no drive at all: stays where it starts
        QCOMPARE(d->drive1().count(), 0);
        QCOMPARE(d->drive1().drive(), QString());
        QCOMPARE(d->file1().path(), d->dir1().path());
    }
};

QTEST_MAIN(TestReceptionDirDialog)
#include "tst_receptiondirdialog.moc"
