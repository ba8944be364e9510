// The window-free search command and re-read.
#undef QT_NO_CAST_FROM_ASCII
#include "app/program_state.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QTest>

namespace {

// The command's data and a window that records its steps in order.
struct Run
{
    ProgramState state;
    ResultList list;
    ScanCounters counters;
    int currentItem = -1;
    QStringList log;
    QString chosenFolder, pathBoxShown, statusLine, countLine;
    bool onlyThisDir = false;

    SearchSteps steps()
    {
        SearchSteps s;
        s.setBusyPointer = [this](bool busy) { log << (busy ? "busy" : "default pointer"); };
        s.browseForFolder = [this] {
            log << "browse";
            return chosenFolder;
        };
        s.setPathBox = [this](const QString &text) { pathBoxShown = text; };
        s.yield = [this] { log << "yield"; };
        s.startAnimation = [this] { log << "start animation"; };
        s.stopAnimation = [this] { log << "stop animation"; };
        s.setListVisible = [this](bool visible) { log << (visible ? "show list" : "hide list"); };
        s.setStatusLine = [this](const QString &text) { statusLine = text; };
        s.setCountLine = [this](const QString &text) { countLine = text; };
        s.scan.onlyThisDir = [this] { return onlyThisDir; };
        return s;
    }
    void search(QString &pathBox, const QString &pattern)
    {
        RunSearch(state, list, counters, currentItem, pathBox, pattern, steps());
    }
    void readAgain(const QString &pathBox, const QString &pattern)
    {
        ReadFolderAgain(state, list, counters, currentItem, pathBox, pattern, steps());
    }
};

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

private slots:
    void reducePattern_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("reduced");
        const char *const cases[][2]
            = { { "*.txt", "txt" }, { "*.*", "*" },     { "*.tar.gz", "tar.gz" },
                { "*x.y", "y" },    { "*abc", "*abc" }, { "readme.txt", "readme.txt" },
                { "", "" },         { "*.", "" } };
        for (const auto &[box, reduced] : cases)
            QTest::newRow(*box ? box : "empty") << box << reduced;
    }
    void reducePattern()
    {
        QFETCH(QString, box);
        QFETCH(QString, reduced);
        QCOMPARE(ReducePattern(box), reduced);
    }

    void texts()
    {
        QCOMPARE(SearchStatusText("*", "/data/"), "Searching for '*' in '/data/' (recursive)");
        QCOMPARE(ItemCountText(1), "1 items");
        QCOMPARE(ItemCountText(1234), "1234 items");
    }

    void search()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a.txt", "a"));
        QVERIFY(tree.createFile("sub/b.TXT", "b"));
        QVERIFY(tree.createFile("sub/c.doc", "c"));
        Run run;
        run.state.bgRecursive = false; // the status line still says "(recursive)"
        run.state.bgCancel = true; // cleared by the command
        run.counters.FileCount = 99;
        run.chosenFolder = tree.root();
        QString pathBox = "old";
        run.search(pathBox, "*.txt");
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(run.pathBoxShown, pathBox);
        QCOMPARE(run.statusLine, "Searching for 'txt' in '" + tree.root() + "/' (recursive)");
        QCOMPARE(run.countLine, "2 items");
        QCOMPARE(run.log,
                 (QStringList { "busy", "browse", "yield", "start animation", "hide list",
                                "show list", "stop animation", "default pointer" }));
        QVERIFY(!run.state.bgCancel);
        QCOMPARE(run.list.text(0), tree.root());
        QCOMPARE(run.list.rowCount(), 2); // announced to views
        QCOMPARE(run.counters.FileCount, qint64(1));
        QCOMPARE(run.counters.FolderCount, qint64(2));
        QCOMPARE(run.currentItem, 1);

        // Recursive, *.* lists every file; a picked folder that ends in the
        // separator (as a drive root does) keeps just that one.
        run.state.bgRecursive = true;
        run.chosenFolder = tree.root() + u'/';
        run.search(pathBox, "*.*");
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(run.statusLine, "Searching for '*' in '" + tree.root() + "/' (recursive)");
        QCOMPARE(run.countLine, "5 items");
        QCOMPARE(run.counters.FileCount, qint64(3));
        QCOMPARE(run.list.text(0), tree.root());
        QCOMPARE(run.list.subItem(1, 1), tree.root() + u'/');

        // A cancelled dialog empties the path box and leaves the list.
        run.chosenFolder.clear();
        run.log.clear();
        run.search(pathBox, "*.*");
        QCOMPARE(pathBox, QString());
        QCOMPARE(run.pathBoxShown, QString());
        QCOMPARE(run.list.count(), 5);
        QCOMPARE(run.counters.FileCount, qint64(3));
        QCOMPARE(run.countLine, QString());
        QCOMPARE(run.log, (QStringList { "busy", "browse", "default pointer" }));

        // ... and a following refresh gives 0 items.
        run.readAgain(pathBox, "*.*");
        QCOMPARE(run.list.count(), 0);
        QCOMPARE(run.countLine, "0 items");
        QCOMPARE(run.counters.FolderCount, qint64(1));
    }

    void readFolderAgainTakesThePathAsItIs()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a.txt", "a"));
        QVERIFY(tree.createFile("sub/b.txt", "b"));
        Run run;
        run.state.bgRecursive = true;
        run.state.bgCancel = true;
        run.readAgain(tree.root(), "txt"); // no trailing separator
        QVERIFY(!run.state.bgCancel);
        QCOMPARE(run.list.count(), 4);
        QCOMPARE(run.list.text(0), tree.root());
        QCOMPARE(run.list.text(2), tree.path("sub"));
        QCOMPARE(run.statusLine, "Searching for 'txt' in '" + tree.root() + "' (recursive)");
        QCOMPARE(run.countLine, "4 items");
        QVERIFY(!run.log.contains("browse"));

        // "print only current directory" drops as many characters as the
        // box has: without the trailing separator the rest starts with one.
        run.onlyThisDir = true;
        run.readAgain(tree.root(), "txt");
        QCOMPARE(run.list.text(2), " + /sub");
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "tst_search_command.moc"
