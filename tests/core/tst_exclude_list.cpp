// The names a search leaves out.
#include "core/exclude_list.h"

#include <QTest>

class TestExcludeList : public QObject
{
    Q_OBJECT

private slots:
    void excluding_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<QByteArray>("name"); // file-system bytes
        QTest::addColumn<bool>("excluded");

        const auto row = [](const char *list, const char *name, bool excluded) {
            QTest::addRow("%s ~ %s", list, name)
                << QString::fromUtf8(list) << QByteArray(name) << excluded;
        };
        // The whole name, not its tail as for the file pattern.
        row(".git", ".git", true);
        row(".git", "x.git", false);
        row("git", ".git", false);
        row(".git", ".gitignore", false);
        row("*.o", "main.o", true);
        row("*.o", "main.obj", false);
        row("node_modules", "node_modules", true);
        // Letter case does not count, beyond ASCII too.
        row(".GIT", ".git", true);
        row("ä*", "Äpfel", true);
        // The other wildcards.
        row("v##", "v12", true);
        row("v##", "v123", false);
        row("[a-c]?", "bz", true);
        row("[!a-c]?", "bz", false);
        row("*", "anything", true);
        // Several patterns: any one of them; blanks around them do not count.
        row(" build ; .git ;*.tmp", ".git", true);
        row(" build ; .git ;*.tmp", "a.TMP", true);
        row(" build ; .git ;*.tmp", "builds", false);
        // No patterns, empty ones, and one that cannot be read: nothing left out.
        row("", "a", false);
        row(";;", "a", false);
        row("[ab", "[ab", false);
        row("[ab;c", "c", true);
        // A name that is not valid UTF-8 is still compared, each bad byte one character.
        row("?.bin", "\xff.bin", true);
        row("*.bin", "\xfe\xff.bin", true);
        // A long ASCII name, past any short buffer.
        QTest::addRow("*.log ~ a long name")
            << QStringLiteral("*.log") << QByteArray(300, 'a').append(".log") << true;
    }

    void excluding()
    {
        QFETCH(QString, list);
        QFETCH(QByteArray, name);
        QFETCH(bool, excluded);
        const ExcludeList excludes(list, QLocale::c());
        QCOMPARE(excludes.excludes(QByteArrayView(name)), excluded);
        QCOMPARE(excludes.excludes(QString::fromUtf8(name)), excluded);
    }

    void listText()
    {
        const ExcludeList excludes(QStringLiteral(" .git;; [ab ;*.o "), QLocale::c());
        QCOMPARE(excludes.patterns(),
                 (QStringList { QStringLiteral(".git"), QStringLiteral("*.o") }));
        QCOMPARE(excludes.unreadable(), QStringList { QStringLiteral("[ab") });
        QVERIFY(!excludes.isEmpty());
        QVERIFY(ExcludeList(QStringLiteral(" ; ")).isEmpty());
        QVERIFY(ExcludeList(QStringLiteral("[x")).isEmpty());

        const QStringList patterns { QStringLiteral("a b"), QStringLiteral("*.tmp") };
        QCOMPARE(ExcludeList::join(patterns), QStringLiteral("a b;*.tmp"));
        QCOMPARE(ExcludeList::split(ExcludeList::join(patterns)), patterns);
        QCOMPARE(ExcludeList::split(QString()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestExcludeList)
#include "tst_exclude_list.moc"
