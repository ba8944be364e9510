#include "core/ini_file.h"

#include "support/file_bytes.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

qulonglong inodeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// As root, another user's id for file access while it lives, so that folder
// permissions count; as anyone else, nothing changes.
class AnotherUser
{
public:
    static constexpr uid_t kNobody = 65534;

    AnotherUser()
    {
        if (!m_wasRoot) {
            m_active = true;
            return;
        }
        m_active = ::setegid(kNobody) == 0 && ::seteuid(kNobody) == 0;
    }
    ~AnotherUser()
    {
        if (m_wasRoot) {
            (void)::seteuid(0);
            (void)::setegid(0);
        }
    }
    Q_DISABLE_COPY_MOVE(AnotherUser)

    [[nodiscard]] bool active() const { return m_active; }

private:
    bool m_wasRoot = ::geteuid() == 0;
    bool m_active = false;
};

// A file-size limit while it lives; a write beyond it fails with EFBIG
// instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = m_before;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    Q_DISABLE_COPY_MOVE(FileSizeLimit)

private:
    struct rlimit m_before
    {
    };
    void (*m_signal)(int) = nullptr;
};

} // namespace

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
        row("names in any case", "[t]\r\nk=1\r\n[S]\r\nK=*.txt\r\n", u"*.txt"_s);
        row("key of another section", "[t]\r\nk=1\r\n[s]\r\nj=2\r\n", u""_s);
        row("LF line ends", "[s]\nj=x\nk=y\n", u"y"_s);
        row("blanks around = and value", "[ s ]\r\n  k \t=  \t/a b  \r\n", u"/a b"_s);
        row("comment lines are not keys", "[s]\r\n;k=commented\r\n#k=hashed\r\nk=real\r\n",
            u"real"_s);
        row("first of two keys", "[s]\r\nk=1\r\nk=2\r\n", u"1"_s);
        row("UTF-8 with byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", u"v"_s);
        row("older file read as Latin-1", "[s]\r\nk=caf\xE9\r\n", QString::fromLatin1("caf\xE9"));
        row("characters outside the basic plane are not split",
            "[s]\r\nk=" + u"\U0001F600"_s.repeated(260).toUtf8(), u"\U0001F600"_s.repeated(249));
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.kiv"_s);
        QVERIFY(writeAll(path, file));
        QCOMPARE(IniFile::read(u"s"_s, u"k"_s, path), expected);
        QCOMPARE(IniFile::read(u"s"_s, u"k"_s, path, u"def"_s),
                 expected.isEmpty() ? u"def"_s : expected);
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
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /old\r\nlast=2\r\n", u"/new"_s,
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /new\r\nlast=2\r\n");
        row("replace in an LF file writes CR LF on that line only", "[s]\na=1\nk=old\nb=2\n",
            u"new"_s, "[s]\na=1\nk=new\r\nb=2\n");
        row("new key after the section's last line, before the blank line",
            "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", u"v"_s, "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
        row("new section at the end after a blank line", "[t]\r\na=1\r\n", u"10"_s,
            "[t]\r\na=1\r\n\r\n[s]\r\nk=10\r\n");
        row("line breaks in a value become blanks", "[s]\r\nk=1\r\n", u"a\r\n[window]\nleft=0"_s,
            "[s]\r\nk=a  [window] left=0\r\n");
        // A file keeps its encoding, so untouched lines keep their bytes.
        row("older Latin-1 file keeps its bytes", "[s]\r\nname=M\xFCller\r\nk=1\r\n", u"2"_s,
            "[s]\r\nname=M\xFCller\r\nk=2\r\n");
        row("a changed line of a Latin-1 file is written in Latin-1",
            "[s]\r\nname=caf\xE9\r\nk=1\r\n", u"M\u00FCller"_s,
            "[s]\r\nname=caf\xE9\r\nk=M\xFCller\r\n");
        row("UTF-8 with byte-order mark stays so", "\xEF\xBB\xBF[s]\r\nname=caf\xC3\xA9\r\nk=1\r\n",
            u"\u65E5"_s, "\xEF\xBB\xBF[s]\r\nname=caf\xC3\xA9\r\nk=\xE6\x97\xA5\r\n");
        // Where Latin-1 cannot hold the value, the whole file becomes UTF-8:
        // every line still reads back as the same text.
        row("a value beyond Latin-1 makes a Latin-1 file UTF-8", "[s]\r\nname=caf\xE9\r\nk=1\r\n",
            u"\u65E5"_s, "[s]\r\nname=caf\xC3\xA9\r\nk=\xE6\x97\xA5\r\n");
        row("Latin-1 bytes that would read as UTF-8 make the file UTF-8", "[s]\r\nk=\xE9\r\n",
            u"\u00C3\u00A9"_s, "[s]\r\nk=\xC3\x83\xC2\xA9\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"w.kiv"_s);
        QVERIFY(writeAll(path, before));
        QVERIFY(IniFile::write(u"s"_s, u"k"_s, value, path));
        compareBytes(readAll(path), after);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(IniFile::read(u"s"_s, u"k"_s, path),
                 QString(value).replace(u'\r', u' ').replace(u'\n', u' ').trimmed());
        // Nothing left over from the atomic save.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { u"w.kiv"_s });
    }

    // A folder that takes no new files (no temporary file for an atomic
    // save) with a writable file in it: the file is written in place and
    // nothing else appears. Permissions do not stop root, so as root the
    // write runs under another user's id.
    void writableFileInLockedFolder()
    {
        QTemporaryDir dir;
        const QString locked = dir.filePath(u"locked"_s);
        const QString path = locked + u"/w.kiv"_s;
        QVERIFY(writeAll(path, "[s]\r\nname=M\xFCller\r\nk=1\r\n"));
        const auto everyone = QFileDevice::ReadOwner | QFileDevice::ReadGroup
            | QFileDevice::ReadOther | QFileDevice::ExeOwner | QFileDevice::ExeGroup
            | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(dir.path(), everyone | QFileDevice::WriteOwner));
        QVERIFY(QFile::setPermissions(path,
                                      everyone | QFileDevice::WriteOwner | QFileDevice::WriteGroup
                                          | QFileDevice::WriteOther));
        QVERIFY(QFile::setPermissions(locked, everyone));
        const auto unlock = qScopeGuard(
            [&] { QFile::setPermissions(locked, everyone | QFileDevice::WriteOwner); });
        const qulonglong inode = inodeOf(path);

        bool written = false;
        bool newFileWritten = true;
        {
            const AnotherUser user;
            if (!user.active())
                QSKIP("running as root without a way to change the user id");
            written = IniFile::write(u"s"_s, u"k"_s, u"2"_s, path);
            newFileWritten = IniFile::write(u"s"_s, u"k"_s, u"2"_s, locked + u"/new.kiv"_s);
        }
        QVERIFY(written);
        compareBytes(readAll(path), "[s]\r\nname=M\xFCller\r\nk=2\r\n");
        QCOMPARE(inodeOf(path), inode); // the same file, not a new one put in its place
        QVERIFY(!newFileWritten);
        QCOMPARE(QDir(locked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList { u"w.kiv"_s });
    }

    // The in-place write holds the old content until the new one reads back;
    // a write that fails half-way (a file-size limit) puts it back.
    void inPlaceWriteRestoresOldContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"w.kiv"_s);
        const QByteArray old = "[s]\r\nk=" + QByteArray(100, 'o') + "\r\n";
        QVERIFY(writeAll(path, old));
        const QByteArray native = QFile::encodeName(path);

        const QByteArray shorter = "[s]\r\nk=1\r\n";
        QVERIFY(RegularFile::writeInPlace(native, shorter).ok);
        QCOMPARE(readAll(path), shorter);
        QVERIFY(writeAll(path, old));

        RegularFile::WriteResult result;
        {
            const FileSizeLimit limit(4096);
            result = RegularFile::writeInPlace(native, QByteArray(64 * 1024, 'n'));
        }
        QVERIFY(!result.ok);
        QVERIFY(!result.reason.isEmpty());
        QCOMPARE(readAll(path), old);

        // A pipe is not opened for long: O_RDWR never waits for a reader.
        const QString pipe = dir.filePath(u"pipe.kiv"_s);
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        result = RegularFile::writeInPlace(QFile::encodeName(pipe), "x");
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, RegularFile::notRegularText());
    }

    void writeRefusesNames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"w.kiv"_s);
        QVERIFY(writeAll(path, "[s]\r\nk=1\r\n"));
        // Names that could not be read back: empty, holding = or ], read as a comment.
        for (const auto &[section, key] : { std::pair { u""_s, u"k"_s },
                                            { u"s"_s, u"a=b"_s },
                                            { u"s"_s, u";k"_s },
                                            { u"a]b"_s, u"k"_s } }) {
            QVERIFY2(!IniFile::write(section, key, u"v"_s, path), qPrintable(key));
            QCOMPARE(readAll(path), QByteArray("[s]\r\nk=1\r\n"));
        }
    }

    void writeFailureTouchesNothing()
    {
        QTemporaryDir dir;
        // A folder in the file's place is neither replaced nor written into.
        const QString folder = dir.filePath(u"folder.kiv"_s);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(!IniFile::write(u"s"_s, u"k"_s, u"v"_s, folder));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { u"folder.kiv"_s });
        QVERIFY(QDir(folder).isEmpty());

        if (::geteuid() != 0) {
            const QString locked = dir.filePath(u"locked"_s);
            QVERIFY(QDir().mkpath(locked));
            QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
            QVERIFY(!IniFile::write(u"s"_s, u"k"_s, u"v"_s, locked + u"/x.kiv"_s));
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
        const QString path = dir.filePath(u"bad.kiv"_s);
        for (const QByteArray &file :
             { garbage, QByteArray(10 * 1024 * 1024, 'k'),
               QByteArray("[htm]\r\nsgFont=" + QByteArray(IniFile::kMaxFileBytes, 'x')) }) {
            QVERIFY(writeAll(path, file));
            for (const char *key : { "sgFont", "path", "left", "bgBorder" })
                QCOMPARE(IniFile::read(u"htm"_s, QLatin1String(key), path), QString());
            QCOMPARE(readAll(path).size(), file.size());
        }
    }

    // Neither a pipe (reading one with no writer would wait for ever) nor an
    // oversized file is read, and neither is replaced by a write.
    void unreadableFileIsNotRewritten()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(u"pipe.kiv"_s);
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QCOMPARE(IniFile::read(u"s"_s, u"k"_s, pipe, u"d"_s), u"d"_s);
        QVERIFY(!IniFile::write(u"s"_s, u"k"_s, u"v"_s, pipe));
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        if (::geteuid() == 0) { // a device that never ends, made here
            const QString zero = dir.filePath(u"zero.kiv"_s);
            QVERIFY(::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666, makedev(1, 5))
                    == 0);
            QVERIFY(!IniFile::load(zero));
        }

        const QString big = dir.filePath(u"big.kiv"_s);
        const QByteArray bytes = QByteArray("[s]\r\nk=") + QByteArray(IniFile::kMaxFileBytes, 'x');
        QVERIFY(writeAll(big, bytes));
        QVERIFY(!IniFile::write(u"s"_s, u"k"_s, u"v"_s, big));
        QCOMPARE(readAll(big), bytes);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
