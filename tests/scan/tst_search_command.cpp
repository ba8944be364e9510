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
        s.browseForFolder = [this] { return log << "browse", chosenFolder; };
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
    void search(QString &box, const QString &p)
    {
        RunSearch(state, list, counters, currentItem, box, p, steps());
    }
    void readAgain(const QString &box, const QString &p)
    {
        ReadFolderAgain(state, list, counters, currentItem, box, p, steps());
    }
};

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

private slots:
    void reducePattern()
    {
        QCOMPARE(ReducePattern("*.*"), "*");
        QCOMPARE(ReducePattern("*x.tar.gz"), "tar.gz");
        QCOMPARE(ReducePattern("readme.txt"), "readme.txt");
        QCOMPARE(ReducePattern("*."), "");
    }

    void search()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid() && tree.createFile("a.txt", "a") && tree.createFile("sub/b.TXT", "b")
                && tree.createFile("sub/c.doc", "c"));
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
                 (QStringList { "browse", "busy", "yield", "start animation", "hide list",
                                "show list", "stop animation", "default pointer" }));
        QVERIFY(!run.state.bgCancel);
        QCOMPARE(run.list.rowCount(), 2); // announced to views
        QCOMPARE(run.counters.FileCount, qint64(1));
        QCOMPARE(run.counters.FolderCount, qint64(2));
        QCOMPARE(run.currentItem, 1);

        // Recursive *.* lists every file; a picked root's separator is not doubled.
        run.state.bgRecursive = true;
        run.chosenFolder = tree.root() + u'/';
        run.search(pathBox, "*.*");
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(run.countLine, "5 items");

        // A cancelled dialog empties the path box and leaves the list; a refresh then gives 0.
        run.chosenFolder.clear();
        run.log.clear();
        run.search(pathBox, "*.*");
        QCOMPARE(pathBox, QString());
        QCOMPARE(run.list.count(), 5);
        QCOMPARE(run.log, (QStringList { "browse", "busy", "default pointer" }));
        run.readAgain(pathBox, "*.*");
        QCOMPARE(run.list.count(), 0);
        QCOMPARE(run.countLine, "0 items");
        QCOMPARE(run.counters.FolderCount, qint64(1));

        // A refresh takes the box as it is, without a trailing separator.
        run.log.clear();
        run.readAgain(tree.root(), "txt");
        QCOMPARE(run.list.text(2), tree.path("sub"));
        QCOMPARE(run.statusLine, "Searching for 'txt' in '" + tree.root() + "' (recursive)");
        QCOMPARE(run.countLine, "4 items");
        QVERIFY(!run.log.contains("browse"));

        // "Only this folder" drops the box's length, so the rest starts with "/".
        run.onlyThisDir = true;
        run.readAgain(tree.root(), "txt");
        QCOMPARE(run.list.text(2), " + /sub");
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "tst_search_command.moc"
