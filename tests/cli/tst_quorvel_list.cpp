#include "support/file_bytes.h"
#include "support/list_process.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Only the size and attribute columns, so the text does not depend on type
// descriptions or dates.
const QStringList kSizeAndAttributes { u"--set"_s,    u"bgFileTag1=False"_s,
                                       u"--set"_s,    u"bgFileTag2=False"_s,
                                       u"--set"_s,    u"bgFileTag3=False"_s,
                                       u"--locale"_s, u"en_US"_s };

} // namespace

class TestQuorvelList : public QObject
{
    Q_OBJECT

private:
    QString m_program;
    QTemporaryDir m_dir;
    QString m_root; // the listed tree: a.txt, b.log, sub/c.txt

    ListRun run(const QStringList &arguments)
    {
        return RunProgram(m_program, arguments, m_dir.path());
    }

private slots:
    void initTestCase()
    {
        m_program = qEnvironmentVariable("QUORVEL_LIST");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "QUORVEL_LIST names the built program");
        m_root = m_dir.filePath(u"tree"_s);
        QVERIFY(writeAll(m_root + u"/a.txt"_s, QByteArray(2000, 'x')));
        QVERIFY(writeAll(m_root + u"/b.log"_s, QByteArray(512, 'x')));
        QVERIFY(writeAll(m_root + u"/sub/c.txt"_s, QByteArray(1536, 'x')));
        QVERIFY(writeAll(m_dir.filePath(u"big/big.bin"_s), QByteArray(1536 * 1024, 'x')));
        // A settings file gives the options and, without FOLDER, the folder.
        QVERIFY(writeAll(m_dir.filePath(u"logs.kiv"_s),
                         "[search]\r\npath=" + m_root.toUtf8()
                             + "\r\next=*.log\r\n[htm]\r\nbgFileTag0=False\r\nbgFileTag1=False\r\n"
                               "bgFileTag2=False\r\nbgFileTag3=False\r\nbgFileTag4=True\r\n"));
    }

    // --text prints the clipboard text: the folder line, an empty line, one
    // line per row; subfolders by their short names unless --full-paths.
    void text_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("expected");
        const QByteArray root = m_root.toUtf8();
        const QByteArray big = m_dir.filePath(u"big"_s).toUtf8();
        QTest::newRow("files to standard output")
            << QStringList { u"--text"_s, u"--with-files"_s, u"-o"_s, u"-"_s, m_root }
                + kSizeAndAttributes
            << QByteArray(root + "/\r\n\r\n" + root + "\t\t4\t\t\r\n    a.txt\t\t2\t\t"
                          + "\r\n    b.log\t\t1\t\t\r\nsub\t\t2\t\t\r\n    c.txt\t\t2\t\t");
        QTest::newRow("pattern and full paths")
            << QStringList { u"--text"_s, u"--with-files"_s, u"-p"_s,
                             u"*.txt"_s,  u"--full-paths"_s, m_root }
                + kSizeAndAttributes
            << QByteArray(root + "/\r\n\r\n" + root + "\t\t4\t\t\r\n    a.txt\t\t2\t\t\r\n" + root
                          + "/sub\t\t2\t\t\r\n    c.txt\t\t2\t\t");
        QTest::newRow("German sizes")
            << QStringList { u"--text"_s, u"--with-files"_s, u"--set"_s, u"bgFileTag4=False"_s,
                             QString::fromUtf8(big) }
                + kSizeAndAttributes + QStringList { u"--locale"_s, u"de_DE"_s }
            << QByteArray(big + "/\r\n\r\n" + big + "\t\t1.536\t\r\n    big.bin\t\t1.536\t");
        QTest::newRow("settings file")
            << QStringList { u"--text"_s, u"--with-files"_s, u"-s"_s,
                             m_dir.filePath(u"logs.kiv"_s) }
            << QByteArray(root + "/\r\n\r\n" + root + "\t\t\r\n    b.log\t\t");
    }

    void text()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, expected);
        const ListRun result = run(arguments);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, expected);
        QVERIFY(result.err.isEmpty());
    }

    // The page: toggle mode by default, table mode through --set, to a file or standard output.
    void page()
    {
        const QString output = m_dir.filePath(u"page.html"_s);
        QCOMPARE(run({ u"-q"_s, u"-o"_s, output, m_root }).exitCode, 0);
        const QByteArray page = readAll(output);
        QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(page.endsWith(")</span></body></html>"));
        for (const char *piece :
             { "toggleFaqEntry", ">a.txt</td>", ">c.txt</td>",
               "ThisSelection: 3 files [4kb] in 2 folder searched 3 folder, 1 skipped" })
            QVERIFY2(page.contains(piece), piece);

        const ListRun result
            = run({ u"-q"_s, u"--set"_s, u"bgToggle=False"_s, u"-o"_s, u"-"_s, m_root });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(!result.out.contains("toggleFaqEntry"));

        // Values the page cannot hold: it writes their first-run defaults,
        // and standard error names each in one line.
        const ListRun replaced
            = run({ u"-q"_s, u"--set"_s, u"sgHoverColor=';alert(1);'"_s, u"--set"_s,
                    u"sgTextColor=12\n34"_s, u"--set"_s, u"sgFontSizeDIR=9pt}"_s, u"--set"_s,
                    u"sgGridColor=00ff00"_s, u"-o"_s, u"-"_s, m_root });
        QCOMPARE(replaced.exitCode, 0);
        QCOMPARE(replaced.err,
                 "quorvel-list: sgTextColor='12?34' is not a valid value; the page uses the "
                 "default '000000'\n"
                 "quorvel-list: sgFontSizeDIR='9pt}' is not a valid value; the page uses the "
                 "default '9'\n"
                 "quorvel-list: sgHoverColor='';alert(1);'' is not a valid value; the page uses "
                 "the default 'eaeaea'\n");
        QVERIFY(replaced.out.contains("backgroundColor='#eaeaea'"));
        QVERIFY(replaced.out.contains("px solid #00ff00"));
        QVERIFY(!replaced.out.contains("alert"));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("help") << QStringList { u"--help"_s } << 0;
        QTest::newRow("relative folder") << QStringList { u"--text"_s, u"tree"_s } << 0;
        QTest::newRow("a file, not a folder") << QStringList { u"tree/a.txt"_s } << 1;
        QTest::newRow("output folder missing")
            << QStringList { u"-o"_s, u"missing/page.html"_s, u"tree"_s } << 1;
        QTest::newRow("text output folder missing")
            << QStringList { u"--text"_s, u"-o"_s, u"missing/page.txt"_s, u"tree"_s } << 1;
        QTest::newRow("settings file missing")
            << QStringList { u"-s"_s, u"none.kiv"_s, u"tree"_s } << 1;
        QTest::newRow("no folder") << QStringList { u"--text"_s } << 2;
        QTest::newRow("unknown option") << QStringList { u"--fast"_s, u"tree"_s } << 2;
        QTest::newRow("unknown key")
            << QStringList { u"--set"_s, u"bgFast=True"_s, u"tree"_s } << 2;
        QTest::newRow("set without value")
            << QStringList { u"--set"_s, u"bgToggle"_s, u"tree"_s } << 2;
        QTest::newRow("two folders") << QStringList { u"tree"_s, u"tree"_s } << 2;
        QTest::newRow("files without text") << QStringList { u"--with-files"_s, u"tree"_s } << 2;
        QTest::newRow("unknown locale")
            << QStringList { u"--locale"_s, u"xx_nowhere"_s, u"tree"_s } << 2;
    }

    // 0 success, 1 unreadable folder or unwritable output (one line on
    // standard error, no file left), 2 usage error.
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const ListRun result = run(arguments);
        QCOMPARE(result.exitCode, exitCode);
        if (exitCode == 1) {
            QCOMPARE(result.err.count('\n'), 1);
            QVERIFY(result.err.startsWith("quorvel-list: "));
            QVERIFY(!QFileInfo::exists(m_dir.filePath(u"missing"_s)));
        }
        if (exitCode == 2)
            QVERIFY(result.err.contains("--help"));
    }
};

QTEST_GUILESS_MAIN(TestQuorvelList)
#include "tst_quorvel_list.moc"
