// The profile functions against the file system: missing, unreadable,
// read-only and linked files, and files that are no regular files.
#include "platform/ProfileFile.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#ifdef Q_OS_UNIX
#include "support/FifoWatch.h"
#endif

using namespace kelvaris;
using B = QByteArray;
using kelvaris::test::readFile;
using kelvaris::test::writeFile;

namespace {

// The file's mode bits, without the "User" bits that depend on who asks.
QFileDevice::Permissions modeBits(const QString& path)
{
    return QFile::permissions(path) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

const QByteArray kDefault = "DEF";

} // namespace

class TestProfileFileIo : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void readDefault();
    void notARegularFile_data();
    void notARegularFile();
    void readLargeFile();
    void writeCreatesFile();
    void writeLeavesReadOnlyFileAlone();
    void writeIntoReadOnlyDirectory();
    void writeKeepsPermissions();
    void writeThroughSymlink();

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

void TestProfileFileIo::init()
{
    QVERIFY(m_dir.isValid());
    m_ini = m_dir.filePath(QStringLiteral("test.ini"));
    QFile::remove(m_ini);
    QDir().rmdir(m_ini);
}

void TestProfileFileIo::readDefault()
{
    const QString missing = m_dir.filePath(QStringLiteral("missing.ini"));
    QCOMPARE(getPrivateProfileString("s", "k", "d", 255, missing), B("d"));
    for (const QString& unreadable : {m_dir.path(), QString()})
        QCOMPARE(getPrivateProfileString("s", "k", "d", 255, unreadable), B("d"));
    // Windows drops trailing blanks of the default, not leading ones.
    QCOMPARE(getPrivateProfileString("s", "k", " a b  ", 255, missing), B(" a b"));
    QCOMPARE(getPrivateProfileString("s", "k", B(), 255, missing), B());
}

void TestProfileFileIo::notARegularFile_data()
{
    QTest::addColumn<QString>("kind");
    for (const char* kind : {"named pipe", "device", "link to a device", "directory"})
        QTest::newRow(kind) << QString::fromLatin1(kind);
}

void TestProfileFileIo::notARegularFile()
{
    // A named pipe would keep a blocking reader waiting for ever, and a
    // device such as /dev/zero never ends: neither is read, nor written.
#ifdef Q_OS_UNIX
    QFETCH(QString, kind);
    QString path = m_ini;
    std::unique_ptr<test::FifoWatch> pipe;
    if (kind == QLatin1String("named pipe")) {
        pipe = std::make_unique<test::FifoWatch>(m_ini);
        QVERIFY(pipe->made());
    } else if (kind == QLatin1String("device")) {
        path = QStringLiteral("/dev/zero");
    } else if (kind == QLatin1String("link to a device")) {
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_ini));
    } else {
        QVERIFY(QDir().mkdir(m_ini));
    }

    QCOMPARE(getPrivateProfileString("s", "k", kDefault, 255, path), kDefault);
    QVERIFY(!writePrivateProfileString("s", "k", "v", path));
    if (pipe) {
        QCOMPARE(pipe->readersSeen(), 0);
        QVERIFY(pipe->stillAPipe());
    }
#else
    QSKIP("named pipes and devices as on Unix");
#endif
}

void TestProfileFileIo::readLargeFile()
{
    QByteArray data;
    data += "[Start]\r\nLine=" + B(2 << 20, 'y') + "\r\n";
    for (int i = 0; data.size() < (10 << 20); ++i)
        data += "[Section" + QByteArray::number(i) + "]\r\nKey=Value" + QByteArray::number(i) +
                "\r\nOther=" + B(60, 'z') + "\r\n";
    data += "[Last]\r\nKey=found\r\n";
    QVERIFY(writeFile(m_ini, data));
    QCOMPARE(getPrivateProfileString("last", "key", kDefault, 255, m_ini), B("found"));
    QCOMPARE(getPrivateProfileString("Section5000", "Key", kDefault, 255, m_ini), B("Value5000"));
    QCOMPARE(getPrivateProfileString("Start", "Line", kDefault, 255, m_ini), B(254, 'y'));

    QVERIFY(writePrivateProfileString("Last", "New", "1", m_ini));
    QCOMPARE(readFile(m_ini), data + "New=1\r\n");
}

void TestProfileFileIo::writeCreatesFile()
{
    QVERIFY(writePrivateProfileString("Main", "Folder", "C:\\x", m_ini));
    QCOMPARE(readFile(m_ini), B("[Main]\r\nFolder=C:\\x\r\n"));

    const QString noDir = m_dir.filePath(QStringLiteral("no/such/dir/x.ini"));
    QVERIFY(!writePrivateProfileString("s", "k", "v", noDir));
    QVERIFY(!QFile::exists(noDir));
    QVERIFY(!writePrivateProfileString("s", "k", "v", m_dir.path()));
}

void TestProfileFileIo::writeLeavesReadOnlyFileAlone()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits as POSIX keeps them");
#endif
    const QByteArray before = "[s]\r\nk=1\r\n";
    QVERIFY(writeFile(m_ini, before));
    const auto readOnly = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    QVERIFY(QFile::setPermissions(m_ini, readOnly));

    QVERIFY(!writePrivateProfileString("s", "k", "2", m_ini));
    QVERIFY(!writePrivateProfileString("t", "k", "2", m_ini));
    QCOMPARE(readFile(m_ini), before);
    QCOMPARE(modeBits(m_ini), readOnly & ~QFile::ReadUser);
    QCOMPARE(getPrivateProfileString("s", "k", kDefault, 255, m_ini), B("1"));
}

void TestProfileFileIo::writeIntoReadOnlyDirectory()
{
#ifndef Q_OS_UNIX
    QSKIP("a directory made read-only by its permission bits, as on POSIX");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString existing = dir.filePath(QStringLiteral("a.ini"));
    QVERIFY(writeFile(existing, "[s]\r\nk=1\r\n"));
    const auto readOnlyDir = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser |
                             QFile::ReadGroup | QFile::ExeGroup;
    QVERIFY(QFile::setPermissions(dir.path(), readOnlyDir));

    const QString missing = dir.filePath(QStringLiteral("b.ini"));
    const bool created = writePrivateProfileString("s", "k", "v", missing);
    // The file itself is writable, so it is written in place.
    const bool updated = writePrivateProfileString("s", "k", "2", existing);
    const QByteArray after = readFile(existing);
    const bool missingExists = QFile::exists(missing);
    QVERIFY(QFile::setPermissions(dir.path(), readOnlyDir | QFile::WriteOwner | QFile::WriteUser));

    QVERIFY(!created);
    QVERIFY(!missingExists);
    QVERIFY(updated);
    QCOMPARE(after, B("[s]\r\nk=2\r\n"));
}

void TestProfileFileIo::writeKeepsPermissions()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits as POSIX keeps them");
#endif
    const auto modes = {QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup,
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                            QFile::WriteOther};
    for (const QFileDevice::Permissions mode : modes) {
        QVERIFY(writeFile(m_ini, "[s]\r\nk=1\r\n"));
        QVERIFY(QFile::setPermissions(m_ini, mode));
        QVERIFY(writePrivateProfileString("s", "k", "2", m_ini));
        QVERIFY(writePrivateProfileString("t", "k", "3", m_ini));
        QCOMPARE(modeBits(m_ini), mode);
        QCOMPARE(readFile(m_ini), B("[s]\r\nk=2\r\n[t]\r\nk=3\r\n"));
    }
}

void TestProfileFileIo::writeThroughSymlink()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links as POSIX makes them");
#endif
    const QString target = m_dir.filePath(QStringLiteral("real.ini"));
    QVERIFY(writeFile(target, "[s]\r\nk=1\r\n"));
    QVERIFY(QFile::link(target, m_ini));

    QVERIFY(writePrivateProfileString("s", "k", "2", m_ini));
    QVERIFY(QFileInfo(m_ini).isSymLink());
    QCOMPARE(readFile(target), B("[s]\r\nk=2\r\n"));
}

QTEST_APPLESS_MAIN(TestProfileFileIo)
#include "tst_profilefileio.moc"
