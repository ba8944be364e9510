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
        row("names in any case", "[t]\r\nk=1\r\n[S]\r\nK=*.txt\r\n", QStringLiteral("*.txt"));
        row("key of another section", "[t]\r\nk=1\r\n[s]\r\nj=2\r\n", QStringLiteral(""));
        row("LF line ends", "[s]\nj=x\nk=y\n", QStringLiteral("y"));
        row("blanks around = and value", "[ s ]\r\n  k \t=  \t/a b  \r\n", QStringLiteral("/a b"));
        row("comment lines are not keys", "[s]\r\n;k=commented\r\n#k=hashed\r\nk=real\r\n",
            QStringLiteral("real"));
        row("first of two keys", "[s]\r\nk=1\r\nk=2\r\n", QStringLiteral("1"));
        row("UTF-8 with byte-order mark", "\xEF\xBB\xBF[s]\r\nk=v\r\n", QStringLiteral("v"));
        row("older file read as Latin-1", "[s]\r\nk=caf\xE9\r\n", QString::fromLatin1("caf\xE9"));
        row("characters outside the basic plane are not split",
            "[s]\r\nk=" + QStringLiteral("\U0001F600").repeated(260).toUtf8(),
            QStringLiteral("\U0001F600").repeated(249));
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.kiv"));
        QVERIFY(writeAll(path, file));
        QCOMPARE(IniFile::read(QStringLiteral("s"), QStringLiteral("k"), path), expected);
        QCOMPARE(
            IniFile::read(QStringLiteral("s"), QStringLiteral("k"), path, QStringLiteral("def")),
            expected.isEmpty() ? QStringLiteral("def") : expected);
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
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /old\r\nlast=2\r\n", QStringLiteral("/new"),
            "; mine\r\n[S]\r\nother = 1 \r\n  K =  /new\r\nlast=2\r\n");
        row("replace in an LF file writes CR LF on that line only", "[s]\na=1\nk=old\nb=2\n",
            QStringLiteral("new"), "[s]\na=1\nk=new\r\nb=2\n");
        row("new key after the section's last line, before the blank line",
            "[s]\r\na=1\r\n\r\n[t]\r\nb=2\r\n", QStringLiteral("v"),
            "[s]\r\na=1\r\nk=v\r\n\r\n[t]\r\nb=2\r\n");
        row("new section at the end after a blank line", "[t]\r\na=1\r\n", QStringLiteral("10"),
            "[t]\r\na=1\r\n\r\n[s]\r\nk=10\r\n");
        row("line breaks in a value become blanks", "[s]\r\nk=1\r\n",
            QStringLiteral("a\r\n[window]\nleft=0"), "[s]\r\nk=a  [window] left=0\r\n");
        // A file keeps its encoding, so untouched lines keep their bytes.
        row("older Latin-1 file keeps its bytes", "[s]\r\nname=M\xFCller\r\nk=1\r\n",
            QStringLiteral("2"), "[s]\r\nname=M\xFCller\r\nk=2\r\n");
        row("a changed line of a Latin-1 file is written in Latin-1",
            "[s]\r\nname=caf\xE9\r\nk=1\r\n", QStringLiteral("M\u00FCller"),
            "[s]\r\nname=caf\xE9\r\nk=M\xFCller\r\n");
        row("UTF-8 with byte-order mark stays so", "\xEF\xBB\xBF[s]\r\nname=caf\xC3\xA9\r\nk=1\r\n",
            QStringLiteral("\u65E5"), "\xEF\xBB\xBF[s]\r\nname=caf\xC3\xA9\r\nk=\xE6\x97\xA5\r\n");
        // Where Latin-1 cannot hold the value, the whole file becomes UTF-8:
        // every line still reads back as the same text.
        row("a value beyond Latin-1 makes a Latin-1 file UTF-8", "[s]\r\nname=caf\xE9\r\nk=1\r\n",
            QStringLiteral("\u65E5"), "[s]\r\nname=caf\xC3\xA9\r\nk=\xE6\x97\xA5\r\n");
        row("Latin-1 bytes that would read as UTF-8 make the file UTF-8", "[s]\r\nk=\xE9\r\n",
            QStringLiteral("\u00C3\u00A9"), "[s]\r\nk=\xC3\x83\xC2\xA9\r\n");
    }
    void write()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.kiv"));
        QVERIFY(writeAll(path, before));
        QVERIFY(IniFile::write(QStringLiteral("s"), QStringLiteral("k"), value, path));
        compareBytes(readAll(path), after);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(IniFile::read(QStringLiteral("s"), QStringLiteral("k"), path),
                 QString(value).replace(u'\r', u' ').replace(u'\n', u' ').trimmed());
        // Nothing left over from the atomic save.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { QStringLiteral("w.kiv") });
    }

    // A folder that takes no new files (no temporary file for an atomic
    // save) with a writable file in it: the file is written in place and
    // nothing else appears. Permissions do not stop root, so as root the
    // write runs under another user's id.
    void writableFileInLockedFolder()
    {
        QTemporaryDir dir;
        const QString locked = dir.filePath(QStringLiteral("locked"));
        const QString path = locked + QStringLiteral("/w.kiv");
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
            written = IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"),
                                     path);
            newFileWritten
                = IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("2"),
                                 locked + QStringLiteral("/new.kiv"));
        }
        QVERIFY(written);
        compareBytes(readAll(path), "[s]\r\nname=M\xFCller\r\nk=2\r\n");
        QCOMPARE(inodeOf(path), inode); // the same file, not a new one put in its place
        QVERIFY(!newFileWritten);
        QCOMPARE(QDir(locked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList { QStringLiteral("w.kiv") });
    }

    // The in-place write holds the old content until the new one reads back;
    // a write that fails half-way (a file-size limit) puts it back.
    void inPlaceWriteRestoresOldContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.kiv"));
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
        const QString pipe = dir.filePath(QStringLiteral("pipe.kiv"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        result = RegularFile::writeInPlace(QFile::encodeName(pipe), "x");
        QVERIFY(!result.ok);
        QCOMPARE(result.reason, RegularFile::notRegularText());
    }

    void writeRefusesNames()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("w.kiv"));
        QVERIFY(writeAll(path, "[s]\r\nk=1\r\n"));
        // Names that could not be read back: empty, holding = or ], read as a comment.
        for (const auto &[section, key] : { std::pair { QStringLiteral(""), QStringLiteral("k") },
                                            { QStringLiteral("s"), QStringLiteral("a=b") },
                                            { QStringLiteral("s"), QStringLiteral(";k") },
                                            { QStringLiteral("a]b"), QStringLiteral("k") } }) {
            QVERIFY2(!IniFile::write(section, key, QStringLiteral("v"), path), qPrintable(key));
            QCOMPARE(readAll(path), QByteArray("[s]\r\nk=1\r\n"));
        }
    }

    void writeFailureTouchesNothing()
    {
        QTemporaryDir dir;
        // A folder in the file's place is neither replaced nor written into.
        const QString folder = dir.filePath(QStringLiteral("folder.kiv"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(
            !IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), folder));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList { QStringLiteral("folder.kiv") });
        QVERIFY(QDir(folder).isEmpty());

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

    void unreadableFilesReadAsMissing()
    {
        QByteArray garbage; // NUL bytes and every other byte value
        for (quint32 i = 0; i < 64 * 1024; ++i)
            garbage += char((i * 2654435761u) >> 24);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.kiv"));
        for (const QByteArray &file :
             { garbage, QByteArray(10 * 1024 * 1024, 'k'),
               QByteArray("[htm]\r\nsgFont=" + QByteArray(IniFile::kMaxFileBytes, 'x')) }) {
            QVERIFY(writeAll(path, file));
            for (const char *key : { "sgFont", "path", "left", "bgBorder" })
                QCOMPARE(IniFile::read(QStringLiteral("htm"), QLatin1String(key), path), QString());
            QCOMPARE(readAll(path).size(), file.size());
        }
    }

    // Neither a pipe (reading one with no writer would wait for ever) nor an
    // oversized file is read, and neither is replaced by a write.
    void unreadableFileIsNotRewritten()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe.kiv"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QCOMPARE(IniFile::read(QStringLiteral("s"), QStringLiteral("k"), pipe, QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(
            !IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), pipe));
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        if (::geteuid() == 0) { // a device that never ends, made here
            const QString zero = dir.filePath(QStringLiteral("zero.kiv"));
            QVERIFY(::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666, makedev(1, 5))
                    == 0);
            QVERIFY(!IniFile::load(zero));
        }

        const QString big = dir.filePath(QStringLiteral("big.kiv"));
        const QByteArray bytes = QByteArray("[s]\r\nk=") + QByteArray(IniFile::kMaxFileBytes, 'x');
        QVERIFY(writeAll(big, bytes));
        QVERIFY(
            !IniFile::write(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), big));
        QCOMPARE(readAll(big), bytes);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
