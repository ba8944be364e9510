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

    const QByteArray simple = "[search]\r\npath=/home/a\r\next=*.txt\r\n[htm]\r\nbgBorder=True\r\n";
    QTest::newRow("plain") << simple << "search"
                           << "path"
                           << "/home/a";
    QTest::newRow("second section") << simple << "htm"
                                    << "bgBorder"
                                    << "True";
    QTest::newRow("names in any case") << simple << "SEARCH"
                                       << "EXT"
                                       << "*.txt";
    QTest::newRow("key of another section") << simple << "htm"
                                            << "path"
                                            << "";
    QTest::newRow("missing section") << simple << "window"
                                     << "left"
                                     << "";
    QTest::newRow("missing key") << simple << "search"
                                 << "bgSkipEmptyDir"
                                 << "";
    QTest::newRow("LF line ends") << QByteArray("[search]\npath=x\next=y\n") << "search"
                                  << "ext"
                                  << "y";
    QTest::newRow("no line end at all") << QByteArray("[search]\npath=last") << "search"
                                        << "path"
                                        << "last";
    QTest::newRow("blanks around = and value")
        << QByteArray("[search]\r\n  path \t=  \t/a b  \r\n") << "search"
        << "path"
        << "/a b";
    QTest::newRow("blanks in section header") << QByteArray("[ search ]\r\npath=x\r\n") << "search"
                                              << "path"
                                              << "x";
    QTest::newRow("value holding =") << QByteArray("[s]\r\nk=a=b==c\r\n") << "s"
                                     << "k"
                                     << "a=b==c";
    QTest::newRow("empty value") << QByteArray("[s]\r\nk=\r\n") << "s"
                                 << "k"
                                 << "";
    QTest::newRow("comment lines are not keys")
        << QByteArray("[s]\r\n;k=commented\r\n#k=hashed\r\nk=real\r\n") << "s"
        << "k"
        << "real";
    QTest::newRow("commented section header is no section")
        << QByteArray(";[s]\r\nk=outside\r\n") << "s"
        << "k"
        << "";
    QTest::newRow("first of two keys") << QByteArray("[s]\r\nk=1\r\nk=2\r\n") << "s"
                                       << "k"
                                       << "1";
    QTest::newRow("first of two sections") << QByteArray("[s]\r\na=1\r\n[s]\r\nk=2\r\n") << "s"
                                           << "k"
                                           << "";
    QTest::newRow("keys before any section") << QByteArray("k=1\r\n[s]\r\n") << "s"
                                             << "k"
                                             << "";
    QTest::newRow("line without =") << QByteArray("[s]\r\nk\r\n") << "s"
                                    << "k"
                                    << "";
    QTest::newRow("text after ] ignored") << QByteArray("[s] ; note\r\nk=v\r\n") << "s"
                                          << "k"
                                          << "v";
    QTest::newRow("UTF-8") << QByteArray("[s]\r\nk=caf\xC3\xA9 \xE6\x97\xA5\r\n") << "s"
                           << "k" << QString::fromUtf8("caf\xC3\xA9 \xE6\x97\xA5");
    QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBF[s]\r\nk=v\r\n") << "s"
                                                << "k"
                                                << "v";
    QTest::newRow("older file read as Latin-1") << QByteArray("[s]\r\nk=caf\xE9\r\n") << "s"
                                                << "k" << QString(QChar(0xE9)).prepend(u"caf");
    QTest::newRow("NUL bytes inside a value") << QByteArray("[s]\r\nk=a\0b\r\n", 10) << "s"
                                              << "k" << QStringView(u"a\0b", 3).toString();
    QTest::newRow("lone CR kept inside the line") << QByteArray("[s]\rk=v\r\n") << "s"
                                                  << "k"
                                                  << "";
}

void TestIniFile::read()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.kiv"));
    QVERIFY(writeAll(path, file));
    QCOMPARE(IniFile::read(section, key, path), expected);
    QCOMPARE(IniFile::read(section, key, path, QStringLiteral("default")),
             expected.isEmpty() && !IniDocument::fromBytes(file).value(section, key)
                 ? QStringLiteral("default")
                 : expected);
}

void TestIniFile::readLimit_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    const QString x300(300, u'x');
    QTest::newRow("300 characters") << x300 << QString(249, u'x');
    QTest::newRow("249 characters") << QString(249, u'y') << QString(249, u'y');
    QTest::newRow("250 characters") << QString(250, u'z') << QString(249, u'z');
    QTest::newRow("blanks removed before the cut")
        << QString(10, u' ') + QString(260, u'a') << QString(249, u'a');
    QString wide;
    for (int i = 0; i < 260; ++i)
        wide += QStringLiteral("\U0001F600");
    QString wide249;
    for (int i = 0; i < 249; ++i)
        wide249 += QStringLiteral("\U0001F600");
    QTest::newRow("characters outside the basic plane are not split") << wide << wide249;
}

void TestIniFile::readLimit()
{
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.kiv"));
    QVERIFY(writeAll(path, "[htm]\r\nsgFont=" + stored.toUtf8() + "\r\n"));
    QCOMPARE(IniFile::read(QStringLiteral("htm"), QStringLiteral("sgFont"), path), expected);
}

void TestIniFile::write_data()
{
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << false << QByteArray() << "search"
                              << "path"
                              << "/a" << QByteArray("[search]\r\npath=/a\r\n");
    QTest::newRow("empty file") << true << QByteArray() << "search"
                                << "path"
                                << "/a" << QByteArray("[search]\r\npath=/a\r\n");
    QTest::newRow("replace in place, other lines kept byte for byte")
        << true << QByteArray("; mine\r\n[search]\r\nother = 1 \r\npath=/old\r\nlast=2\r\n")
        << "search"
        << "path"
        << "/new" << QByteArray("; mine\r\n[search]\r\nother = 1 \r\npath=/new\r\nlast=2\r\n");
    QTest::newRow("replace keeps the file's spelling and blanks after =")
        << true << QByteArray("[Search]\r\n  PATH =  /old\r\n") << "search"
        << "path"
        << "/new" << QByteArray("[Search]\r\n  PATH =  /new\r\n");
    QTest::newRow("replace in an LF file writes CR LF on that line only")
        << true << QByteArray("[s]\na=1\nk=old\nb=2\n") << "s"
        << "k"
        << "new" << QByteArray("[s]\na=1\nk=new\r\nb=2\n");
    QTest::newRow("value holding =") << true << QByteArray("[s]\r\nk=1\r\n") << "s"
                                     << "k"
                                     << "a=b" << QByteArray("[s]\r\nk=a=b\r\n");
    QTest::newRow("empty value") << true << QByteArray("[s]\r\nk=1\r\n") << "s"
                                 << "k"
                                 << "" << QByteArray("[s]\r\nk=\r\n");
    QTest::newRow("new key after the section's last line, before the blank line")
        << true << QByteArray("[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n") << "s"
        << "k"
        << "v" << QByteArray("[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
    QTest::newRow("new key in an empty section") << true << QByteArray("[s]\r\n[t]\r\n") << "s"
                                                 << "k"
                                                 << "v" << QByteArray("[s]\r\nk=v\r\n[t]\r\n");
    QTest::newRow("new key in the last section without a final line end")
        << true << QByteArray("[s]\r\na=1") << "s"
        << "k"
        << "v" << QByteArray("[s]\r\na=1\r\nk=v\r\n");
    QTest::newRow("new section at the end after a blank line")
        << true << QByteArray("[s]\r\na=1\r\n") << "window"
        << "left"
        << "10" << QByteArray("[s]\r\na=1\r\n\r\n[window]\r\nleft=10\r\n");
    QTest::newRow("new section after a file without a final line end")
        << true << QByteArray("x") << "s"
        << "k"
        << "v" << QByteArray("x\r\n\r\n[s]\r\nk=v\r\n");
    QTest::newRow("commented key is not replaced") << true << QByteArray("[s]\r\n;k=old\r\n") << "s"
                                                   << "k"
                                                   << "v" << QByteArray("[s]\r\n;k=old\r\nk=v\r\n");
    QTest::newRow("line breaks in a value become blanks")
        << true << QByteArray("[s]\r\nk=1\r\n") << "s"
        << "k"
        << "a\r\n[window]\nleft=0" << QByteArray("[s]\r\nk=a  [window] left=0\r\n");
    QTest::newRow("UTF-8 written") << false << QByteArray() << "s"
                                   << "k" << QString::fromUtf8("\xC3\xA9\xE6\x97\xA5")
                                   << QByteArray("[s]\r\nk=\xC3\xA9\xE6\x97\xA5\r\n");
    QTest::newRow("byte-order mark kept") << true << QByteArray("\xEF\xBB\xBF[s]\r\nk=1\r\n") << "s"
                                          << "k"
                                          << "2" << QByteArray("\xEF\xBB\xBF[s]\r\nk=2\r\n");
    QTest::newRow("older Latin-1 file becomes UTF-8 with its characters kept")
        << true << QByteArray("[s]\r\nname=caf\xE9\r\nk=1\r\n") << "s"
        << "k"
        << "2" << QByteArray("[s]\r\nname=caf\xC3\xA9\r\nk=2\r\n");
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
    const QString path = dir.filePath(QStringLiteral("w.kiv"));
    if (exists)
        QVERIFY(writeAll(path, before));
    QVERIFY(IniFile::write(section, key, value, path));
    compareBytes(readAll(path), after);
    if (QTest::currentTestFailed())
        return;
    QString expectedBack = value;
    expectedBack.replace(u'\r', u' ').replace(u'\n', u' ');
    QCOMPARE(IniFile::read(section, key, path), expectedBack.trimmed());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList { QStringLiteral("w.kiv") });
}

void TestIniFile::writeRefusesNames_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");

    QTest::newRow("empty section") << ""
                                   << "k";
    QTest::newRow("empty key") << "s"
                               << " ";
    QTest::newRow("key holding =") << "s"
                                   << "a=b";
    QTest::newRow("key that reads as a comment") << "s"
                                                 << ";k";
    QTest::newRow("key that reads as a section") << "s"
                                                 << "[k]";
    QTest::newRow("section holding ]") << "a]b"
                                       << "k";
    QTest::newRow("section holding a line break") << "a\nb"
                                                  << "k";
}

void TestIniFile::writeRefusesNames()
{
    QFETCH(QString, section);
    QFETCH(QString, key);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("w.kiv"));
    QVERIFY(writeAll(path, "[s]\r\nk=1\r\n"));
    QVERIFY(!IniFile::write(section, key, QStringLiteral("v"), path));
    QCOMPARE(readAll(path), QByteArray("[s]\r\nk=1\r\n"));
}

void TestIniFile::writeManyKeysFromScratch()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("many.kiv"));
    QVERIFY(IniFile::write(QStringLiteral("search"), QStringLiteral("path"), QStringLiteral("/p"),
                           path));
    QVERIFY(IniFile::write(QStringLiteral("search"), QStringLiteral("ext"), QStringLiteral("txt"),
                           path));
    QVERIFY(IniFile::write(QStringLiteral("htm"), QStringLiteral("bgBorder"),
                           QStringLiteral("True"), path));
    QVERIFY(IniFile::write(QStringLiteral("window"), QStringLiteral("left"), QStringLiteral("15"),
                           path));
    QVERIFY(IniFile::write(QStringLiteral("SEARCH"), QStringLiteral("PATH"), QStringLiteral("/q"),
                           path));
    compareBytes(readAll(path),
                 "[search]\r\npath=/q\r\next=txt\r\n\r\n[htm]\r\nbgBorder=True\r\n"
                 "\r\n[window]\r\nleft=15\r\n");
}

void TestIniFile::writeFailureTouchesNothing()
{
    QTemporaryDir dir;
    // A file where a folder would be needed: nothing can be created below it.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QVERIFY(writeAll(blocker, "keep"));
    QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"),
                            blocker + QStringLiteral("/x.kiv")));
    QCOMPARE(readAll(blocker), QByteArray("keep"));

    // A folder in the file's place is neither replaced nor written into.
    const QString folder = dir.filePath(QStringLiteral("folder.kiv"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             (QStringList { QStringLiteral("blocker"), QStringLiteral("folder.kiv") }));
    QVERIFY(QDir(folder).isEmpty());

    QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), {}));

    if (::geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(locked));
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"),
                                locked + QStringLiteral("/x.kiv")));
        QVERIFY(QDir(locked).isEmpty());
        QFile::setPermissions(
            locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

void TestIniFile::unreadableFilesReadAsMissing_data()
{
    QTest::addColumn<QByteArray>("file");

    QByteArray garbage(64 * 1024, '\0');
    quint32 seed = 12345;
    for (char &c : garbage) {
        seed = seed * 1103515245u + 12345u;
        c = char(seed >> 24);
    }
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("one line of 10 MB") << QByteArray(10 * 1024 * 1024, 'k');
    QTest::newRow("10 MB of line ends") << QByteArray(10 * 1024 * 1024, '\n');
    QTest::newRow("NUL bytes") << QByteArray(4096, '\0');
    QTest::newRow("larger than any settings file")
        << QByteArray("[htm]\r\nsgFont=") + QByteArray(IniFile::kMaxFileBytes, 'x');
}

void TestIniFile::unreadableFilesReadAsMissing()
{
    QFETCH(QByteArray, file);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.kiv"));
    QVERIFY(writeAll(path, file));
    for (const char *key : { "sgFont", "path", "left", "bgBorder" })
        QCOMPARE(IniFile::read(QStringLiteral("htm"), QString::fromLatin1(key), path), QString());
    QCOMPARE(readAll(path).size(), file.size());
}

void TestIniFile::pipeIsNeverRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("pipe.kiv"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    // Reading a pipe with no writer would wait for ever.
    QVERIFY(!IniFile::load(path));
    QCOMPARE(IniFile::read(QStringLiteral("s"), QStringLiteral("k"), path, QStringLiteral("d")),
             QStringLiteral("d"));
    QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), path));
    QVERIFY(QFileInfo(path).exists() && !QFileInfo(path).isFile());
    QVERIFY(!IniFile::load(QStringLiteral("/dev/zero")));
}

void TestIniFile::oversizedFileIsNotRewritten()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.kiv"));
    const QByteArray big = QByteArray("[s]\r\nk=") + QByteArray(IniFile::kMaxFileBytes, 'x');
    QVERIFY(writeAll(path, big));
    QVERIFY(!IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), path));
    QCOMPARE(QFileInfo(path).size(), big.size());
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
