#include "platform/FileList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <limits>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using kelvaris::FileList;

namespace {

// Creates an empty file named by raw bytes, as a camera's card reader would.
bool touch(const QString& dir, const QByteArray& name)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(dir) + '/' + name;
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
#else
    QFile file(dir + QLatin1Char('/') + QFile::decodeName(name));
    return file.open(QIODevice::WriteOnly);
#endif
}

QStringList entries(const FileList& list)
{
    QStringList names;
    for (int i = 0; i < list.listCount(); ++i)
        names << list.list(i);
    return names;
}

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT

private slots:
    void matching_data();
    void matching();
    void linksAndDirectories();
    void orderIgnoresCaseTiesByBytes();
    void orderOfNonAsciiNames();
    void undecodableNameIsListed();
    void followsChanges();
    void unreadablePathsListNothing();
    void emptyPathListsNothing();
    void outOfRangeIndex();
    void moreThan32767Files();
};

void TestFileList::matching_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("expected");

    const QStringList mixed = {"IMG_0001.JPG", "a.jpg",     "b.Jpg",  "x.jpeg", "jpg",
                               "a.jpg.tmp",    "noext",     "c.jpgx", "d.jp",   ".a.jpg",
                               "e.",           "f.tar.jpg", ".jpg"};
    QTest::newRow("*.jpg") << "*.jpg" << mixed
                           << QStringList{"a.jpg", "b.Jpg", "f.tar.jpg", "IMG_0001.JPG"};
    QTest::newRow("*.JPG") << "*.JPG" << mixed
                           << QStringList{"a.jpg", "b.Jpg", "f.tar.jpg", "IMG_0001.JPG"};
    QTest::newRow("*.jpeg") << "*.jpeg" << mixed << QStringList{"x.jpeg"};
    QTest::newRow("*.tmp") << "*.tmp" << mixed << QStringList{"a.jpg.tmp"};
    QTest::newRow("*.*") << "*.*" << mixed
                         << QStringList{"a.jpg", "a.jpg.tmp", "b.Jpg",     "c.jpgx",
                                        "d.jp",  "e.",        "f.tar.jpg", "IMG_0001.JPG",
                                        "jpg",   "noext",     "x.jpeg"};
    QTest::newRow("*.raw, none") << "*.raw" << mixed << QStringList{};
}

void TestFileList::matching()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, files);
    QFETCH(QStringList, expected);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& file : files)
        QVERIFY(touch(dir.path(), QFile::encodeName(file)));

    FileList list(QStringLiteral("File1"), pattern);
    QCOMPARE(list.pattern(), pattern);
    list.setPath(dir.path());
    QCOMPARE(list.path(), dir.path());
    QCOMPARE(entries(list), expected);
}

void TestFileList::linksAndDirectories()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links are a Unix matter here");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray base = QFile::encodeName(dir.path()) + '/';
    QVERIFY(touch(dir.path(), "a.jpg"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x.jpg")));
    QCOMPARE(::symlink("a.jpg", base + "link.jpg"), 0);
    QCOMPARE(::symlink("missing.jpg", base + "dangling.jpg"), 0);
    QCOMPARE(::symlink("x.jpg", base + "dirlink.jpg"), 0);
    QCOMPARE(::symlink("link.jpg", base + "chain.jpg"), 0);
    QCOMPARE(::symlink("loop.jpg", base + "loop.jpg"), 0);
    QCOMPARE(::mkfifo(base + "fifo.jpg", 0644), 0);

    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    list.setPath(dir.path());
    QCOMPARE(entries(list), (QStringList{"a.jpg", "chain.jpg", "link.jpg"}));

    FileList all(QStringLiteral("File2"));
    all.setPath(dir.path());
    QCOMPARE(entries(all), (QStringList{"a.jpg", "chain.jpg", "link.jpg"}));
#endif
}

void TestFileList::orderIgnoresCaseTiesByBytes()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"b.jpg", "A.jpg", "a.jpg", "C.JPG", "B.JPG", "a_.jpg", "a1.jpg",
                             "Z.jpg", "_.jpg", "10.jpg", "9.jpg"})
        QVERIFY(touch(dir.path(), name));

    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    list.setPath(dir.path());
    // Ignoring case compares lower case, so '_' comes before every letter;
    // "A.jpg" and "a.jpg" tie ignoring case and go by bytes, upper case first.
    QCOMPARE(entries(list), (QStringList{"10.jpg", "9.jpg", "_.jpg", "A.jpg", "a.jpg", "a1.jpg",
                                         "a_.jpg", "B.JPG", "b.jpg", "C.JPG", "Z.jpg"}));
}

void TestFileList::orderOfNonAsciiNames()
{
    // The order must be the one QString::compare gives ignoring case, even
    // for letters outside ASCII and outside the Basic Multilingual Plane.
    const QStringList names = {
        QStringLiteral("été.jpg"), QStringLiteral("Été.jpg"),    QStringLiteral("eta.jpg"),
        QStringLiteral("Ez.jpg"),  QStringLiteral("Ölbild.jpg"), QStringLiteral("oz.jpg"),
        QStringLiteral("Σ.jpg"),   QStringLiteral("σ.jpg"),      QStringLiteral("ς.jpg"),
        QStringLiteral("ß.jpg"),   QStringLiteral("ss.jpg"),     QStringLiteral("İ.jpg"),
        QStringLiteral("i.jpg"),   QStringLiteral("日本.jpg"),   QStringLiteral("𐐀.jpg"),
        QStringLiteral("𐐨.jpg"),   QStringLiteral("\uFF21.jpg"), QStringLiteral("\uFF41.jpg"),
        QStringLiteral("ǅ.jpg"),   QStringLiteral("ǆ.jpg"),      QStringLiteral("Ǆ.jpg")};
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const QString& name : names)
        QVERIFY(touch(dir.path(), QFile::encodeName(name)));

    QStringList expected = names;
    std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : QFile::encodeName(a) < QFile::encodeName(b);
    });

    FileList list(QStringLiteral("File1"), QStringLiteral("*.JPG"));
    list.setPath(dir.path());
    QCOMPARE(entries(list), expected);
}

void TestFileList::undecodableNameIsListed()
{
#ifndef Q_OS_LINUX
    QSKIP("only Linux takes names that are not valid UTF-8");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.path(), "a.jpg"));
    QVERIFY(touch(dir.path(), "b\xff\xfe.jpg"));
    QVERIFY(touch(dir.path(), "c.jpg"));

    QVERIFY(touch(dir.path(), "zz\xe9.jpg"));

    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    list.setPath(dir.path());
    QCOMPARE(list.listCount(), 4);
    QCOMPARE(list.list(0), QStringLiteral("a.jpg"));
    // Bytes that are not UTF-8 read as Latin-1, as such names were written.
    QCOMPARE(list.list(1), QStringLiteral("b\u00ff\u00fe.jpg"));
    QCOMPARE(list.list(2), QStringLiteral("c.jpg"));
    QCOMPARE(list.list(3), QStringLiteral("zz\u00e9.jpg"));
    // Each entry opens by its exact bytes, whatever its name reads as.
    QCOMPARE(list.nativePath(3).native(),
             QFile::encodeName(dir.path()).toStdString() + "/zz\xe9.jpg");
    for (int i = 0; i < list.listCount(); ++i)
        QCOMPARE(::access(list.nativePath(i).c_str(), R_OK), 0);
    // QTemporaryDir cannot remove what it cannot name.
    QCOMPARE(::unlink(list.nativePath(1).c_str()), 0);
    QCOMPARE(::unlink(list.nativePath(3).c_str()), 0);
#endif
}

void TestFileList::followsChanges()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"b.jpg", "c.jpg", "a.jpg"})
        QVERIFY(touch(dir.path(), name));
    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    list.setPath(dir.path());
    QCOMPARE(entries(list), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));

    list.refresh(); // nothing changed
    QCOMPARE(entries(list), (QStringList{"a.jpg", "b.jpg", "c.jpg"}));

    // One added and one removed: the count stays, the names do not.
    QVERIFY(touch(dir.path(), "D.jpg"));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("b.jpg"))));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"a.jpg", "c.jpg", "D.jpg"}));

    // A rename to a name of the same length, wherever readdir puts it.
    QVERIFY(QFile::rename(dir.filePath(QStringLiteral("a.jpg")), dir.filePath("e.jpg")));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"c.jpg", "D.jpg", "e.jpg"}));

    // Only removals, then only an addition.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("e.jpg"))));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("c.jpg"))));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"D.jpg"}));
    QVERIFY(touch(dir.path(), "b.JPG"));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"b.JPG", "D.jpg"}));

    // A file that stops matching because it became a directory.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("D.jpg"))));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("D.jpg")));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"b.JPG"}));

    // The directory vanishes, then comes back with other files.
    QVERIFY(QDir(dir.path()).removeRecursively());
    list.refresh();
    QCOMPARE(list.listCount(), 0);
    QCOMPARE(list.list(0), QString());
    list.refresh();
    QCOMPARE(list.listCount(), 0);
    QVERIFY(QDir().mkpath(dir.path()));
    list.refresh();
    QCOMPARE(list.listCount(), 0);
    QVERIFY(touch(dir.path(), "b.JPG"));
    list.refresh();
    QCOMPARE(entries(list), (QStringList{"b.JPG"}));

    // Another directory holding the very same names lists them too.
    QTemporaryDir other;
    QVERIFY(other.isValid());
    QVERIFY(touch(other.path(), "b.JPG"));
    list.setPath(other.path());
    QCOMPARE(entries(list), (QStringList{"b.JPG"}));
}

void TestFileList::unreadablePathsListNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.path(), "a.jpg"));
    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));

    list.setPath(dir.path());
    QVERIFY(list.isReadable());
    list.setPath(dir.filePath(QStringLiteral("a.jpg"))); // a file, not a directory
    QCOMPARE(list.listCount(), 0);
    QVERIFY(!list.isReadable());
    list.setPath(dir.filePath(QStringLiteral("missing")));
    QCOMPARE(list.listCount(), 0);
    QVERIFY(!list.isReadable());
    list.setPath(dir.filePath(QStringLiteral("missing/deeper/still")));
    QCOMPARE(list.listCount(), 0);
    list.setPath(dir.path() + QStringLiteral("/a.jpg/"));
    QCOMPARE(list.listCount(), 0);

    list.setPath(dir.path());
    QCOMPARE(list.listCount(), 1);

#ifdef Q_OS_UNIX
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QVERIFY(touch(locked, "b.jpg"));
    QVERIFY(QFile::setPermissions(locked, QFileDevice::Permissions()));
    list.setPath(locked);
    if (list.listCount() == 0) {
        // Readable again: listed again.
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner));
        list.refresh();
        QCOMPARE(entries(list), (QStringList{"b.jpg"}));
    } else {
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner);
        QSKIP("running with the rights to read any directory");
    }
#endif
}

void TestFileList::emptyPathListsNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.path(), "a.jpg"));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));

    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    QCOMPARE(list.path(), QString());
    list.refresh();
    const int fromNoPath = list.listCount();
    list.setPath(dir.path());
    const int fromDirectory = list.listCount();
    list.setPath(QString());
    const int fromEmptyPath = list.listCount();

    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(fromNoPath, 0);
    QCOMPARE(fromDirectory, 1);
    QCOMPARE(fromEmptyPath, 0);
}

void TestFileList::outOfRangeIndex()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(touch(dir.path(), "a.jpg"));
    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    QCOMPARE(list.name(), QStringLiteral("File1"));
    QCOMPARE(list.list(0), QString());
    list.setPath(dir.path());
    QCOMPARE(list.list(0), QStringLiteral("a.jpg"));
    QCOMPARE(list.list(1), QString());
    QCOMPARE(list.list(-1), QString());
    QCOMPARE(list.list(std::numeric_limits<int>::min()), QString());
    QCOMPARE(list.list(std::numeric_limits<int>::max()), QString());
}

void TestFileList::moreThan32767Files()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const int count = 33000;
    for (int i = 0; i < count; ++i)
        QVERIFY(touch(dir.path(), QByteArray("IMG_") +
                                      QByteArray::number(i).rightJustified(5, '0') +
                                      (i % 2 ? ".JPG" : ".jpg")));
    QVERIFY(touch(dir.path(), "notes.txt"));

    FileList list(QStringLiteral("File1"), QStringLiteral("*.jpg"));
    list.setPath(dir.path());
    QCOMPARE(list.listCount(), count);
    QCOMPARE(list.list(0), QStringLiteral("IMG_00000.jpg"));
    QCOMPARE(list.list(32767), QStringLiteral("IMG_32767.JPG"));
    QCOMPARE(list.list(count - 1), QStringLiteral("IMG_32999.JPG"));
    QCOMPARE(list.list(count), QString());

    list.refresh();
    QCOMPARE(list.listCount(), count);
    QCOMPARE(list.list(count - 1), QStringLiteral("IMG_32999.JPG"));

    // The next shot arrives and an early one is deleted.
    QVERIFY(touch(dir.path(), "IMG_33000.JPG"));
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("IMG_00000.jpg"))));
    list.refresh();
    QCOMPARE(list.listCount(), count);
    QCOMPARE(list.list(0), QStringLiteral("IMG_00001.JPG"));
    QCOMPARE(list.list(count - 1), QStringLiteral("IMG_33000.JPG"));
    for (int i = 1; i < list.listCount(); i += 997)
        QVERIFY(QString::compare(list.list(i - 1), list.list(i), Qt::CaseInsensitive) < 0);
}

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_filelist.moc"
