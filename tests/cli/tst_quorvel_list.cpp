#include "support/file_bytes.h"
#include "support/list_process.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Only the size and attribute columns, so the text does not depend on type
// descriptions or dates.
const QStringList kSizeAndAttributes {
    QStringLiteral("--set"),    QStringLiteral("bgFileTag1=False"),
    QStringLiteral("--set"),    QStringLiteral("bgFileTag2=False"),
    QStringLiteral("--set"),    QStringLiteral("bgFileTag3=False"),
    QStringLiteral("--locale"), QStringLiteral("en_US")
};

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
        m_root = m_dir.filePath(QStringLiteral("tree"));
        QVERIFY(writeAll(m_root + QStringLiteral("/a.txt"), QByteArray(2000, 'x')));
        QVERIFY(writeAll(m_root + QStringLiteral("/b.log"), QByteArray(512, 'x')));
        QVERIFY(writeAll(m_root + QStringLiteral("/sub/c.txt"), QByteArray(1536, 'x')));
        QVERIFY(
            writeAll(m_dir.filePath(QStringLiteral("big/big.bin")), QByteArray(1536 * 1024, 'x')));
        // A settings file gives the options and, without FOLDER, the folder.
        QVERIFY(writeAll(m_dir.filePath(QStringLiteral("logs.kiv")),
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
        const QByteArray big = m_dir.filePath(QStringLiteral("big")).toUtf8();
        QTest::newRow("files to standard output")
            << QStringList { QStringLiteral("--text"), QStringLiteral("--with-files"),
                             QStringLiteral("-o"), QStringLiteral("-"), m_root }
                + kSizeAndAttributes
            << QByteArray(root + "/\r\n\r\n" + root + "\t\t4\t\t\r\n    a.txt\t\t2\t\t"
                          + "\r\n    b.log\t\t1\t\t\r\nsub\t\t2\t\t\r\n    c.txt\t\t2\t\t");
        QTest::newRow("pattern and full paths")
            << QStringList { QStringLiteral("--text"),       QStringLiteral("--with-files"),
                             QStringLiteral("-p"),           QStringLiteral("*.txt"),
                             QStringLiteral("--full-paths"), m_root }
                + kSizeAndAttributes
            << QByteArray(root + "/\r\n\r\n" + root + "\t\t4\t\t\r\n    a.txt\t\t2\t\t\r\n" + root
                          + "/sub\t\t2\t\t\r\n    c.txt\t\t2\t\t");
        QTest::newRow("German sizes")
            << QStringList { QStringLiteral("--text"), QStringLiteral("--with-files"),
                             QStringLiteral("--set"), QStringLiteral("bgFileTag4=False"),
                             QString::fromUtf8(big) }
                + kSizeAndAttributes
                + QStringList { QStringLiteral("--locale"), QStringLiteral("de_DE") }
            << QByteArray(big + "/\r\n\r\n" + big + "\t\t1.536\t\r\n    big.bin\t\t1.536\t");
        QTest::newRow("settings file")
            << QStringList { QStringLiteral("--text"), QStringLiteral("--with-files"),
                             QStringLiteral("-s"), m_dir.filePath(QStringLiteral("logs.kiv")) }
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
        const QString output = m_dir.filePath(QStringLiteral("page.html"));
        QCOMPARE(run({ QStringLiteral("-q"), QStringLiteral("-o"), output, m_root }).exitCode, 0);
        const QByteArray page = readAll(output);
        QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(page.endsWith(")</span></body></html>"));
        for (const char *piece :
             { "toggleFaqEntry", ">a.txt</td>", ">c.txt</td>",
               "ThisSelection: 3 files [4kb] in 2 folder searched 3 folder, 1 skipped" })
            QVERIFY2(page.contains(piece), piece);

        const ListRun result
            = run({ QStringLiteral("-q"), QStringLiteral("--set"), QStringLiteral("bgToggle=False"),
                    QStringLiteral("-o"), QStringLiteral("-"), m_root });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(!result.out.contains("toggleFaqEntry"));
        QVERIFY(!page.contains("filterText"));
        const ListRun filtered = run({ QStringLiteral("-q"), QStringLiteral("--set"),
                                       QStringLiteral("bgFilterBox=True"), QStringLiteral("-o"),
                                       QStringLiteral("-"), m_root });
        QCOMPARE(filtered.exitCode, 0);
        QVERIFY(filtered.out.contains(R"(<input type="text" id="filterText")"));

        // Values the page cannot hold: it writes their first-run defaults,
        // and standard error names each in one line.
        const ListRun replaced
            = run({ QStringLiteral("-q"), QStringLiteral("--set"),
                    QStringLiteral("sgHoverColor=';alert(1);'"), QStringLiteral("--set"),
                    QStringLiteral("sgTextColor=12\n34"), QStringLiteral("--set"),
                    QStringLiteral("sgFontSizeDIR=9pt}"), QStringLiteral("--set"),
                    QStringLiteral("sgGridColor=00ff00"), QStringLiteral("-o"), QStringLiteral("-"),
                    m_root });
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
        QTest::newRow("help") << QStringList { QStringLiteral("--help") } << 0;
        QTest::newRow("relative folder")
            << QStringList { QStringLiteral("--text"), QStringLiteral("tree") } << 0;
        QTest::newRow("a file, not a folder") << QStringList { QStringLiteral("tree/a.txt") } << 1;
        QTest::newRow("output folder missing")
            << QStringList { QStringLiteral("-o"), QStringLiteral("missing/page.html"),
                             QStringLiteral("tree") }
            << 1;
        QTest::newRow("text output folder missing")
            << QStringList { QStringLiteral("--text"), QStringLiteral("-o"),
                             QStringLiteral("missing/page.txt"), QStringLiteral("tree") }
            << 1;
        QTest::newRow("settings file missing")
            << QStringList { QStringLiteral("-s"), QStringLiteral("none.kiv"),
                             QStringLiteral("tree") }
            << 1;
        QTest::newRow("no folder") << QStringList { QStringLiteral("--text") } << 2;
        QTest::newRow("unknown option")
            << QStringList { QStringLiteral("--fast"), QStringLiteral("tree") } << 2;
        QTest::newRow("unknown key")
            << QStringList { QStringLiteral("--set"), QStringLiteral("bgFast=True"),
                             QStringLiteral("tree") }
            << 2;
        QTest::newRow("set without value")
            << QStringList { QStringLiteral("--set"), QStringLiteral("bgToggle"),
                             QStringLiteral("tree") }
            << 2;
        QTest::newRow("two folders")
            << QStringList { QStringLiteral("tree"), QStringLiteral("tree") } << 2;
        QTest::newRow("files without text")
            << QStringList { QStringLiteral("--with-files"), QStringLiteral("tree") } << 2;
        QTest::newRow("unknown locale")
            << QStringList { QStringLiteral("--locale"), QStringLiteral("xx_nowhere"),
                             QStringLiteral("tree") }
            << 2;
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
            QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
        }
        if (exitCode == 2)
            QVERIFY(result.err.contains("--help"));
    }
};

QTEST_GUILESS_MAIN(TestQuorvelList)
#include "tst_quorvel_list.moc"
