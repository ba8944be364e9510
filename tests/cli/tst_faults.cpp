// Bad input and faults, end to end through quorvel-list: odd names, link
// loops, a huge folder, a full disk, an output folder that cannot exist and
// a settings file of garbage. In each case: no crash, no hang, one clear
// line when something failed, everything listable listed, and no file
// touched but the page.
#include "support/tree_fixture.h"

#include <QDirIterator>
#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Path, size and modification time of everything below root, so a test can
// tell that listing changed nothing.
QStringList treeState(const QString &root)
{
    QStringList state;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        state << info.filePath() + u' ' + QString::number(info.size()) + u' '
                + QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    state.sort();
    return state;
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

    QString m_program;
    QTemporaryDir m_out;

    Run run(const QStringList &arguments, const QString &shellPrefix = {})
    {
        QProcess process;
        if (shellPrefix.isEmpty()) {
            process.start(m_program, arguments);
        } else {
            process.start(
                u"bash"_qs,
                QStringList { u"-c"_qs, shellPrefix + u"; exec \"$0\" \"$@\""_qs, m_program }
                    + arguments);
        }
        Run result;
        if (!process.waitForFinished(240000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    static bool oneLine(const QByteArray &text)
    {
        return !text.isEmpty() && text.endsWith('\n') && text.count('\n') == 1;
    }

private slots:
    void initTestCase()
    {
        m_program = qEnvironmentVariable("QUORVEL_LIST");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "QUORVEL_LIST names the built program");
    }

    void oddNamesAreListedAndStayOneLine()
    {
        TreeFixture tree;
        const QByteArray longName = QByteArray(251, 'n') + ".txt";
        QVERIFY(tree.createFile(QByteArray("new\nline.txt"), "1", {}));
        QVERIFY(tree.createFile(QByteArray("tab\there.txt"), "22", {}));
        QVERIFY(tree.createFile(QByteArray("back\\slash.txt"), "333", {}));
        QVERIFY(tree.createFile(QByteArray("bad\xff.txt"), "4444", {}));
        QVERIFY(tree.createFile(longName, "55555", {}));
        QVERIFY(tree.createFile(QByteArray("sub/ and blanks .txt"), "6", {}));
        const QStringList before = treeState(tree.root());

        const QString page = m_out.filePath(u"odd.html"_qs);
        const Run listed
            = run({ u"-q"_qs, u"--set"_qs, u"bgLink=True"_qs, u"-o"_qs, page, tree.root() });
        QCOMPARE(listed.exitCode, 0);
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray html = file.readAll();
        QVERIFY(!html.contains('\n') && !html.contains('\t') && !html.contains('\r'));
        QVERIFY(html.contains(">new&#10;line.txt<"));
        QVERIFY(html.contains(">tab&#9;here.txt<"));
        QVERIFY(html.contains(">back\\slash.txt<"));
        QVERIFY(html.contains(">bad&#65533;.txt<"));
        QVERIFY(html.contains("bad%FF.txt"));
        QVERIFY(html.contains(QByteArray(QByteArray(">") + longName + "<")));
        // The shown name is trimmed; the link keeps the blanks and still reaches the file.
        QVERIFY(html.contains(">and blanks .txt<"));
        QVERIFY(html.contains("/sub/ and blanks .txt\">"));

        const Run text
            = run({ u"-q"_qs, u"--text"_qs, u"--with-files"_qs, u"-o"_qs, u"-"_qs, tree.root() });
        QCOMPARE(text.exitCode, 0);
        const QList<QByteArray> lines = text.out.split('\n');
        // Folder line, empty line, two folder rows and six file rows.
        QCOMPARE(lines.size(), 10);
        QVERIFY(text.out.contains("    new line.txt\t"));
        QVERIFY(text.out.contains("    tab here.txt\t"));
        QVERIFY(text.out.contains("    back \\\\ slash.txt\t"));

        QCOMPARE(treeState(tree.root()), before);
    }

    void linkLoopsEnd()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a/file.txt", "x", {}));
        QVERIFY(tree.createLink(u"a/up"_qs, u".."_qs));
        QVERIFY(tree.createLink(u"a/self"_qs, u"."_qs));
        QVERIFY(tree.createLink(u"a/ring1"_qs, u"ring2"_qs));
        QVERIFY(tree.createLink(u"a/ring2"_qs, u"ring1"_qs));
        const Run text
            = run({ u"-q"_qs, u"--text"_qs, u"--with-files"_qs, u"-o"_qs, u"-"_qs, tree.root() });
        QCOMPARE(text.exitCode, 0);
        // The links are files of "a", each listed once and never walked:
        // the folder line, the row of "a" and its five files.
        for (const char *name : { "file.txt", "up", "self", "ring1", "ring2" })
            QCOMPARE(text.out.count(QByteArray(QByteArray("    ") + name + '\t')), 1);
        QCOMPARE(text.out.count("\r\n"), 1 + 1 + 5);
    }

    void twoHundredThousandFilesInOneFolder()
    {
        TreeFixture tree;
        constexpr int kFiles = 200000;
        QVERIFY(tree.createFolder("many"));
        const QByteArray folder = tree.pathBytes("many");
        for (int i = 0; i < kFiles; ++i) {
            const QByteArray name = folder + "/f" + QByteArray::number(i) + ".dat";
            const int fd = ::open(name.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        const Run text
            = run({ u"-q"_qs, u"--text"_qs, u"--with-files"_qs, u"-o"_qs, u"-"_qs, tree.root() });
        QCOMPARE(text.exitCode, 0);
        // The folder line, the folder's row and its files.
        QCOMPARE(text.out.count("\r\n"), 1 + 1 + kFiles);
    }

    void fullDiskLeavesTheOldPage()
    {
        TreeFixture tree;
        for (int i = 0; i < 2000; ++i)
            QVERIFY(tree.createFile(u"f%1.txt"_qs.arg(i), "x", {}));
        const QString page = m_out.filePath(u"full/page.html"_qs);
        QVERIFY(QDir().mkpath(m_out.filePath(u"full"_qs)));
        QFile old(page);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old page");
        old.close();

        // A file-size limit of 64 KiB stands for a full disk.
        const Run result = run({ u"-q"_qs, u"-o"_qs, page, tree.root() }, u"ulimit -f 64"_qs);
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(oneLine(result.err), result.err.constData());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old page"));
        QCOMPARE(QDir(m_out.filePath(u"full"_qs)).entryList(QDir::Files | QDir::Hidden),
                 QStringList { u"page.html"_qs });
    }

    void outputFolderThatCannotExist()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a.txt", "x", {}));
        QFile blocker(m_out.filePath(u"blocker"_qs));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const Run result = run(
            { u"-q"_qs, u"-o"_qs, m_out.filePath(u"blocker/export/page.html"_qs), tree.root() });
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(oneLine(result.err), result.err.constData());
        QVERIFY(result.err.contains("blocker"));
    }

    void missingFolderIsOneLine()
    {
        const Run result = run({ u"-q"_qs, u"-o"_qs, m_out.filePath(u"none.html"_qs),
                                 m_out.filePath(u"no/such/folder"_qs) });
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(oneLine(result.err), result.err.constData());
        QVERIFY(!QFile::exists(m_out.filePath(u"none.html"_qs)));
    }

    void garbageSettingsFileIsReadAsEmpty()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a.txt", "x", {}));
        QByteArray garbage(64 * 1024, '\0');
        quint32 seed = 12345;
        for (char &c : garbage) {
            seed = seed * 1103515245u + 12345u;
            c = char(seed >> 24);
        }
        const QString settings = m_out.filePath(u"garbage.kiv"_qs);
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(garbage);
        file.close();

        const QString page = m_out.filePath(u"garbage.html"_qs);
        const Run result = run({ u"-q"_qs, u"-s"_qs, settings, u"-o"_qs, page, tree.root() });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(QFileInfo(page).size() > 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
