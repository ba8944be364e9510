// A tree that changes under a running scan: folders and files vanish, new
// ones appear. The scan must end, list what it could, and keep its counters
// true to the rows it made.
#include "scan/folder_scanner.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QtTest>

class TestScanFaults : public QObject
{
    Q_OBJECT

    static void checkCountersMatchRows(const ResultList &list, const ScanCounters &counters)
    {
        qint64 files = 0, folders = 0;
        for (int row = 0; row < list.count(); ++row) {
            files += list.isFileRow(row) ? 1 : 0;
            folders += list.isFolderRow(row) ? 1 : 0;
        }
        QCOMPARE(counters.FileCount, files);
        QCOMPARE(counters.FolderCount, 1 + folders);
        QVERIFY(counters.SearchedFolderCount >= counters.FolderCount);
    }

private slots:
    void treeChangesDuringTheScan_data()
    {
        QTest::addColumn<int>("changeAtYield");
        QTest::newRow("at the start") << 1;
        QTest::newRow("early") << 5;
        QTest::newRow("midway") << 200;
        QTest::newRow("late") << 700;
    }
    void treeChangesDuringTheScan()
    {
        QFETCH(int, changeAtYield);
        TreeFixture tree;
        for (int folder = 0; folder < 20; ++folder)
            for (int file = 0; file < 40; ++file)
                QVERIFY(tree.createFile(QStringLiteral("f%1/deep/x%2.txt").arg(folder).arg(file),
                                        "data", {}));

        PosixFileSystem fileSystem;
        ScanOptions options;
        options.recursive = true;
        options.skipEmptyFolders = true;
        options.pattern = QStringLiteral("txt");
        std::atomic<bool> cancel { false };
        ResultList list;
        ScanCounters counters;
        int currentItem = -1;
        int yields = 0;
        ScanHooks hooks;
        hooks.yield = [&] {
            if (++yields != changeAtYield)
                return;
            // Half of the folders vanish, the others gain files and folders.
            for (int folder = 0; folder < 20; folder += 2)
                QDir(tree.path(QStringLiteral("f%1").arg(folder))).removeRecursively();
            for (int folder = 1; folder < 20; folder += 2) {
                tree.createFile(QStringLiteral("f%1/new.txt").arg(folder), "n", {});
                tree.createFolder(QStringLiteral("f%1/newfolder").arg(folder));
                QFile::remove(tree.path(QStringLiteral("f%1/deep/x3.txt").arg(folder)));
            }
        };
        ScanFolder(fileSystem, options, cancel, list, counters, currentItem, tree.root() + u'/',
                   hooks);

        QVERIFY(yields >= changeAtYield && list.count() > 0);
        checkCountersMatchRows(list, counters);
        // Every file row follows the row of its own folder or a sibling file.
        for (int row = 1; row < list.count(); ++row)
            if (list.isFileRow(row) && list.isFileRow(row - 1))
                QCOMPARE(list.subItem(row, 1), list.subItem(row - 1, 1));
    }

    void searchFolderVanishesBeforeTheScan()
    {
        PosixFileSystem fileSystem;
        std::atomic<bool> cancel { false };
        const SearchContext search { fileSystem, cancel, true };
        ResultList list;
        ScanCounters counters;
        int currentItem = -1;
        QString pathBox;
        {
            TreeFixture tree;
            pathBox = tree.root();
        }
        SearchSteps steps;
        QString countLine;
        steps.setCountLine = [&](const QString &text) { countLine = text; };
        ReadFolderAgain(search, list, counters, currentItem, pathBox, QStringLiteral("*.*"), steps);
        QCOMPARE(list.count(), 0);
        QCOMPARE(countLine, QStringLiteral("0 items"));
        checkCountersMatchRows(list, counters);
    }
};

QTEST_GUILESS_MAIN(TestScanFaults)
#include "tst_scan_faults.moc"
