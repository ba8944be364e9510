#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

void writeFile(const QString &path, qsizetype bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

} // namespace

class TestQuorvelList : public QObject
{
    Q_OBJECT

private:
    QString m_program;
    QTemporaryDir m_dir;
    QString m_root; // the listed tree: a.txt, b.log, sub/c.txt

    Run run(const QStringList &arguments)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        process.start(m_program, arguments);
        Run result;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return result;
        result.exitCode = process.exitCode();
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // Only the size and attribute columns, so the text does not depend on
    // type descriptions or dates.
    QStringList sizeAndAttributes() const
    {
        return { QStringLiteral("--set"),    QStringLiteral("bgFileTag1=False"),
                 QStringLiteral("--set"),    QStringLiteral("bgFileTag2=False"),
                 QStringLiteral("--set"),    QStringLiteral("bgFileTag3=False"),
                 QStringLiteral("--locale"), QStringLiteral("en_US") };
    }

private slots:
    void initTestCase()
    {
        m_program = qEnvironmentVariable("QUORVEL_LIST");
        QVERIFY2(QFileInfo(m_program).isExecutable(), "QUORVEL_LIST names the built program");
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("tree"));
        QVERIFY(QDir().mkpath(m_root + QStringLiteral("/sub")));
        writeFile(m_root + QStringLiteral("/a.txt"), 2000);
        writeFile(m_root + QStringLiteral("/b.log"), 512);
        writeFile(m_root + QStringLiteral("/sub/c.txt"), 1536);
    }

    void help()
    {
        const Run result = run({ QStringLiteral("--help") });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("Usage: quorvel-list [OPTION]... [FOLDER]"));
        QVERIFY(result.out.contains("--with-files"));
        const Run version = run({ QStringLiteral("--version") });
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("quorvel-list 1.12.1128\n"));
    }

    // --text --with-files -o - prints the clipboard text: the folder line,
    // an empty line, one line per row; subfolders by their short names.
    void clipboardText()
    {
        const Run result
            = run(QStringList { QStringLiteral("--text"), QStringLiteral("--with-files"),
                                QStringLiteral("-o"), QStringLiteral("-"), m_root }
                  + sizeAndAttributes());
        QCOMPARE(result.exitCode, 0);
        const QByteArray root = m_root.toUtf8();
        const QByteArray expected = root + "/\r\n" + "\r\n" + root + "\t\t4\t\t"
            + "\r\n    a.txt\t\t2\t\t" + "\r\n    b.log\t\t1\t\t" + "\r\nsub\t\t2\t\t"
            + "\r\n    c.txt\t\t2\t\t";
        QCOMPARE(result.out, expected);
        QVERIFY(result.err.isEmpty());
    }

    // The pattern, full paths, and folders only without --with-files.
    void clipboardTextOptions()
    {
        const QByteArray root = m_root.toUtf8();
        Run result = run(QStringList { QStringLiteral("--text"), QStringLiteral("--with-files"),
                                       QStringLiteral("-p"), QStringLiteral("*.txt"),
                                       QStringLiteral("--full-paths"), m_root }
                         + sizeAndAttributes());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out,
                 root + "/\r\n\r\n" + root + "\t\t4\t\t\r\n    a.txt\t\t2\t\t\r\n" + root
                     + "/sub\t\t2\t\t\r\n    c.txt\t\t2\t\t");
        result = run(QStringList { QStringLiteral("--text"), m_root } + sizeAndAttributes());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, root + "/\r\n\r\n" + root + "\t4\t\t\r\nsub\t2\t\t");
    }

    // Sizes follow --locale: 1536 KiB is 1,536 in English and 1.536 in German.
    void locale()
    {
        const QString folder = m_dir.filePath(QStringLiteral("big"));
        QVERIFY(QDir().mkpath(folder));
        QFile file(folder + QStringLiteral("/big.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(1536 * 1024));
        file.close();
        const QStringList sizeOnly { QStringLiteral("--text"),
                                     QStringLiteral("--with-files"),
                                     QStringLiteral("--set"),
                                     QStringLiteral("bgFileTag1=False"),
                                     QStringLiteral("--set"),
                                     QStringLiteral("bgFileTag2=False"),
                                     QStringLiteral("--set"),
                                     QStringLiteral("bgFileTag3=False"),
                                     QStringLiteral("--set"),
                                     QStringLiteral("bgFileTag4=False"),
                                     folder };
        const QByteArray head = folder.toUtf8() + "/\r\n\r\n" + folder.toUtf8();
        Run result
            = run(sizeOnly + QStringList { QStringLiteral("--locale"), QStringLiteral("en_US") });
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, head + "\t\t1,536\t\r\n    big.bin\t\t1,536\t");
        result
            = run(sizeOnly + QStringList { QStringLiteral("--locale"), QStringLiteral("de_DE") });
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, head + "\t\t1.536\t\r\n    big.bin\t\t1.536\t");
    }

    // The page: toggle mode by default, table mode through --set; written
    // under the given name.
    void page()
    {
        const QString output = m_dir.filePath(QStringLiteral("page.html"));
        Run result = run({ QStringLiteral("-q"), QStringLiteral("-o"), output, m_root });
        QCOMPARE(result.exitCode, 0);
        QFile file(output);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray page = file.readAll();
        file.close();
        QVERIFY(page.startsWith("<!DOCTYPE HTML PUBLIC"));
        QVERIFY(page.endsWith(")</span></body></html>"));
        QVERIFY(page.contains("toggleFaqEntry"));
        QVERIFY(page.contains(">a.txt</td>"));
        QVERIFY(page.contains(">c.txt</td>"));
        QVERIFY(
            page.contains("ThisSelection: 3 files [4kb] in 2 folder searched 3 folder, 1 skipped"));

        result = run({ QStringLiteral("-q"), QStringLiteral("--set"),
                       QStringLiteral("bgToggle=False"), QStringLiteral("--set"),
                       QStringLiteral("bgLink=True"), QStringLiteral("-o"), output, m_root });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        page = file.readAll();
        QVERIFY(!page.contains("toggleFaqEntry"));
        QVERIFY(page.contains(
            QByteArray("<a href=\"file://" + m_root.toUtf8() + "/a.txt\">a.txt</a>")));

        result = run({ QStringLiteral("-q"), QStringLiteral("-o"), QStringLiteral("-"), m_root });
        QCOMPARE(result.exitCode, 0);
        QVERIFY(result.out.startsWith("<!DOCTYPE HTML PUBLIC"));
    }

    // A settings file gives the options and, without FOLDER, the folder.
    void settingsFile()
    {
        const QString settings = m_dir.filePath(QStringLiteral("logs.kiv"));
        QFile file(settings);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[search]\r\npath=" + m_root.toUtf8()
            + "\r\next=*.log\r\n[htm]\r\nbgFileTag0=False\r\n"
              "bgFileTag1=False\r\nbgFileTag2=False\r\nbgFileTag3=False\r\nbgFileTag4=True\r\n");
        file.close();
        const Run result = run({ QStringLiteral("--text"), QStringLiteral("--with-files"),
                                 QStringLiteral("-s"), settings });
        QCOMPARE(result.exitCode, 0);
        const QByteArray root = m_root.toUtf8();
        QCOMPARE(result.out, root + "/\r\n\r\n" + root + "\t\t\r\n    b.log\t\t");
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        const QString tree = QStringLiteral("tree");
        QTest::newRow("relative folder") << QStringList { QStringLiteral("--text"), tree } << 0;
        QTest::newRow("missing folder") << QStringList { QStringLiteral("no-such-folder") } << 1;
        QTest::newRow("a file, not a folder") << QStringList { QStringLiteral("tree/a.txt") } << 1;
        QTest::newRow("output folder missing")
            << QStringList { QStringLiteral("-o"), QStringLiteral("missing/page.html"), tree } << 1;
        QTest::newRow("text output folder missing")
            << QStringList { QStringLiteral("--text"), QStringLiteral("-o"),
                             QStringLiteral("missing/page.txt"), tree }
            << 1;
        QTest::newRow("settings file missing")
            << QStringList { QStringLiteral("-s"), QStringLiteral("none.kiv"), tree } << 1;
        QTest::newRow("no folder") << QStringList { QStringLiteral("--text") } << 2;
        QTest::newRow("unknown option") << QStringList { QStringLiteral("--fast"), tree } << 2;
        QTest::newRow("unknown key")
            << QStringList { QStringLiteral("--set"), QStringLiteral("bgFast=True"), tree } << 2;
        QTest::newRow("set without value")
            << QStringList { QStringLiteral("--set"), QStringLiteral("bgToggle"), tree } << 2;
        QTest::newRow("missing value") << QStringList { tree, QStringLiteral("-o") } << 2;
        QTest::newRow("two folders") << QStringList { tree, tree } << 2;
        QTest::newRow("files without text")
            << QStringList { QStringLiteral("--with-files"), tree } << 2;
        QTest::newRow("unknown locale")
            << QStringList { QStringLiteral("--locale"), QStringLiteral("xx_nowhere"), tree } << 2;
    }

    // 0 success, 1 unreadable folder or unwritable output (one line on
    // standard error, no file left), 2 usage error.
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        const Run result = run(arguments);
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
