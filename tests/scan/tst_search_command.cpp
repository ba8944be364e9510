// The window-free search command and re-read.
#undef QT_NO_CAST_FROM_ASCII
#include "app/program_state.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QTest>

namespace {

// Records the window's steps in order.
struct Window
{
    QStringList log;
    QString chosenFolder;
    QString statusLine;
    QString countLine;
    QString pathBox;
    bool listVisible = true;

    SearchSteps steps()
    {
        SearchSteps s;
        s.setBusyPointer = [this](bool busy) { log << (busy ? "busy" : "default pointer"); };
        s.browseForFolder = [this] {
            log << "browse";
            return chosenFolder;
        };
        s.setPathBox = [this](const QString &text) { pathBox = text; };
        s.yield = [this] { log << "yield"; };
        s.startAnimation = [this] { log << "start animation"; };
        s.stopAnimation = [this] { log << "stop animation"; };
        s.setListVisible = [this](bool visible) {
            listVisible = visible;
            log << (visible ? "show list" : "hide list");
        };
        s.setStatusLine = [this](const QString &text) { statusLine = text; };
        s.setCountLine = [this](const QString &text) { countLine = text; };
        return s;
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
        QTest::newRow("*.txt") << "*.txt"
                               << "txt";
        QTest::newRow("*.*") << "*.*"
                             << "*";
        QTest::newRow("*.tar.gz") << "*.tar.gz"
                                  << "tar.gz";
        QTest::newRow("*abc") << "*abc"
                              << "*abc";
        QTest::newRow("readme.txt") << "readme.txt"
                                    << "readme.txt";
        QTest::newRow("txt") << "txt"
                             << "txt";
        QTest::newRow("*.htm") << "*.htm"
                               << "htm";
        QTest::newRow("*x.y") << "*x.y"
                              << "y";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("*") << "*"
                           << "*";
        QTest::newRow("*.") << "*."
                            << "";
    }
    void reducePattern()
    {
        QFETCH(QString, box);
        QFETCH(QString, reduced);
        QCOMPARE(ReducePattern(box), reduced);
    }

    void texts()
    {
        QCOMPARE(SearchStatusText("*", "/data/"),
                 QString("Searching for '*' in '/data/' (recursive)"));
        QCOMPARE(ItemCountText(0), QString("0 items"));
        QCOMPARE(ItemCountText(1), QString("1 items"));
        QCOMPARE(ItemCountText(1234), QString("1234 items"));
    }

    void search()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a.txt", "a"));
        QVERIFY(tree.createFile("sub/b.TXT", "b"));
        QVERIFY(tree.createFile("sub/c.doc", "c"));
        ProgramState state;
        state.bgRecursive = false; // the status line still says "(recursive)"
        state.bgCancel = true; // cleared by the command
        ResultList list;
        ScanCounters counters;
        counters.FileCount = 99;
        int currentItem = -1;
        Window window;
        window.chosenFolder = tree.root();
        QString pathBox = "old";
        RunSearch(state, list, counters, currentItem, pathBox, "*.txt", window.steps());
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(window.pathBox, pathBox);
        QCOMPARE(window.statusLine, "Searching for 'txt' in '" + tree.root() + "/' (recursive)");
        QCOMPARE(window.countLine, QString("2 items"));
        QCOMPARE(window.log,
                 (QStringList { "busy", "browse", "yield", "start animation", "hide list",
                                "show list", "stop animation", "default pointer" }));
        QVERIFY(window.listVisible);
        QVERIFY(!state.bgCancel);
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.text(0), tree.root());
        QCOMPARE(counters.FileCount, qint64(1));
        QCOMPARE(counters.FolderCount, qint64(2));
        QCOMPARE(currentItem, 1);
        QCOMPARE(list.rowCount(), 2); // announced to views

        // Recursive, *.* lists every file.
        state.bgRecursive = true;
        RunSearch(state, list, counters, currentItem, pathBox, "*.*", window.steps());
        QCOMPARE(window.statusLine, "Searching for '*' in '" + tree.root() + "/' (recursive)");
        QCOMPARE(window.countLine, QString("5 items"));
        QCOMPARE(counters.FileCount, qint64(3));

        // A cancelled dialog empties the path box and leaves the list.
        window.chosenFolder.clear();
        window.log.clear();
        RunSearch(state, list, counters, currentItem, pathBox, "*.*", window.steps());
        QCOMPARE(pathBox, QString());
        QCOMPARE(window.pathBox, QString());
        QCOMPARE(list.count(), 5);
        QCOMPARE(counters.FileCount, qint64(3));
        QCOMPARE(window.countLine, QString());
        QCOMPARE(window.log, (QStringList { "busy", "browse", "default pointer" }));

        // ... and a following refresh gives 0 items.
        ReadFolderAgain(state, list, counters, currentItem, pathBox, "*.*", window.steps());
        QCOMPARE(list.count(), 0);
        QCOMPARE(window.countLine, QString("0 items"));
        QCOMPARE(counters.FolderCount, qint64(1));
    }

    void searchKeepsTrailingSeparator()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a.txt", "a"));
        ProgramState state;
        ResultList list;
        ScanCounters counters;
        int currentItem = -1;
        Window window;
        window.chosenFolder = tree.root() + u'/'; // as a picker gives a drive root
        QString pathBox;
        RunSearch(state, list, counters, currentItem, pathBox, "*.*", window.steps());
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.text(0), tree.root());
        QCOMPARE(list.subItem(1, 1), tree.root() + u'/');
    }

    void readFolderAgainTakesThePathAsItIs()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QVERIFY(tree.createFile("a.txt", "a"));
        QVERIFY(tree.createFile("sub/b.txt", "b"));
        ProgramState state;
        state.bgRecursive = true;
        state.bgCancel = true;
        ResultList list;
        ScanCounters counters;
        int currentItem = -1;
        Window window;
        const QString pathBox = tree.root(); // no trailing separator
        ReadFolderAgain(state, list, counters, currentItem, pathBox, "txt", window.steps());
        QVERIFY(!state.bgCancel);
        QCOMPARE(list.count(), 4);
        QCOMPARE(list.text(0), tree.root());
        QCOMPARE(list.text(2), tree.path("sub"));
        QCOMPARE(window.statusLine, "Searching for 'txt' in '" + tree.root() + "' (recursive)");
        QCOMPARE(window.countLine, QString("4 items"));
        QVERIFY(!window.log.contains("browse"));

        // "print only current directory" drops as many characters as the
        // box has: without the trailing separator the rest starts with one.
        SearchSteps steps = window.steps();
        steps.scan.onlyThisDir = [] { return true; };
        ReadFolderAgain(state, list, counters, currentItem, pathBox, "txt", steps);
        QCOMPARE(list.text(2), QString(" + /sub"));

        // An unusable path: an empty list.
        ReadFolderAgain(state, list, counters, currentItem, tree.path("missing"), "txt",
                        window.steps());
        QCOMPARE(list.count(), 0);
        QCOMPARE(window.countLine, QString("0 items"));
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "tst_search_command.moc"
