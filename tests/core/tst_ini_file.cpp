#undef QT_NO_CAST_FROM_ASCII
#include "core/ini_file.h"

#include "support/file_bytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void readLimit_data();
    void readLimit();
    void write_data();
    void write();
    void writeRefusesNames_data();
    void writeRefusesNames();
    void writeManyKeysFromScratch();
    void writeFailureTouchesNothing();
    void unreadableFilesReadAsMissing_data();
    void unreadableFilesReadAsMissing();
    void pipeIsNeverRead();
    void oversizedFileIsNotRewritten();
};

void TestIniFile::read_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QByteArray &file, const char *section,
                        const char *key, const QString &expected) {
        QTest::newRow(name) << file << QString(section) << QString(key) << expected;
    };

    const QByteArray simple = "[search]\r\npath=/home/a\r\next=*.txt\r\n[htm]\r\nbgBorder=True\r\n";
    row("plain", simple, "search", "path", "/home/a");
    row("second section", simple, "htm", "bgBorder", "True");
    row("names in any case", simple, "SEARCH", "EXT", "*.txt");
    row("key of another section", simple, "htm", "path", "");
    row("missing section", simple, "window", "left", "");
    row("missing key", simple, "search", "bgSkipEmptyDir", "");
    row("LF line ends", "[search]\npath=x\next=y\n", "search", "ext", "y");
    row("no line end at all", "[search]\npath=last", "search", "path", "last");
    row("blanks around = and value", "[search]\r\n  path \t=  \t/a b  \r\n", "search", "path",
        "/a b");
    row("blanks in section header", "[ search ]\r\npath=x\r\n", "search", "path", "x");
    row("value holding =", "[s]\r\nk=a=b==c\r\n", "s", "k", "a=b==c");
    row("empty value", "[s]\r\nk=\r\n", "s", "k", "");
    row("comment lines are not keys", "[s]\r\n;k=commented\r\n#k=hashed\r\nk=real\r\n", "s", "k",
        "real");
    row("commented section header is no section", ";[s]\r\nk=outside\r\n", "s", "k", "");
    row("first of two keys", "[s]\r\nk=1\r\nk=2\r\n", "s", "k", "1");
    row("first of two sections", "[s]\r\na=1\r\n[s]\r\nk=2\r\n", "s", "k", "");
    row("keys before any section", "k=1\r\n[s]\r\n", "s", "k", "");
    row("line without =", "[s]\r\nk\r\n", "s", "k", "");
    row("text after ] ignored", "[s] ; note\r\nk=v\r\n", "s", "k", "v");
    row("UTF-8", "[s]\r\nk=caf\xC3\xA9 \xE6\x97\xA5\r\n", "s", "k",
        QString::fromUtf8("caf\xC3\xA9 \xE6\x97\xA5"));
    row("UTF-8 with byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "s", "k", "v");
    row("older file read as Latin-1", "[s]\r\nk=caf\xE9\r\n", "s", "k",
        QString::fromLatin1("caf\xE9"));
    row("NUL bytes inside a value", QByteArray("[s]\r\nk=a\0b\r\n", 10), "s", "k",
        QStringView(u"a\0b", 3).toString());
    row("lone CR kept inside the line", "[s]\rk=v\r\n", "s", "k", "");
}

void TestIniFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("a.kiv");
    QVERIFY(writeAll(path, file));
    QCOMPARE(IniFile::read(section, key, path), expected);
    QCOMPARE(IniFile::read(section, key, path, "default"),
             expected.isEmpty() && !IniDocument::fromBytes(file).value(section, key) ? "default"
                                                                                     : expected);
}

void TestIniFile::readLimit_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("249 characters") << QString(249, u'y') << QString(249, u'y');
    QTest::newRow("250 characters") << QString(250, u'z') << QString(249, u'z');
    QTest::newRow("blanks removed before the cut")
        << QString(10, u' ') + QString(260, u'a') << QString(249, u'a');
    QTest::newRow("characters outside the basic plane are not split")
        << QString("\U0001F600").repeated(260) << QString("\U0001F600").repeated(249);
}

void TestIniFile::readLimit()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath("long.kiv");
    QVERIFY(writeAll(path, "[htm]\r\nsgFont=" + stored.toUtf8() + "\r\n"));
    QCOMPARE(IniFile::read("htm", "sgFont", path), expected);
}

void TestIniFile::write_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");
    // A null `before` stands for a file that does not exist yet.
    const auto row = [](const char *name, const QByteArray &before, const char *section,
                        const char *key, const QString &value, const QByteArray &after) {
        QTest::newRow(name) << !before.isNull() << before << QString(section) << QString(key)
                            << value << after;
    };

    row("new file", QByteArray(), "search", "path", "/a", "[search]\r\npath=/a\r\n");
    row("empty file", "", "search", "path", "/a", "[search]\r\npath=/a\r\n");
    row("replace in place, other lines kept byte for byte",
        "; mine\r\n[search]\r\nother = 1 \r\npath=/old\r\nlast=2\r\n", "search", "path", "/new",
        "; mine\r\n[search]\r\nother = 1 \r\npath=/new\r\nlast=2\r\n");
    row("replace keeps the file's spelling and blanks after =", "[Search]\r\n  PATH =  /old\r\n",
        "search", "path", "/new", "[Search]\r\n  PATH =  /new\r\n");
    row("replace in an LF file writes CR LF on that line only", "[s]\na=1\nk=old\nb=2\n", "s", "k",
        "new", "[s]\na=1\nk=new\r\nb=2\n");
    row("value holding =", "[s]\r\nk=1\r\n", "s", "k", "a=b", "[s]\r\nk=a=b\r\n");
    row("new key after the section's last line, before the blank line",
        "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", "s", "k", "v",
        "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
    row("new key in an empty section", "[s]\r\n[t]\r\n", "s", "k", "v", "[s]\r\nk=v\r\n[t]\r\n");
    row("new key in the last section without a final line end", "[s]\r\na=1", "s", "k", "v",
        "[s]\r\na=1\r\nk=v\r\n");
    row("new section at the end after a blank line", "[s]\r\na=1\r\n", "window", "left", "10",
        "[s]\r\na=1\r\n\r\n[window]\r\nleft=10\r\n");
    row("new section after a file without a final line end", "x", "s", "k", "v",
        "x\r\n\r\n[s]\r\nk=v\r\n");
    row("commented key is not replaced", "[s]\r\n;k=old\r\n", "s", "k", "v",
        "[s]\r\n;k=old\r\nk=v\r\n");
    row("line breaks in a value become blanks", "[s]\r\nk=1\r\n", "s", "k", "a\r\n[window]\nleft=0",
        "[s]\r\nk=a  [window] left=0\r\n");
    row("UTF-8 written", QByteArray(), "s", "k", QString::fromUtf8("\xC3\xA9\xE6\x97\xA5"),
        "[s]\r\nk=\xC3\xA9\xE6\x97\xA5\r\n");
    row("byte-order mark kept", "\xEF\xBB\xBF[s]\r\nk=1\r\n", "s", "k", "2",
        "\xEF\xBB\xBF[s]\r\nk=2\r\n");
    row("older Latin-1 file becomes UTF-8 with its characters kept",
        "[s]\r\nname=caf\xE9\r\nk=1\r\n", "s", "k", "2", "[s]\r\nname=caf\xC3\xA9\r\nk=2\r\n");
}

void TestIniFile::write()
{
    QFETCH(bool, exists);
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.filePath("w.kiv");
    if (exists)
        QVERIFY(writeAll(path, before));
    QVERIFY(IniFile::write(section, key, value, path));
    compareBytes(readAll(path), after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(IniFile::read(section, key, path),
             QString(value).replace(u'\r', u' ').replace(u'\n', u' ').trimmed());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList { "w.kiv" });
}

void TestIniFile::writeRefusesNames_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    QTest::newRow("empty section") << QString() << QString("k");
    QTest::newRow("empty key") << QString("s") << QString(" ");
    QTest::newRow("key holding =") << QString("s") << QString("a=b");
    QTest::newRow("key that reads as a comment") << QString("s") << QString(";k");
    QTest::newRow("key that reads as a section") << QString("s") << QString("[k]");
    QTest::newRow("section holding ]") << QString("a]b") << QString("k");
    QTest::newRow("section holding a line break") << QString("a\nb") << QString("k");
}

void TestIniFile::writeRefusesNames()
{
    QFETCH(QString, section);
    QFETCH(QString, key);

    QTemporaryDir dir;
    const QString path = dir.filePath("w.kiv");
    QVERIFY(writeAll(path, "[s]\r\nk=1\r\n"));
    QVERIFY(!IniFile::write(section, key, "v", path));
    QCOMPARE(readAll(path), QByteArray("[s]\r\nk=1\r\n"));
}

void TestIniFile::writeManyKeysFromScratch()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("many.kiv");
    QVERIFY(IniFile::write("search", "path", "/p", path));
    QVERIFY(IniFile::write("search", "ext", "txt", path));
    QVERIFY(IniFile::write("htm", "bgBorder", "True", path));
    QVERIFY(IniFile::write("window", "left", "15", path));
    QVERIFY(IniFile::write("SEARCH", "PATH", "/q", path));
    compareBytes(readAll(path),
                 "[search]\r\npath=/q\r\next=txt\r\n\r\n[htm]\r\nbgBorder=True\r\n"
                 "\r\n[window]\r\nleft=15\r\n");
}

void TestIniFile::writeFailureTouchesNothing()
{
    QTemporaryDir dir;
    // A file where a folder would be needed: nothing can be created below it.
    const QString blocker = dir.filePath("blocker");
    QVERIFY(writeAll(blocker, "keep"));
    QVERIFY(!IniFile::write("s", "k", "v", blocker + "/x.kiv"));
    QCOMPARE(readAll(blocker), QByteArray("keep"));

    // A folder in the file's place is neither replaced nor written into.
    const QString folder = dir.filePath("folder.kiv");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!IniFile::write("s", "k", "v", folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             (QStringList { "blocker", "folder.kiv" }));
    QVERIFY(QDir(folder).isEmpty());

    QVERIFY(!IniFile::write("s", "k", "v", {}));

    if (::geteuid() != 0) {
        const QString locked = dir.filePath("locked");
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(!IniFile::write("s", "k", "v", locked + "/x.kiv"));
        QVERIFY(QDir(locked).isEmpty());
        QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

void TestIniFile::unreadableFilesReadAsMissing_data()
{
    QTest::addColumn<QByteArray>("file");

    QByteArray garbage(64 * 1024, '\0'); // NUL bytes and every other byte value
    quint32 seed = 12345;
    for (char &c : garbage) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("one line of 10 MB") << QByteArray(10 * 1024 * 1024, 'k');
    QTest::newRow("10 MB of line ends") << QByteArray(10 * 1024 * 1024, '\n');
    QTest::newRow("larger than any settings file")
        << QByteArray("[htm]\r\nsgFont=") + QByteArray(IniFile::kMaxFileBytes, 'x');
}

void TestIniFile::unreadableFilesReadAsMissing()
{
    QFETCH(QByteArray, file);

    QTemporaryDir dir;
    const QString path = dir.filePath("bad.kiv");
    QVERIFY(writeAll(path, file));
    for (const char *key : { "sgFont", "path", "left", "bgBorder" })
        QCOMPARE(IniFile::read("htm", key, path), QString());
    QCOMPARE(readAll(path).size(), file.size());
}

void TestIniFile::pipeIsNeverRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pipe.kiv");
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    // Reading a pipe with no writer would wait for ever.
    QVERIFY(!IniFile::load(path));
    QCOMPARE(IniFile::read("s", "k", path, "d"), QString("d"));
    QVERIFY(!IniFile::write("s", "k", "v", path));
    QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    QVERIFY(!IniFile::load(QString("/dev/zero")));
}

void TestIniFile::oversizedFileIsNotRewritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("big.kiv");
    const QByteArray big = QByteArray("[s]\r\nk=") + QByteArray(IniFile::kMaxFileBytes, 'x');
    QVERIFY(writeAll(path, big));
    QVERIFY(!IniFile::write("s", "k", "v", path));
    QCOMPARE(QFileInfo(path).size(), big.size());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
