#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QTest>

namespace {

// The command's data and a window that records its steps in order.
struct Run
{
    PosixFileSystem fileSystem;
    std::atomic<bool> cancel { false };
    SearchContext context { fileSystem, cancel };
    ResultList list;
    ScanCounters counters;
    int currentItem = -1;
    QStringList log;
    QString chosenFolder, pathBoxShown, statusLine, countLine;
    bool onlyThisDir = false;

    SearchSteps steps()
    {
        SearchSteps s;
        s.setBusyPointer = [this](bool busy) {
            log << (busy ? QStringLiteral("busy") : QStringLiteral("default pointer"));
        };
        s.browseForFolder = [this] { return log << QStringLiteral("browse"), chosenFolder; };
        s.setPathBox = [this](const QString &text) { pathBoxShown = text; };
        s.yield = [this] { log << QStringLiteral("yield"); };
        s.startAnimation = [this] { log << QStringLiteral("start animation"); };
        s.stopAnimation = [this] { log << QStringLiteral("stop animation"); };
        s.setListVisible = [this](bool visible) {
            log << (visible ? QStringLiteral("show list") : QStringLiteral("hide list"));
        };
        s.setStatusLine = [this](const QString &text) { statusLine = text; };
        s.setCountLine = [this](const QString &text) { countLine = text; };
        s.scan.onlyThisDir = [this] { return onlyThisDir; };
        return s;
    }
    void search(QString &box, const QString &p)
    {
        RunSearch(context, list, counters, currentItem, box, p, steps());
    }
    void readAgain(const QString &box, const QString &p)
    {
        ReadFolderAgain(context, list, counters, currentItem, box, p, steps());
    }
};

} // namespace

class TestSearchCommand : public QObject
{
    Q_OBJECT

private slots:
    void reducePattern()
    {
        QCOMPARE(ReducePattern(QStringLiteral("*.*")), QStringLiteral("*"));
        QCOMPARE(ReducePattern(QStringLiteral("*x.tar.gz")), QStringLiteral("tar.gz"));
        QCOMPARE(ReducePattern(QStringLiteral("readme.txt")), QStringLiteral("readme.txt"));
        QCOMPARE(ReducePattern(QStringLiteral("*.")), QStringLiteral(""));
    }

    void search()
    {
        TreeFixture tree;
        QVERIFY(tree.isValid() && tree.createFile("a.txt", "a") && tree.createFile("sub/b.TXT", "b")
                && tree.createFile("sub/c.doc", "c"));
        Run run;
        run.context.recursive = false; // the status line still says "(recursive)"
        run.cancel = true; // cleared by the command
        run.counters.FileCount = 99;
        run.chosenFolder = tree.root();
        QString pathBox = QStringLiteral("old");
        run.search(pathBox, QStringLiteral("*.txt"));
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(run.pathBoxShown, pathBox);
        QCOMPARE(run.statusLine,
                 QStringLiteral("Searching for 'txt' in '") + tree.root()
                     + QStringLiteral("/' (recursive)"));
        QCOMPARE(run.countLine, QStringLiteral("2 items"));
        QCOMPARE(run.log,
                 (QStringList { QStringLiteral("browse"), QStringLiteral("busy"),
                                QStringLiteral("yield"), QStringLiteral("start animation"),
                                QStringLiteral("hide list"), QStringLiteral("yield"),
                                QStringLiteral("show list"), QStringLiteral("stop animation"),
                                QStringLiteral("default pointer") }));
        QVERIFY(!run.cancel);
        QCOMPARE(run.list.rowCount(), 2); // announced to views
        QCOMPARE(run.counters.FileCount, qint64(1));
        QCOMPARE(run.counters.FolderCount, qint64(2));
        QCOMPARE(run.currentItem, 1);

        // Recursive *.* lists every file; a picked root's separator is not doubled.
        run.context.recursive = true;
        run.chosenFolder = tree.root() + u'/';
        run.search(pathBox, QStringLiteral("*.*"));
        QCOMPARE(pathBox, tree.root() + u'/');
        QCOMPARE(run.countLine, QStringLiteral("5 items"));

        // A cancelled dialog empties the path box and leaves the list; a refresh then gives 0.
        run.chosenFolder.clear();
        run.log.clear();
        run.search(pathBox, QStringLiteral("*.*"));
        QCOMPARE(pathBox, QString());
        QCOMPARE(run.list.count(), 5);
        QCOMPARE(run.log,
                 (QStringList { QStringLiteral("browse"), QStringLiteral("busy"),
                                QStringLiteral("default pointer") }));
        run.readAgain(pathBox, QStringLiteral("*.*"));
        QCOMPARE(run.list.count(), 0);
        QCOMPARE(run.countLine, QStringLiteral("0 items"));
        QCOMPARE(run.counters.FolderCount, qint64(1));

        // A refresh takes the box as it is, without a trailing separator.
        run.log.clear();
        run.readAgain(tree.root(), QStringLiteral("txt"));
        QCOMPARE(run.list.text(2), tree.path("sub"));
        QCOMPARE(run.statusLine,
                 QStringLiteral("Searching for 'txt' in '") + tree.root()
                     + QStringLiteral("' (recursive)"));
        QCOMPARE(run.countLine, QStringLiteral("4 items"));
        QVERIFY(!run.log.contains(QStringLiteral("browse")));

        // "Only this folder" drops the box's length, so the rest starts with "/".
        run.onlyThisDir = true;
        run.readAgain(tree.root(), QStringLiteral("txt"));
        QCOMPARE(run.list.text(2), QStringLiteral(" + /sub"));
    }
};

QTEST_GUILESS_MAIN(TestSearchCommand)
#include "tst_search_command.moc"
