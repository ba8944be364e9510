#undef QT_NO_CAST_FROM_ASCII
#include "core/ini_file.h"

#include "support/file_bytes.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

// Every case reads or writes key "k" of section "s"; an empty expected value
// means the key is missing.
class TestIniFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QByteArray &file, const QString &expected) {
            QTest::newRow(name) << file << expected;
        };
        row("names in any case", "[t]\r\nk=1\r\n[S]\r\nK=*.txt\r\n", "*.txt");
        row("key of another section", "[t]\r\nk=1\r\n[s]\r\nj=2\r\n", "");
        row("LF line ends", "[s]\nj=x\nk=y\n", "y");
        row("blanks around = and value", "[ s ]\r\n  k \t=  \t/a b  \r\n", "/a b");
        row("comment lines are not keys", "[s]\r\n;k=commented\r\n#k=hashed\r\nk=real\r\n", "real");
        row("first of two keys", "[s]\r\nk=1\r\nk=2\r\n", "1");
        row("UTF-8 with byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", "v");
        row("older file read as Latin-1", "[s]\r\nk=caf\xE9\r\n", QString::fromLatin1("caf\xE9"));
        row("characters outside the basic plane are not split",
            "[s]\r\nk=" + QString("\U0001F600").repeated(260).toUtf8(),
            QString("\U0001F600").repeated(249));
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath("a.kiv");
        QVERIFY(writeAll(path, file));
        QCOMPARE(IniFile::read("s", "k", path), expected);
        QCOMPARE(IniFile::read("s", "k", path, "def"), expected.isEmpty() ? "def" : expected);
    }

    void write_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");
        const auto row
            = [](const char *name, const QByteArray &before, const QString &value,
                 const QByteArray &after) { QTest::newRow(name) << before << value << after; };
        row("replace in place: the file's spelling and every other byte kept",
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /old\r\nlast=2\r\n", "/new",
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /new\r\nlast=2\r\n");
        row("replace in an LF file writes CR LF on that line only", "[s]\na=1\nk=old\nb=2\n", "new",
            "[s]\na=1\nk=new\r\nb=2\n");
        row("new key after the section's last line, before the blank line",
            "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", "v", "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
        row("new section at the end after a blank line", "[t]\r\na=1\r\n", "10",
            "[t]\r\na=1\r\n\r\n[s]\r\nk=10\r\n");
        row("line breaks in a value become blanks", "[s]\r\nk=1\r\n", "a\r\n[window]\nleft=0",
            "[s]\r\nk=a  [window] left=0\r\n");
        row("older Latin-1 file becomes UTF-8 with its characters kept",
            "[s]\r\nname=caf\xE9\r\nk=1\r\n", "2", "[s]\r\nname=caf\xC3\xA9\r\nk=2\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath("w.kiv");
        QVERIFY(writeAll(path, before));
        QVERIFY(IniFile::write("s", "k", value, path));
        compareBytes(readAll(path), after);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(IniFile::read("s", "k", path),
                 QString(value).replace(u'\r', u' ').replace(u'\n', u' ').trimmed());
        // Nothing left over from the atomic save.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { "w.kiv" });
    }

    void writeRefusesNames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("w.kiv");
        QVERIFY(writeAll(path, "[s]\r\nk=1\r\n"));
        // Names that could not be read back: empty, holding = or ], read as a comment.
        for (const auto &[section, key] :
             { std::pair { "", "k" }, { "s", "a=b" }, { "s", ";k" }, { "a]b", "k" } }) {
            QVERIFY2(!IniFile::write(section, key, "v", path), key);
            QCOMPARE(readAll(path), QByteArray("[s]\r\nk=1\r\n"));
        }
    }

    void writeFailureTouchesNothing()
    {
        QTemporaryDir dir;
        // A folder in the file's place is neither replaced nor written into.
        const QString folder = dir.filePath("folder.kiv");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!IniFile::write("s", "k", "v", folder));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { "folder.kiv" });
        QVERIFY(QDir(folder).isEmpty());

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

    void unreadableFilesReadAsMissing()
    {
        QByteArray garbage; // NUL bytes and every other byte value
        for (quint32 i = 0; i < 64 * 1024; ++i)
            garbage += char((i * 2654435761u) >> 24);
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.kiv");
        for (const QByteArray &file :
             { garbage, QByteArray(10 * 1024 * 1024, 'k'),
               QByteArray("[htm]\r\nsgFont=" + QByteArray(IniFile::kMaxFileBytes, 'x')) }) {
            QVERIFY(writeAll(path, file));
            for (const char *key : { "sgFont", "path", "left", "bgBorder" })
                QCOMPARE(IniFile::read("htm", key, path), QString());
            QCOMPARE(readAll(path).size(), file.size());
        }
    }

    // Neither a pipe (reading one with no writer would wait for ever) nor an
    // oversized file is read, and neither is replaced by a write.
    void unreadableFileIsNotRewritten()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath("pipe.kiv");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QCOMPARE(IniFile::read("s", "k", pipe, "d"), QString("d"));
        QVERIFY(!IniFile::write("s", "k", "v", pipe));
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        QVERIFY(!IniFile::load(QString("/dev/zero")));

        const QString big = dir.filePath("big.kiv");
        const QByteArray bytes = QByteArray("[s]\r\nk=") + QByteArray(IniFile::kMaxFileBytes, 'x');
        QVERIFY(writeAll(big, bytes));
        QVERIFY(!IniFile::write("s", "k", "v", big));
        QCOMPARE(readAll(big), bytes);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
