// ScanFolder on real temporary trees.
#undef QT_NO_CAST_FROM_ASCII
#include "scan/folder_scanner.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QtTest>

#include <climits>

namespace {

// One scan's inputs and results, set up as the search command leaves them.
struct Scan
{
    PosixFileSystem fileSystem;
    ScanOptions options;
    std::atomic<bool> cancel { false };
    ResultList list;
    ScanCounters counters;
    int currentItem = -1;
    bool onlyThisDir = false;
    QString pathBox;
    std::function<void()> yield;

    Scan(bool recursive, bool skipEmpty)
    {
        options.recursive = recursive;
        options.skipEmptyFolders = skipEmpty;
    }
    void run(const QString &folder, const QString &patternBox)
    {
        if (pathBox.isEmpty())
            pathBox = folder.endsWith(u'/') ? folder : folder + u'/';
        counters.reset();
        list.clear();
        ScanHooks hooks;
        hooks.yield = yield;
        hooks.onlyThisDir = [this] { return onlyThisDir; };
        hooks.pathBoxLength = [this] { return pathBox.size(); };
        options.pattern = ReducePattern(patternBox);
        ScanFolder(fileSystem, options, cancel, list, counters, currentItem, pathBox, hooks);
    }
    // "text|marker" per row.
    [[nodiscard]] QStringList rows() const
    {
        QStringList out;
        for (int row = 0; row < list.count(); ++row)
            out << list.text(row) + u'|' + list.subItem(row, 2);
        return out;
    }
    // The counters as the rows say they must be.
    void verifyCountersMatchRows() const
    {
        qint64 files = 0;
        for (int row = 0; row < list.count(); ++row)
            files += list.isFileRow(row);
        QCOMPARE(counters.FileCount, files);
        QCOMPARE(counters.FolderCount, 1 + list.count() - files);
        QVERIFY(counters.SearchedFolderCount >= counters.FolderCount);
    }
};

QString folderRow(const QString &text)
{
    return text + "|FOLDER";
}
QString fileRow(const QString &name)
{
    return "    " + name + "|FILE";
}

const QDateTime kModified(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);

// The small example tree: a.txt, b.doc, sub1/c.txt, sub2/deep/d.txt.
void makeWorkedExample(TreeFixture &tree)
{
    QVERIFY(tree.createFile("a.txt", QByteArray(512, 'a'), kModified));
    QVERIFY(tree.setPermissions("a.txt", 0444));
    QVERIFY(tree.createFile("b.doc", QByteArray(2048, 'b')));
    QVERIFY(tree.createFile("sub1/c.txt", QByteArray(100, 'c')));
    QVERIFY(tree.createFile("sub2/deep/d.txt", QByteArray(1536, 'd')));
}

// The scanner's walk written down literally, recursive, over listFolder(): the
// reference the snapshot-based scanner must agree with row for row.
struct ReferenceWalk
{
    NumberFormatter numbers; // sizes as the list shows them
    bool recursive, skipEmpty;
    QString pattern;
    QStringList rows {}; // text|marker|size|filecount
    qint64 fileCount = 0, folderCount = 1, searched = 1;
    PosixFileSystem fs {};

    std::optional<qint64> treeSize(const QByteArray &path)
    {
        const auto listing = fs.listFolder(path);
        if (!listing)
            return std::nullopt;
        qint64 total = 0;
        for (const auto &file : listing->files)
            total += file.properties.sizeBytes.value_or(0);
        for (const auto &sub : listing->subfolders) {
            const auto size = treeSize(path + '/' + sub.name);
            if (!size)
                return std::nullopt;
            total += *size;
        }
        return total;
    }
    void addFolder(const QByteArray &path)
    {
        const auto listing = fs.listFolder(path);
        const auto size = treeSize(path);
        rows << QString::fromUtf8(path) + "|FOLDER|" + (size ? numbers.sizeText(*size) : QString())
                + u'|' + (listing ? QString::number(listing->files.size()) : QString());
    }
    void scan(const QByteArray &path)
    {
        const auto listing = fs.listFolder(path);
        bool found = false;
        if (listing) {
            for (const auto &file : listing->files) {
                const QString name = QString::fromUtf8(file.name);
                if (pattern != "*" && !name.toUpper().endsWith(pattern.toUpper()))
                    continue;
                found = true;
                ++fileCount;
                if (rows.isEmpty()) {
                    ++folderCount;
                    ++searched;
                    addFolder(path);
                }
                rows << "    " + name + "|FILE|" + numbers.sizeText(*file.properties.sizeBytes)
                        + u'|';
            }
        }
        if (!found && skipEmpty && !rows.isEmpty() && rows.last().contains("|FOLDER|")) {
            rows.removeLast();
            --folderCount;
        }
        if (!recursive || !listing)
            return;
        for (const auto &sub : listing->subfolders) {
            ++folderCount;
            ++searched;
            addFolder(path + '/' + sub.name);
            scan(path + '/' + sub.name);
        }
    }
};

// Scans `root` and walks it the reference way: rows, sizes, file counts and
// counters must agree. The scan's counters go to `counters`.
void verifyMatchesReferenceWalk(const QString &root, bool recursive, bool skipEmpty,
                                const QString &patternBox, ScanCounters *counters = nullptr)
{
    Scan scan(recursive, skipEmpty);
    scan.run(root, patternBox);
    QStringList scanned;
    for (int row = 0; row < scan.list.count(); ++row)
        scanned << scan.list.text(row) + u'|' + scan.list.subItem(row, 2) + u'|'
                + scan.list.subItem(row, 3) + u'|'
                + (scan.list.isFolderRow(row) ? scan.list.subItem(row, 8) : QString());
    ReferenceWalk reference { NumberFormatter(scan.list.locale()), recursive, skipEmpty,
                              ReducePattern(patternBox) };
    reference.scan(QFile::encodeName(root));
    QCOMPARE(scanned, reference.rows);
    QCOMPARE(scan.counters.FileCount, reference.fileCount);
    QCOMPARE(scan.counters.FolderCount, reference.folderCount);
    QCOMPARE(scan.counters.SearchedFolderCount, reference.searched);
    if (counters)
        *counters = scan.counters;
}

} // namespace

class TestFolderScanner : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<bool>("onlyThisDir");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("rows"); // "ROOT" stands for the search folder's path
        QTest::addColumn<qint64>("folderCount");
        QTest::addColumn<qint64>("searchedFolderCount");

        const QString root = folderRow("ROOT"), a = fileRow("a.txt"), c = fileRow("c.txt"),
                      d = fileRow("d.txt"), sub1 = folderRow("ROOT/sub1");
        QTest::newRow("skip-empty on")
            << true << true << false << "*.txt"
            << QStringList { root, a, sub1, c, folderRow("ROOT/sub2/deep"), d } << qint64(4)
            << qint64(5);
        QTest::newRow("skip-empty off")
            << true << false << false << "*.txt"
            << QStringList { root, a, sub1, c, folderRow("ROOT/sub2"), folderRow("ROOT/sub2/deep"),
                             d }
            << qint64(5) << qint64(5);
        QTest::newRow("only this dir")
            << true << true << true << "*.txt"
            << QStringList { root, a, folderRow("sub1"), c, folderRow(" + sub2/deep"), d }
            << qint64(4) << qint64(5);
        QTest::newRow("not recursive") << false << false << false << "*.txt"
                                       << QStringList { root, a } << qint64(2) << qint64(2);
    }

    void workedExample()
    {
        QFETCH(bool, recursive);
        QFETCH(bool, skipEmpty);
        QFETCH(bool, onlyThisDir);
        QFETCH(QString, pattern);
        QFETCH(QStringList, rows);
        QFETCH(qint64, folderCount);
        QFETCH(qint64, searchedFolderCount);

        TreeFixture tree;
        QVERIFY(tree.isValid());
        makeWorkedExample(tree);
        Scan scan(recursive, skipEmpty);
        scan.onlyThisDir = onlyThisDir;
        scan.run(tree.root(), pattern);

        rows.replaceInStrings("ROOT", tree.root());
        QCOMPARE(scan.rows(), rows);
        QCOMPARE(scan.counters.FolderCount, folderCount);
        QCOMPARE(scan.counters.SearchedFolderCount, searchedFolderCount);
        const QMap<QString, double> bytes { { fileRow("a.txt"), 512 },
                                            { fileRow("c.txt"), 100 },
                                            { fileRow("d.txt"), 1536 } };
        double kb = 0;
        for (const QString &row : rows)
            kb += bytes.value(row) / 1024;
        QCOMPARE(scan.counters.FileKbTotal, float(kb));
        QCOMPARE(scan.currentItem, scan.list.count() - 1);
        scan.verifyCountersMatchRows();
        // a.txt's other columns (sizes and file counts: the reference walk).
        const ResultList &list = scan.list;
        QCOMPARE(list.subItem(1, 1), tree.root() + u'/');
        QCOMPARE(list.subItem(1, 4),
                 QMimeDatabase().mimeTypeForFile("a.txt", QMimeDatabase::MatchExtension).comment());
        QCOMPARE(list.subItem(1, 6),
                 DateTextFormatter(list.locale()).format(kModified.toLocalTime()));
        QCOMPARE(list.subItem(1, 7), "R");
        QCOMPARE(list.nameBytes(1), QByteArray("a.txt"));
    }

    void linksAreNotWalked()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("real/inner.txt", QByteArray(3000, 'x')));
        QVERIFY(tree.createFile("target.bin", QByteArray(5000, 'y')));
        QVERIFY(tree.createLink("real/up", "..")); // a loop
        QVERIFY(tree.createLink("tofile.lnk", "target.bin"));
        QVERIFY(tree.createLink("dangling.lnk", "nowhere"));
        QVERIFY(tree.createLink("loop1", "loop2"));
        QVERIFY(tree.createLink("loop2", "loop1"));
        Scan scan(true, false);
        scan.run(tree.root(), "*");
        QCOMPARE(
            scan.rows(),
            (QStringList { folderRow(tree.root()), fileRow("dangling.lnk"), fileRow("loop1"),
                           fileRow("loop2"), fileRow("target.bin"), fileRow("tofile.lnk"),
                           folderRow(tree.path("real")), fileRow("inner.txt"), fileRow("up") }));
        // The link to a file has the file's size; the others their own.
        QCOMPARE(scan.list.subItem(5, 3), "5");
        QCOMPARE(scan.list.subItem(1, 3), "0"); // "nowhere": 7 bytes
        QCOMPARE(scan.list.subItem(8, 3), "0");
        // Totals count what is walked, each file once.
        const qint64 total = 3000 + 5000 + 5000 + 7 + 5 + 5 + 2;
        QCOMPARE(scan.list.sizeNumber(0), std::optional<double>(std::round(total / 1024.0)));
    }

    void cancelKeepsRowsAndCounters_data()
    {
        QTest::addColumn<int>("folders");
        QTest::newRow("narrow") << 6;
        QTest::newRow("wide (read on two threads)") << 40;
    }

    void cancelKeepsRowsAndCounters()
    {
        QFETCH(int, folders);
        TreeFixture tree;
        QVERIFY(tree.isValid());
        for (int folder = 0; folder < folders; ++folder)
            for (int file = 0; file < 3; ++file)
                QVERIFY(tree.createFile(
                    QString("f%1/g/file%2.txt").arg(folder, 2, 10, QLatin1Char('0')).arg(file),
                    "x"));
        QVERIFY(tree.createFile("own.txt", "x"));

        Scan full(true, false);
        int yields = 0;
        full.yield = [&] { ++yields; };
        full.run(tree.root(), "*.txt");
        const QStringList allRows = full.rows();
        QVERIFY(yields > 20);

        // Cancel at every yield point in turn: the rows made before stay, no
        // further row is made, and the counters match the rows.
        int partial = 0; // cancels that stopped the walk between rows
        for (int cancelAt = 1; cancelAt <= yields; ++cancelAt) {
            Scan scan(true, false);
            int calls = 0;
            scan.yield = [&] {
                if (++calls == cancelAt)
                    scan.cancel = true;
            };
            scan.run(tree.root(), "*.txt");
            const QStringList rows = scan.rows();
            QVERIFY2(rows == allRows.mid(0, rows.size()), qPrintable(QString::number(cancelAt)));
            if (!rows.isEmpty() && rows.size() < allRows.size())
                ++partial;
            scan.verifyCountersMatchRows();
            QCOMPARE(scan.counters.SearchedFolderCount, scan.counters.FolderCount);
            float kb = 0;
            for (int row = 0; row < scan.list.count(); ++row)
                if (scan.list.isFileRow(row))
                    kb = float(double(kb) + 1 / 1024.0);
            QCOMPARE(scan.counters.FileKbTotal, kb);
        }
        QVERIFY(partial > 10);
    }

    void deepChain()
    {
        constexpr int kDepth = 10'000;
        TreeFixture tree;
        QVERIFY(tree.createFile("top.txt", "top"));
        const QString deepest = tree.createChain(kDepth, "bottom.txt");
        QVERIFY(!deepest.isEmpty());
        Scan scan(true, true);
        scan.run(tree.root(), "*.txt");
        QCOMPARE(scan.rows(),
                 (QStringList { folderRow(tree.root()), fileRow("top.txt"),
                                folderRow(tree.path(deepest)), fileRow("bottom.txt") }));
        QVERIFY(scan.list.pathBytes(2).size() > PATH_MAX);
        QCOMPARE(scan.counters.FileCount, qint64(2));
        QCOMPARE(scan.counters.FolderCount, qint64(3));
        QCOMPARE(scan.counters.SearchedFolderCount, qint64(2 + kDepth));
        QCOMPARE(scan.list.subItem(0, 3), "0"); // 3 bytes
        QCOMPARE(scan.list.subItem(2, 8), "1");

        // A search folder beyond PATH_MAX is opened too.
        Scan deep(true, false);
        deep.run(tree.path(deepest), "*.txt");
        QCOMPARE(deep.rows(),
                 (QStringList { folderRow(tree.path(deepest)), fileRow("bottom.txt") }));
    }

    void unreadableFolders()
    {
        if (TreeFixture::isRoot())
            QSKIP("permissions do not keep root out of a folder");
        TreeFixture tree;
        QVERIFY(tree.createFile("a.txt", "a"));
        QVERIFY(tree.createFile("closed/inner.txt", "b"));
        QVERIFY(tree.createFile("closed/sub/deeper.txt", "c"));
        QVERIFY(tree.createFile("half/x.txt", "x"));
        QVERIFY(tree.createFile("half/inner/y.txt", "y"));
        QVERIFY(tree.createFile("open/o.txt", "d"));
        QVERIFY(tree.setPermissions("closed", 0));
        QVERIFY(tree.setPermissions("half", 0444)); // names can be read, nothing else
        Scan scan(true, false), skipping(true, true);
        scan.run(tree.root(), "*.txt");
        skipping.run(tree.root(), "*.txt");
        QCOMPARE(scan.rows(),
                 (QStringList { folderRow(tree.root()), fileRow("a.txt"),
                                folderRow(tree.path("closed")), folderRow(tree.path("half")),
                                fileRow("x.txt"), folderRow(tree.path("half/inner")),
                                folderRow(tree.path("open")), fileRow("o.txt") }));
        // Sizes and file counts that cannot be read stay empty, never 0.
        QStringList cells; // size and file count of rows 0 and 2 to 6
        for (int row : { 0, 2, 3, 4, 5, 6 })
            cells << scan.list.subItem(row, 3) + u'/' + scan.list.subItem(row, 8);
        QCOMPARE(cells, (QStringList { "/1", "/", "/1", "/", "/", "0/1" }));
        scan.verifyCountersMatchRows();
        QCOMPARE(
            skipping.rows(),
            (QStringList { folderRow(tree.root()), fileRow("a.txt"), folderRow(tree.path("half")),
                           fileRow("x.txt"), folderRow(tree.path("open")), fileRow("o.txt") }));
    }

    void wideTreeMatchesReferenceWalk_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<QString>("patternBox");
        QTest::newRow("all") << true << false << "*.*";
        QTest::newRow("txt, skip-empty") << true << true << "*.txt";
        QTest::newRow("txt") << true << false << "*.txt";
        QTest::newRow("flat") << false << false << "*.doc";
    }

    void wideTreeMatchesReferenceWalk()
    {
        QFETCH(bool, recursive);
        QFETCH(bool, skipEmpty);
        QFETCH(QString, patternBox);
        // Wide enough that the scanner reads subtrees on two threads.
        TreeFixture tree;
        QVERIFY(tree.createFileOfSize("own.doc", (qint64(5) << 30) + 700)); // sparse
        for (int top = 0; top < 45; ++top) {
            const QString topName = QString::asprintf("%sTop%d", top % 2 ? "a" : "B", top);
            for (int sub = 0; sub < top % 4; ++sub)
                for (int file = 0; file < (top + sub) % 3; ++file)
                    QVERIFY(tree.createFileOfSize(
                        QString::asprintf("%s/s%d/f%d.%s", qPrintable(topName), sub, file,
                                          file % 2 ? "txt" : "doc"),
                        (top * 7919 + sub * 104729 + file * 1299709) % 300000));
            if (top % 4 == 3)
                QVERIFY(tree.createFile(topName + "/s2/deeper/d.txt", "d"));
            if (top % 5 == 0)
                QVERIFY(tree.createFolder(topName));
        }
        verifyMatchesReferenceWalk(tree.root(), recursive, skipEmpty, patternBox);
    }

    void manyOpenFoldersAreReopened()
    {
        // Each level holds "a" (the way down) and "b" (a leaf with a file), so
        // every level still has a subfolder to open when the walk comes back
        // up: more levels than the scanner keeps handles open.
        constexpr int kLevels = 300;
        TreeFixture tree;
        QVERIFY(tree.isValid());
        QString level;
        for (int i = 0; i < kLevels; ++i) {
            level += level.isEmpty() ? "a" : "/a";
            QVERIFY(tree.createFile(level.chopped(1) + QString("b/f%1.txt").arg(i), "x"));
        }
        ScanCounters counters;
        verifyMatchesReferenceWalk(tree.root(), true, false, "*.txt", &counters);
        QCOMPARE(counters.FileCount, qint64(kLevels));
        QCOMPARE(counters.SearchedFolderCount, qint64(2 * kLevels)); // 1 + 299 a + 300 b
    }
};

QTEST_GUILESS_MAIN(TestFolderScanner)
#include "tst_folder_scanner.moc"
