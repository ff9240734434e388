// The profile functions on what the file holds: names, values, comments
// and line endings as Windows reads and writes them.
#include "platform/ProfileFile.h"
#include "support/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace kelvaris;
using B = QByteArray;
using kelvaris::test::readFile;
using kelvaris::test::writeFile;

namespace {

const QByteArray kDefault = "DEF";

} // namespace

class TestProfileFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void read_data();
    void read();
    void readCutsToSize_data();
    void readCutsToSize();
    void garbage();

    void lineEndings_data();
    void lineEndings();

    void write_data();
    void write();
    void writeThenRead();
    void writeRefusesWhatCannotReadBack_data();
    void writeRefusesWhatCannotReadBack();

private:
    QTemporaryDir m_dir;
    QString m_ini;
};

void TestProfileFile::init()
{
    QVERIFY(m_dir.isValid());
    m_ini = m_dir.filePath(QStringLiteral("test.ini"));
    QFile::remove(m_ini);
}

void TestProfileFile::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("expected");
    const auto row = [](const char* name, const B& content, const B& section, const B& key,
                        const B& expected) {
        QTest::newRow(name) << content << section << key << expected;
    };

    const B s = "[s]\r\n";
    row("plain", "[Main]\r\nFolder=C:\\Photos\r\n", "Main", "Folder", "C:\\Photos");
    row("section case", "[MAIN]\r\nk=v\r\n", "main", "k", "v");
    row("key case", s + "FoLdEr=v\r\n", "s", "fOLDER", "v");
    row("accent case, Windows-1252", "[Caf\xC9]\r\nCl\xE9=v\r\n", "caf\xE9", "CL\xC9", "v");
    row("Y diaeresis case", "[\x9F]\r\nk=v\r\n", "\xFF", "k", "v");
    row("UTF-8 section is another name", "[Caf\xC3\xA9]\r\nk=v\r\n", "Caf\xE9", "k", kDefault);
    row("UTF-8 key is another name", s + "Cl\xE9=v\r\n", "s", "Cl\xC3\xA9", kDefault);
    row("white space around names", " \t[  Main \t]  \r\n\t Folder \t=v\r\n", "Main", "Folder",
        "v");
    row("vertical tab around names", "[\v\ts \v]\r\n\v k\t\v=v\r\n", "s", "k", "v");
    // Windows trims only spaces from the names it is asked for.
    row("spaces around asked names", s + "k=v\r\n", "  s ", " k  ", "v");
    row("tab around asked section is part of it", s + "k=v\r\n", "s\t", "k", kDefault);
    row("tab around asked key is part of it", s + "k=v\r\n", "s", "\tk", kDefault);
    row("white space around value", s + "k= \t a  b \t \r\n", "s", "k", "a  b");
    row("vertical tab around value", s + "k=\v\ta b \v\r\n", "s", "k", "a b");
    row("double quotes", s + "k=\"a b\"\r\n", "s", "k", "a b");
    row("single quotes", s + "k='a b'\r\n", "s", "k", "a b");
    row("quotes after trimming", s + "k=  \" a \"  \r\n", "s", "k", " a ");
    row("one pair only", s + "k=\"\"a\"\"\r\n", "s", "k", "\"a\"");
    row("empty quotes", s + "k=\"\"\r\n", "s", "k", "");
    row("lone quote", s + "k=\"\r\n", "s", "k", "\"");
    row("mixed quotes", s + "k=\"a'\r\n", "s", "k", "\"a'");
    row("quote inside", s + "k=\"a\" b\r\n", "s", "k", "\"a\" b");
    row("empty value", s + "k=\r\n", "s", "k", "");
    row("= in value", s + "k=a=b\r\n", "s", "k", "a=b");
    // A name alone on its line, as a hand edit leaves it, is no key.
    row("name without =", s + "k\r\n", "s", "k", kDefault);
    row("name without = before the key", s + "k\r\nk=v\r\n", "s", "k", "v");
    row("names without = around the key", s + " K \t\r\nk=v\r\nk\r\n", "s", "k", "v");
    row("name without = before the next section", s + "k\r\n[t]\r\nk=v\r\n", "s", "k", kDefault);
    row("first key wins", s + "k=1\r\nK=2\r\n", "s", "k", "1");
    row("first section wins", "[s]\r\nk=1\r\n[S]\r\nk=2\r\n", "s", "k", "1");
    row("later duplicate section not searched", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", "s", "k", kDefault);
    row("key of the next section", "[s]\r\n[t]\r\nk=v\r\n", "s", "k", kDefault);
    row("lines before any section", "k=v\r\n[s]\r\n", "s", "k", kDefault);
    row("lines before any section, no name", "k=v\r\n[s]\r\n", "", "k", kDefault);
    // As Windows reads a header: up to its first ']', or to the line's end.
    row("first ] ends the name", "[a]b] x\r\nk=v\r\n", "a", "k", "v");
    row("text after the first ] is no part of the name", "[a]b] x\r\nk=v\r\n", "a]b", "k",
        kDefault);
    row("doubled ]", "[R\xE9pertoires]]\r\nk=v\r\n", "R\xE9pertoires", "k", "v");
    row("note after the header", "[R\xE9pertoires] ; note]\r\nk=v\r\n", "R\xE9pertoires", "k", "v");
    row("[ without ] opens a section", s + "[x\r\nk=v\r\n", "x", "k", "v");
    row("[ without ] ends the previous section", s + "[x\r\nk=v\r\n", "s", "k", kDefault);
    row("[ without ], trimmed", " [ x \t\r\nk=v\r\n", "x", "k", "v");
    row("[ after text opens nothing", "[t]\r\nx[s]\r\nk=v\r\n", "s", "k", kDefault);
    row("comment", s + ";k=c\r\nk=v\r\n", "s", "k", "v");
    row("asked key beginning with ; is no comment", s + ";k=c\r\n", "s", ";k", kDefault);
    row("indented comment", s + " \t;k=c\r\n", "s", ";k", kDefault);
    row("LF", "[s]\nk=v\nl=w\n", "s", "l", "w");
    row("no final newline", s + "k=v", "s", "k", "v");
    row("stray CR", s + "k=v\r\r\n", "s", "k", "v");
    row("NUL in value", s + B("k=a\0b\r\n", 7), "s", "k", B("a\0b", 3));
    row("missing section", s + "k=v\r\n", "t", "k", kDefault);
    row("missing key", s + "k=v\r\n", "s", "kk", kDefault);
    row("empty file", "", "s", "k", kDefault);
}

void TestProfileFile::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, expected);

    QVERIFY(writeFile(m_ini, content));
    QCOMPARE(getPrivateProfileString(section, key, kDefault, 255, m_ini), expected);
}

void TestProfileFile::readCutsToSize_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("length");

    const QByteArray long300(300, 'x');
    QTest::newRow("300 into 254") << long300 << B("k") << 254 << 253;
    QTest::newRow("300 into 301") << long300 << B("k") << 301 << 300;
    QTest::newRow("300 into 300") << long300 << B("k") << 300 << 299;
    QTest::newRow("size 1") << long300 << B("k") << 1 << 0;
    QTest::newRow("size 0") << long300 << B("k") << 0 << 0;
    QTest::newRow("negative size") << long300 << B("k") << -7 << 0;
    QTest::newRow("default 300 into 254") << long300 << B("x") << 254 << 253;
    QTest::newRow("default size 0") << long300 << B("x") << 0 << 0;
}

void TestProfileFile::readCutsToSize()
{
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, key);
    QFETCH(int, size);
    QFETCH(int, length);

    QVERIFY(writeFile(m_ini, "[s]\r\nk=" + value + "\r\n"));
    QCOMPARE(getPrivateProfileString("s", key, value, size, m_ini), value.left(length));
}

void TestProfileFile::garbage()
{
    for (quint32 seed = 1; seed <= 20; ++seed) {
        QRandomGenerator random(seed);
        B garbage(4096 + random.bounded(4096), Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(garbage.data()), garbage.size() / 4);
        garbage.replace('[', 'x'); // no section header by chance
        QVERIFY(writeFile(m_ini, garbage));
        QCOMPARE(getPrivateProfileString("s", "k", kDefault, 255, m_ini), kDefault);

        QVERIFY(writePrivateProfileString("s", "k", "v", m_ini));
        // The first line ending, CR, LF or CRLF, is that of the new lines.
        const auto isBreak = [](char c) { return c == '\r' || c == '\n'; };
        const auto end = std::find_if(garbage.cbegin(), garbage.cend(), isBreak) - garbage.cbegin();
        const B eol = end == garbage.size()
                          ? B("\r\n")
                          : garbage.mid(end, garbage.mid(end, 2) == "\r\n" ? 2 : 1);
        const bool ended = garbage.endsWith('\n') || garbage.endsWith('\r');
        const B tail = (ended ? B() : eol) + "[s]" + eol + "k=v" + eol;
        QCOMPARE(readFile(m_ini), garbage + tail);
        QCOMPARE(getPrivateProfileString("s", "k", kDefault, 255, m_ini), B("v"));
    }
    QVERIFY(writeFile(m_ini, B(1000, '\0') + "\n[s]\nk=v"));
    QCOMPARE(getPrivateProfileString("s", "k", kDefault, 255, m_ini), B("v"));
    QVERIFY(writeFile(m_ini, B("[\0s]\n=\0\n[]\n=\n", 14)));
    QCOMPARE(getPrivateProfileString("", "", kDefault, 255, m_ini), B());
}

void TestProfileFile::lineEndings_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("readKey");
    QTest::addColumn<QByteArray>("readValue");
    QTest::addColumn<QByteArray>("writeKey");
    QTest::addColumn<QByteArray>("after");
    const auto row = [](const char* name, const B& before, const B& readKey, const B& readValue,
                        const B& writeKey, const B& after) {
        QTest::newRow(name) << before << readKey << readValue << writeKey << after;
    };

    // A lone CR ends a line as LF and CRLF do, as Windows reads a file; new
    // lines end as the file's first line does. Keys are in [s], and "new" is
    // written under `writeKey`.
    row("CR", "[s]\ra=1\rb=2\r[t]\ra=3\r", "b", "2", "a", "[s]\ra=new\rb=2\r[t]\ra=3\r");
    row("CR, no final CR", "[s]\ra=1", "a", "1", "a", "[s]\ra=new\r");
    row("CR, new key", "[s]\ra=1\r[t]\r", "a", "1", "k", "[s]\ra=1\rk=new\r[t]\r");
    row("CR, section after", "[s]\r[t]\ra=1\r", "a", "DEF", "a", "[s]\ra=new\r[t]\ra=1\r");
    row("mixed", "[s]\r\na=1\r[t]\nb=2\n", "a", "1", "a", "[s]\r\na=new\r[t]\nb=2\n");
    row("mixed, new key", "; x\r[s]\r\na=1\r\n", "a", "1", "k", "; x\r[s]\r\na=1\r\nk=new\r");
    row("LF then CR", "[s]\n\ra=1\n\r", "a", "1", "a", "[s]\n\ra=new\n\r");
    row("CR, new section", "[t]\rb=2\r", "a", "DEF", "a", "[t]\rb=2\r[s]\ra=new\r");
}

void TestProfileFile::lineEndings()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, readKey);
    QFETCH(QByteArray, readValue);
    QFETCH(QByteArray, writeKey);
    QFETCH(QByteArray, after);

    QVERIFY(writeFile(m_ini, before));
    QCOMPARE(getPrivateProfileString("s", readKey, kDefault, 255, m_ini), readValue);
    QVERIFY(writePrivateProfileString("s", writeKey, "new", m_ini));
    QCOMPARE(readFile(m_ini), after);
}

void TestProfileFile::write_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QByteArray>("after");
    const auto row = [](const char* name, const B& before, const B& section, const B& key,
                        const B& value, const B& after) {
        QTest::newRow(name) << before << section << key << value << after;
    };

    row("replace", "[s]\r\nk=old\r\n", "s", "k", "new", "[s]\r\nk=new\r\n");
    row("replace keeps text up to =", "[S]\r\n\t K  =  old  \r\n", "s", "k", "new",
        "[S]\r\n\t K  =new\r\n");
    row("replace keeps every other byte",
        "; top\r\n\r\n[s]\n; c=1\r\nodd line \r\n  k = old \r\nx=1\n\r\n[t]\r\nk=2", "s", "k",
        "new", "; top\r\n\r\n[s]\n; c=1\r\nodd line \r\n  k =new\r\nx=1\n\r\n[t]\r\nk=2");
    row("replace first duplicate key", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "3",
        "[s]\r\nk=3\r\nk=2\r\n");
    // Windows ends every line it writes.
    row("replace last line without newline", "[s]\r\nk=old", "s", "k", "new", "[s]\r\nk=new\r\n");
    // A name without '=' is no key: the key's real line takes the value, or
    // a new one does; the name's own line stays as it was.
    row("name without = stays, the key after it changes", "[s]\r\nk\r\nk=old\r\n", "s", "k", "new",
        "[s]\r\nk\r\nk=new\r\n");
    row("name without = stays, a key is added", "[s]\r\n  k \t\r\n", "s", "k", "v",
        "[s]\r\n  k \t\r\nk=v\r\n");
    row("name without = on the last line stays", "[s]\r\n k", "s", "k", "v",
        "[s]\r\n k\r\nk=v\r\n");
    row("first ] ends the name", "[s]] ; x\r\nk=1\r\n", "s", "k", "2", "[s]] ; x\r\nk=2\r\n");
    row("[ without ] is a section", "[s\r\nk=1\r\n", "s", "k", "2", "[s\r\nk=2\r\n");
    row("Windows-1252 names match", "[CAF\xC9]\r\n\xC9T\xC9=1\r\n", "caf\xE9", "\xE9t\xE9", "2",
        "[CAF\xC9]\r\n\xC9T\xC9=2\r\n");
    row("new key before blank line and section", "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", "s", "k", "v",
        "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
    // As Windows adds a key: right after the section's last key.
    row("new key after the last key, before comments", "[s]\r\na=1\r\n; note\r\n  \r\n\r\n[t]\r\n",
        "s", "k", "v", "[s]\r\na=1\r\nk=v\r\n; note\r\n  \r\n\r\n[t]\r\n");
    row("new key in a section of comments", "[s]\r\n; a\r\n\r\n[t]\r\n", "s", "k", "v",
        "[s]\r\nk=v\r\n; a\r\n\r\n[t]\r\n");
    row("new key after a name without =", "[s]\r\nx\r\n; c\r\n", "s", "k", "v",
        "[s]\r\nx\r\nk=v\r\n; c\r\n");
    row("new key in empty section", "[s]\r\n\r\n[t]\r\n", "s", "k", "v",
        "[s]\r\nk=v\r\n\r\n[t]\r\n");
    row("new key in first duplicate section", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", "s", "k", "3",
        "[s]\r\na=1\r\nk=3\r\n[s]\r\nk=2\r\n");
    row("new key named as given", "[MAIN]\r\n", "main", "Folder", "v", "[MAIN]\r\nFolder=v\r\n");
    row("new key written without its spaces", "[s]\r\n", "s", " k  ", "v", "[s]\r\nk=v\r\n");
    row("new names written without their spaces", "", "  s  ", "  k ", " v ", "[s]\r\nk= v \r\n");
    row("new key after last line without newline", "[s]\r\na=1", "s", "k", "v",
        "[s]\r\na=1\r\nk=v\r\n");
    row("new key after header without newline", "[s]", "s", "k", "v", "[s]\r\nk=v\r\n");
    row("new key, LF file", "[s]\na=1\n\n[t]\n", "s", "k", "v", "[s]\na=1\nk=v\n\n[t]\n");
    row("keys before any section are not the section's", "k=1\r\n[s]\r\n", "s", "k", "v",
        "k=1\r\n[s]\r\nk=v\r\n");
    row("new section", "[t]\r\nb=2\r\n", "Main", "Key", "v", "[t]\r\nb=2\r\n[Main]\r\nKey=v\r\n");
    row("new section after blank lines", "[t]\r\n\r\n\r\n", "s", "k", "v",
        "[t]\r\n\r\n\r\n[s]\r\nk=v\r\n");
    row("new section, no final newline", "[t]\r\nb=2", "s", "k", "v",
        "[t]\r\nb=2\r\n[s]\r\nk=v\r\n");
    row("new section, LF file", "[t]\nb=2", "s", "k", "v", "[t]\nb=2\n[s]\nk=v\n");
    row("first line ending decides", "; a\nb=1\r\n", "s", "k", "v", "; a\nb=1\r\n[s]\nk=v\n");
    row("no line ending at all", "; only", "s", "k", "v", "; only\r\n[s]\r\nk=v\r\n");
    row("empty file", "", "s", "k", "v", "[s]\r\nk=v\r\n");
    row("value written as given", "[s]\r\n", "s", "k", " \"a\" ", "[s]\r\nk= \"a\" \r\n");
    row("null value is empty", "[s]\r\nk=1\r\n", "s", "k", B(), "[s]\r\nk=\r\n");
}

void TestProfileFile::write()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    QFETCH(QByteArray, after);

    QVERIFY(writeFile(m_ini, before));
    QVERIFY(writePrivateProfileString(section, key, value, m_ini));
    QCOMPARE(readFile(m_ini), after);
}

void TestProfileFile::writeThenRead()
{
    const QByteArray values[] = {"1", "C:\\Photos\\\xE9t\xE9", "", "a=b", "Ф\xD0"};
    int n = 0;
    for (const QByteArray& value : values) {
        const QByteArray key = "Key" + QByteArray::number(n++ % 3);
        QVERIFY(writePrivateProfileString("One", key, value, m_ini));
        QVERIFY(writePrivateProfileString("Two", key, value + "2", m_ini));
        QCOMPARE(getPrivateProfileString("one", key, kDefault, 255, m_ini), value);
        QCOMPARE(getPrivateProfileString("two", key, kDefault, 255, m_ini), value + "2");
    }
    QCOMPARE(readFile(m_ini), B("[One]\r\nKey0=a=b\r\nKey1=Ф\xD0\r\nKey2=\r\n[Two]\r\n"
                                "Key0=a=b2\r\nKey1=Ф\xD0\x32\r\nKey2=2\r\n"));
}

void TestProfileFile::writeRefusesWhatCannotReadBack_data()
{
    QTest::addColumn<QByteArray>("section");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("line break in value") << B("s") << B("k") << B("a\r\n[s]\r\nk=b");
    QTest::newRow("LF in key") << B("s") << B("a\nb") << B("v");
    QTest::newRow("CR in section") << B("s\r") << B("k") << B("v");
    QTest::newRow("= in key") << B("s") << B("a=b") << B("v");
    QTest::newRow("key like a section") << B("s") << B(" [t]") << B("v");
    // Windows would write these, and then could not find them again.
    QTest::newRow("] in section") << B("a]b") << B("k") << B("v");
    QTest::newRow("key like a comment") << B("s") << B(" ;k") << B("v");
    QTest::newRow("tab around section") << B("s\t") << B("k") << B("v");
    QTest::newRow("tab around key") << B("s") << B("\tk") << B("v");
    QTest::newRow("vertical tab around key") << B("s") << B("k\v") << B("v");
}

void TestProfileFile::writeRefusesWhatCannotReadBack()
{
    QFETCH(QByteArray, section);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);

    const QByteArray before = "[s]\r\nk=1\r\na=2\r\n";
    QVERIFY(writeFile(m_ini, before));
    QVERIFY(!writePrivateProfileString(section, key, value, m_ini));
    QCOMPARE(readFile(m_ini), before);
}

QTEST_APPLESS_MAIN(TestProfileFile)
#include "tst_profilefile.moc"
