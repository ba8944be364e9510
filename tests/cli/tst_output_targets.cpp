// Where quorvel-list writes: a regular file is replaced atomically;
// devices, named pipes and standard output are written directly and stay
// what they are; every failure is one line and exit status 1; a reader that
// goes away ends the program quietly. Device nodes are made by the test in
// its own folder (as root only), never the machine's own.
#include "support/file_bytes.h"
#include "support/list_process.h"
#include "support/pipe_watchdog.h"
#include "support/tree_fixture.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>

namespace {

// Long enough to prove that nothing hangs, never a measure of speed.
constexpr int kNoHangMs = 60000;

// What stat() says about a path: its type bits and, for a device, its numbers.
struct NodeKind
{
    mode_t type = 0;
    dev_t device = 0;
    bool operator==(const NodeKind &) const = default;
};

NodeKind nodeKind(const QString &path)
{
    struct stat status
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return { mode_t(status.st_mode & S_IFMT), S_ISCHR(status.st_mode) ? status.st_rdev : 0 };
}

ino_t inodeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

// A character device like the machine's /dev/full (1, 7) or /dev/null (1, 3).
bool makeCharacterDevice(const QString &path, unsigned minor)
{
    return ::mknod(QFile::encodeName(path).constData(), S_IFCHR | 0666, makedev(1, minor)) == 0;
}

} // namespace

class TestOutputTargets : public QObject
{
    Q_OBJECT

    QString m_program;
    TreeFixture m_tree;
    QTemporaryDir m_out;
    QByteArray m_text; // the clipboard text of m_tree, as standard output got it

    // Runs the program with its standard output going to stdoutFile when
    // given (appended to when append is set), standard input from stdinFile.
    ListRun run(const QStringList &arguments, const QString &stdoutFile = {}, bool append = false,
                const QString &stdinFile = {})
    {
        QProcess process;
        if (!stdinFile.isEmpty())
            process.setStandardInputFile(stdinFile);
        if (!stdoutFile.isEmpty())
            process.setStandardOutputFile(stdoutFile,
                                          append ? QIODevice::Append : QIODevice::Truncate);
        process.start(m_program, arguments);
        if (!process.waitForFinished(kNoHangMs) || process.exitStatus() != QProcess::NormalExit) {
            process.kill();
            process.waitForFinished();
            return {};
        }
        return { process.exitCode(), process.readAllStandardOutput(),
                 process.readAllStandardError() };
    }
    // The text list with its files, or the page, to output.
    QStringList listArguments(bool text, const QString &output)
    {
        return text
            ? QStringList { QStringLiteral("-q"),
                            QStringLiteral("--text"),
                            QStringLiteral("--with-files"),
                            QStringLiteral("-o"),
                            output,
                            m_tree.root() }
            : QStringList { QStringLiteral("-q"), QStringLiteral("-o"), output, m_tree.root() };
    }
    static void pageAndTextRows()
    {
        QTest::addColumn<bool>("text");
        QTest::newRow("page") << false;
        QTest::newRow("text") << true;
    }
    void requireRoot()
    {
        if (::geteuid() != 0)
            QSKIP("making device nodes needs root");
    }

private slots:
    void initTestCase()
    {
        m_program = qEnvironmentVariable("QUORVEL_LIST");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "QUORVEL_LIST names the built program");
        QVERIFY(m_tree.createFile("a.txt", "a"));
        QVERIFY(m_tree.createFile("sub/b.txt", "bb"));
        const ListRun text = run(listArguments(true, QStringLiteral("-")));
        QCOMPARE(text.exitCode, 0);
        m_text = text.out;
        QVERIFY(m_text.contains("a.txt"));
    }

    // A device takes the bytes directly and stays the device it was; one
    // that refuses them ("no space") fails the run with one line.
    void deviceStaysDevice_data()
    {
        QTest::addColumn<bool>("text");
        QTest::addColumn<unsigned>("minor");
        QTest::newRow("page to a full device") << false << 7u;
        QTest::newRow("text to a full device") << true << 7u;
        QTest::newRow("page to a null device") << false << 3u;
        QTest::newRow("text to a null device") << true << 3u;
    }
    void deviceStaysDevice()
    {
        QFETCH(bool, text);
        QFETCH(unsigned, minor);
        requireRoot();
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("device"));
        QVERIFY(makeCharacterDevice(node, minor));
        const NodeKind before = nodeKind(node);

        const ListRun result = run(listArguments(text, node));
        QCOMPARE(nodeKind(node), before);
        QCOMPARE(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { QStringLiteral("device") });
        if (minor == 3) {
            QCOMPARE(result.exitCode, 0);
            QVERIFY2(result.err.isEmpty(), result.err.constData());
            return;
        }
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QVERIFY2(result.err.contains(QFile::encodeName(node)), result.err.constData());
        QVERIFY2(result.err.contains(qt_error_string(ENOSPC).toUtf8()), result.err.constData());
    }

    void fullStandardOutput_data() { pageAndTextRows(); }
    void fullStandardOutput()
    {
        QFETCH(bool, text);
        requireRoot();
        QTemporaryDir dir;
        const QString node = dir.filePath(QStringLiteral("full"));
        QVERIFY(makeCharacterDevice(node, 7));
        const ListRun result = run(listArguments(text, QStringLiteral("-")), node);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QVERIFY2(result.err.contains("standard output"), result.err.constData());
        QCOMPARE(nodeKind(node).type, mode_t(S_IFCHR));
    }

    // /dev/stdout names whatever standard output is: a pipe here, or a
    // regular file, which is written through the open descriptor (appended
    // to, when opened so) instead of being replaced by a new file.
    void standardOutputByName()
    {
        const ListRun piped = run(listArguments(true, QStringLiteral("/dev/stdout")));
        QCOMPARE(piped.exitCode, 0);
        QCOMPARE(piped.out, m_text);

        const ListRun page = run(listArguments(false, QStringLiteral("/dev/stdout")));
        QCOMPARE(page.exitCode, 0);
        QVERIFY(page.out.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(page.out.endsWith("</html>"));

        const QString file = m_out.filePath(QStringLiteral("stdout.txt"));
        QVERIFY(writeAll(file, "before\n"));
        const ino_t inode = inodeOf(file);
        const ListRun appended
            = run(listArguments(true, QStringLiteral("/dev/stdout")), file, true);
        QCOMPARE(appended.exitCode, 0);
        QCOMPARE(readAll(file), "before\n" + m_text);
        QCOMPARE(inodeOf(file), inode); // the same file, not a new one in its place

        // Open only for reading (standard input): replaced as any file is.
        const ListRun replaced = run(listArguments(true, file), {}, false, file);
        QCOMPARE(replaced.exitCode, 0);
        QCOMPARE(readAll(file), m_text);
    }

    // A named pipe gets the bytes as they are made and stays a pipe; a
    // reader at its other end sees everything.
    void namedPipeStreamsThrough_data() { pageAndTextRows(); }
    void namedPipeStreamsThrough()
    {
        QFETCH(bool, text);
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe"));
        const QByteArray pipeBytes = QFile::encodeName(pipe);
        QVERIFY(::mkfifo(pipeBytes.constData(), 0600) == 0);
        QByteArray received;
        std::thread reader([&] {
            const int fd = ::open(pipeBytes.constData(), O_RDONLY | O_CLOEXEC);
            if (fd < 0)
                return;
            char block[65536];
            ssize_t got = 0;
            while ((got = ::read(fd, block, sizeof block)) > 0)
                received.append(block, qsizetype(got));
            ::close(fd);
        });
        PipeWatchdog watchdog(pipeBytes);
        const ListRun result = run(listArguments(text, pipe));
        reader.join(); // freed by the watchdog if nothing ever wrote to the pipe
        QVERIFY(!watchdog.stop());
        QCOMPARE(result.exitCode, 0);
        QVERIFY2(result.err.isEmpty(), result.err.constData());
        if (text) {
            QCOMPARE(received, m_text);
        } else {
            QVERIFY(received.startsWith("<!DOCTYPE HTML PUBLIC"));
            QVERIFY(received.endsWith("</html>"));
        }
        QCOMPARE(nodeKind(pipe).type, mode_t(S_IFIFO));
    }

    // A reader that closes its end early ends the program at once, quietly
    // and with a non-zero status, also when the caller ignores the signal.
    void closedPipeEndsQuietly_data()
    {
        QTest::addColumn<bool>("text");
        QTest::addColumn<QString>("caller");
        QTest::newRow("page") << false << "";
        QTest::newRow("text") << true << "";
        QTest::newRow("text, signal ignored by the caller") << true << "trap '' PIPE; ";
    }
    void closedPipeEndsQuietly()
    {
        QFETCH(bool, text);
        QFETCH(QString, caller);
        // More than a pipe holds, so the writer meets the closed end
        // whichever starts first.
        TreeFixture tree;
        for (int i = 0; i < 3000; ++i)
            QVERIFY(tree.createFile(QStringLiteral("file-with-a-long-name-%1.txt").arg(i)));
        QStringList arguments { QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("-"),
                                tree.root() };
        if (text)
            arguments << QStringLiteral("--text") << QStringLiteral("--with-files");
        const ListRun result = RunProgram(
            QStringLiteral("bash"),
            QStringList { QStringLiteral("-c"),
                          caller
                              + QStringLiteral("\"$0\" \"$@\" | true; exit \"${PIPESTATUS[0]}\""),
                          m_program }
                + arguments);
        QVERIFY(result.exitCode > 0);
        QVERIFY2(result.err.isEmpty(), result.err.constData());
    }

    // A named pipe where a settings file is read is refused at once, like a
    // file that cannot be read.
    void namedPipeAsSettingsFile()
    {
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe.kiv"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        PipeWatchdog watchdog(QFile::encodeName(pipe));
        const ListRun result = run({ QStringLiteral("-q"), QStringLiteral("--text"),
                                     QStringLiteral("-s"), pipe, m_tree.root() });
        QVERIFY(!watchdog.stop());
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QVERIFY(result.err.contains("settings file"));
    }
};

QTEST_GUILESS_MAIN(TestOutputTargets)
#include "tst_output_targets.moc"
