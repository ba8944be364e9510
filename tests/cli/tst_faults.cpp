// Bad input and faults, end to end through quorvel-list: odd names, link
// loops, a huge folder, a full disk, an output folder that cannot exist and
// a settings file of garbage. In each case: no crash, no hang, one clear
// line when something failed, everything listable listed, and no file
// touched but the page.
#include "support/file_bytes.h"
#include "support/list_process.h"
#include "support/tree_fixture.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Path, size and modification time of everything below root, so a test can
// tell that listing changed nothing.
QStringList treeState(const QString &root)
{
    QStringList state;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        state << QStringLiteral("%1 %2 %3")
                     .arg(info.filePath())
                     .arg(info.size())
                     .arg(info.lastModified().toMSecsSinceEpoch());
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

    // Runs the program, under `shellPrefix` (a bash command) when given.
    ListRun run(const QStringList &arguments, const QString &shellPrefix = {})
    {
        return RunProgram(m_program, arguments, {}, shellPrefix);
    }
    // The list with its files as text on standard output.
    ListRun listText(const QString &root)
    {
        return run({ QStringLiteral("-q"), QStringLiteral("--text"), QStringLiteral("--with-files"),
                     QStringLiteral("-o"), QStringLiteral("-"), root });
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
        for (const QByteArray &name : { QByteArray("new\nline.txt"), QByteArray("tab\there.txt"),
                                        QByteArray("back\\slash.txt"), QByteArray("bad\xff.txt"),
                                        longName, QByteArray("sub/ and blanks .txt") })
            QVERIFY(tree.createFile(name, "1"));
        const QStringList before = treeState(tree.root());

        const QString page = m_out.filePath(QStringLiteral("odd.html"));
        QCOMPARE(run({ QStringLiteral("-q"), QStringLiteral("--set"), QStringLiteral("bgLink=True"),
                       QStringLiteral("-o"), page, tree.root() })
                     .exitCode,
                 0);
        const QByteArray html = readAll(page);
        QVERIFY(!html.contains('\n') && !html.contains('\t') && !html.contains('\r'));
        // The shown name of " and blanks .txt" is trimmed; its link keeps the
        // blanks and still reaches the file.
        for (const QByteArray &piece :
             { QByteArray(">new&#10;line.txt<"), QByteArray(">tab&#9;here.txt<"),
               QByteArray(">back\\slash.txt<"), QByteArray(">bad&#65533;.txt<"),
               QByteArray("bad%FF.txt"), QByteArray(">" + longName + "<"),
               QByteArray(">and blanks .txt<"), QByteArray("/sub/ and blanks .txt\">") })
            QVERIFY2(html.contains(piece), piece.constData());

        const ListRun text = listText(tree.root());
        QCOMPARE(text.exitCode, 0);
        // Folder line, empty line, two folder rows and six file rows.
        QCOMPARE(text.out.split('\n').size(), 10);
        for (const char *row :
             { "    new line.txt\t", "    tab here.txt\t", "    back \\\\ slash.txt\t" })
            QVERIFY2(text.out.contains(row), row);

        QCOMPARE(treeState(tree.root()), before);
    }

    void linkLoopsEnd()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a/file.txt", "x"));
        QVERIFY(tree.createLink(QStringLiteral("a/up"), QStringLiteral("..")));
        QVERIFY(tree.createLink(QStringLiteral("a/self"), QStringLiteral(".")));
        QVERIFY(tree.createLink(QStringLiteral("a/ring1"), QStringLiteral("ring2")));
        QVERIFY(tree.createLink(QStringLiteral("a/ring2"), QStringLiteral("ring1")));
        const ListRun text = listText(tree.root());
        QCOMPARE(text.exitCode, 0);
        // The links are files of "a", each listed once and never walked:
        // the folder line, the row of "a" and its five files.
        for (const char *name : { "file.txt", "up", "self", "ring1", "ring2" })
            QCOMPARE(text.out.count(QByteArray("    " + QByteArray(name) + '\t')), 1);
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
        const ListRun text = listText(tree.root());
        QCOMPARE(text.exitCode, 0);
        // The folder line, the folder's row and its files.
        QCOMPARE(text.out.count("\r\n"), 1 + 1 + kFiles);
    }

    void fullDiskLeavesTheOldPage()
    {
        TreeFixture tree;
        for (int i = 0; i < 2000; ++i)
            QVERIFY(tree.createFile(QStringLiteral("f%1.txt").arg(i), "x"));
        const QString page = m_out.filePath(QStringLiteral("full/page.html"));
        QVERIFY(QDir().mkpath(m_out.filePath(QStringLiteral("full"))));
        QVERIFY(writeAll(page, "old page"));

        // A file-size limit of 64 KiB stands for a full disk.
        const ListRun result
            = run({ QStringLiteral("-q"), QStringLiteral("-o"), page, tree.root() },
                  QStringLiteral("ulimit -f 64"));
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QCOMPARE(readAll(page), QByteArray("old page"));
        QCOMPARE(QDir(m_out.filePath(QStringLiteral("full"))).entryList(QDir::Files | QDir::Hidden),
                 QStringList { QStringLiteral("page.html") });
    }

    void outputFolderThatCannotExist()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a.txt", "x"));
        QVERIFY(writeAll(m_out.filePath(QStringLiteral("blocker")), {}));
        const ListRun result
            = run({ QStringLiteral("-q"), QStringLiteral("-o"),
                    m_out.filePath(QStringLiteral("blocker/export/page.html")), tree.root() });
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QVERIFY(result.err.contains("blocker"));
    }

    void missingFolderIsOneLine()
    {
        const QString page = m_out.filePath(QStringLiteral("none.html"));
        const ListRun result = run({ QStringLiteral("-q"), QStringLiteral("-o"), page,
                                     m_out.filePath(QStringLiteral("no/such/folder")) });
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(IsOneLine(result.err), result.err.constData());
        QVERIFY(!QFile::exists(page));
    }

    void garbageSettingsFileIsReadAsEmpty()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("a.txt", "x"));
        QByteArray garbage(64 * 1024, '\0');
        QRandomGenerator(12345).fillRange(reinterpret_cast<quint32 *>(garbage.data()),
                                          garbage.size() / 4);
        const QString settings = m_out.filePath(QStringLiteral("garbage.kiv"));
        QVERIFY(writeAll(settings, garbage));

        const QString page = m_out.filePath(QStringLiteral("garbage.html"));
        QCOMPARE(run({ QStringLiteral("-q"), QStringLiteral("-s"), settings, QStringLiteral("-o"),
                       page, tree.root() })
                     .exitCode,
                 0);
        QVERIFY(QFileInfo(page).size() > 0);
        QCOMPARE(readAll(settings), garbage);
    }
};

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
