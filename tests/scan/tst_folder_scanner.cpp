// ScanFolder on real temporary trees.
// Tests spell texts as plain literals.
#undef QT_NO_CAST_FROM_ASCII
#include "app/program_state.h"
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
    ProgramState state;
    ResultList list;
    ScanCounters counters;
    int currentItem = -1;
    bool onlyThisDir = false;
    QString pathBox;
    std::function<void()> yield;

    Scan(bool recursive, bool skipEmpty)
    {
        state.bgRecursive = recursive;
        state.bgSkipEmptyDir = skipEmpty;
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
        hooks.pathBoxText = [this] { return pathBox; };
        ScanFolder(state, list, counters, currentItem, pathBox, ReducePattern(patternBox), hooks);
    }
    // "text|marker" per row.
    [[nodiscard]] QStringList rows() const
    {
        QStringList out;
        for (int row = 0; row < list.count(); ++row)
            out << list.text(row) + u'|' + list.subItem(row, 2);
        return out;
    }
    [[nodiscard]] int rowsOfKind(ResultList::Kind kind) const
    {
        int n = 0;
        for (int row = 0; row < list.count(); ++row)
            n += list.kind(row) == kind;
        return n;
    }
    // The counters as the rows say they must be.
    void verifyCountersMatchRows() const
    {
        QCOMPARE(counters.FileCount, qint64(rowsOfKind(ResultList::Kind::File)));
        QCOMPARE(counters.FolderCount, qint64(1 + rowsOfKind(ResultList::Kind::Folder)));
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

} // namespace

class TestFolderScanner : public QObject
{
    Q_OBJECT

private slots:
    void workedExample_data();
    void workedExample();
    void workedExampleRowContents();
    void folderSizeCountsAllFilesBelow();
    void searchFolderWithoutOwnMatches_data();
    void searchFolderWithoutOwnMatches();
    void patterns_data();
    void patterns();
    void enumerationOrder();
    void linksAreNotWalked();
    void cancelKeepsRowsAndCounters_data();
    void cancelKeepsRowsAndCounters();
    void nothingToScan();
    void deepChain();
    void unopenableFolder();
    void listableButNotSearchableFolder();
    void onlyThisDirReadPerRow();
    void wideTreeMatchesReferenceWalk_data();
    void wideTreeMatchesReferenceWalk();
    void manyOpenFoldersAreReopened();
};

// The small example tree: a.txt, b.doc, sub1/c.txt,
// sub2/deep/d.txt.
static void makeWorkedExample(TreeFixture &tree)
{
    QVERIFY(tree.createFile("a.txt", QByteArray(512, 'a')));
    QVERIFY(tree.createFile("b.doc", QByteArray(2048, 'b')));
    QVERIFY(tree.createFile("sub1/c.txt", QByteArray(100, 'c')));
    QVERIFY(tree.createFile("sub2/deep/d.txt", QByteArray(1536, 'd')));
}

void TestFolderScanner::workedExample_data()
{
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<bool>("skipEmpty");
    QTest::addColumn<bool>("onlyThisDir");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("rows"); // "ROOT" stands for the search folder's path
    QTest::addColumn<qint64>("folderCount");
    QTest::addColumn<qint64>("searchedFolderCount");

    const QString root = folderRow("ROOT"), a = fileRow("a.txt"), c = fileRow("c.txt"),
                  d = fileRow("d.txt");
    QTest::newRow("skip-empty on")
        << true << true << false << "*.txt"
        << QStringList { root, a, folderRow("ROOT/sub1"), c, folderRow("ROOT/sub2/deep"), d }
        << qint64(4) << qint64(5);
    QTest::newRow("skip-empty off")
        << true << false << false << "*.txt" << QStringList { root,
                                                              a,
                                                              folderRow("ROOT/sub1"),
                                                              c,
                                                              folderRow("ROOT/sub2"),
                                                              folderRow("ROOT/sub2/deep"),
                                                              d }
        << qint64(5) << qint64(5);
    QTest::newRow("only this dir, skip-empty on")
        << true << true << true << "*.txt"
        << QStringList { root, a, folderRow("sub1"), c, folderRow(" + sub2/deep"), d } << qint64(4)
        << qint64(5);
    QTest::newRow("only this dir, skip-empty off")
        << true << false << true << "*.txt" << QStringList { root,
                                                             a,
                                                             folderRow("sub1"),
                                                             c,
                                                             folderRow("sub2"),
                                                             folderRow(" + sub2/deep"),
                                                             d }
        << qint64(5) << qint64(5);
    QTest::newRow("not recursive")
        << false << false << false << "*.txt" << QStringList { root, a } << qint64(2) << qint64(2);
    QTest::newRow("not recursive, no match")
        << false << true << false << "*.xls" << QStringList() << qint64(1) << qint64(1);
}

void TestFolderScanner::workedExample()
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
}

void TestFolderScanner::workedExampleRowContents()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    makeWorkedExample(tree);
    const QDateTime modified(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    QVERIFY(tree.setModified(QString("a.txt"), modified));
    QVERIFY(tree.setPermissions("a.txt", 0444));
    Scan scan(true, false);
    scan.run(tree.root(), "*.txt");
    const ResultList &list = scan.list;
    QCOMPARE(list.count(), 7);

    // The search folder's row.
    QCOMPARE(list.subItem(0, 1), tree.root());
    QCOMPARE(list.subItem(0, 2), "FOLDER");
    QCOMPARE(list.sizeNumber(0),
             std::optional<double>(std::round((512.0 + 2048 + 100 + 1536) / 1024)));
    QCOMPARE(list.subItem(0, 8), "2"); // a.txt and b.doc, matching or not
    QVERIFY(!list.subItem(0, 4).isEmpty()); // the folder type
    QVERIFY(!list.subItem(0, 5).isEmpty());
    QVERIFY(!list.subItem(0, 6).isEmpty());
    QVERIFY(list.checked(0));
    QVERIFY(list.rowBold(0));
    QCOMPARE(list.rowColor(0), std::optional<ResultList::Rgb>(0x000000));

    // a.txt.
    QCOMPARE(list.subItem(1, 1), tree.root() + u'/');
    QCOMPARE(list.subItem(1, 2), "FILE");
    QCOMPARE(list.subItem(1, 3), "1"); // 512 bytes
    QCOMPARE(list.subItem(1, 4),
             QMimeDatabase().mimeTypeForFile("a.txt", QMimeDatabase::MatchExtension).comment());
    QCOMPARE(list.subItem(1, 6), DateTextFormatter(list.locale()).format(modified.toLocalTime()));
    QCOMPARE(list.subItem(1, 7), "R");
    QCOMPARE(list.nameBytes(1), QByteArray("a.txt"));
    QVERIFY(list.checked(1));
    QVERIFY(!list.rowBold(1));
    QCOMPARE(list.rowColor(1), std::optional<ResultList::Rgb>(0x666666));

    // sub1 and sub2: sizes of everything below.
    QCOMPARE(list.subItem(2, 1), tree.path("sub1"));
    QCOMPARE(list.sizeNumber(2), std::optional<double>(0));
    QCOMPARE(list.subItem(3, 1), tree.path("sub1") + u'/');
    QCOMPARE(list.subItem(4, 1), tree.path("sub2"));
    QCOMPARE(list.subItem(4, 3), "2"); // 1536 bytes in deep
    QCOMPARE(list.subItem(4, 8), "0");
}

void TestFolderScanner::folderSizeCountsAllFilesBelow()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFileOfSize("x.txt", 1024));
    QVERIFY(tree.createFileOfSize("y.bin", 10 * 1024));
    QVERIFY(tree.createFileOfSize("s/t/z.bin", 100 * 1024));
    QVERIFY(tree.createFileOfSize("s/huge.bin", qint64(5) << 30)); // sparse
    for (bool recursive : { true, false }) {
        Scan scan(recursive, false);
        scan.run(tree.root(), "*.txt");
        QVERIFY(scan.list.count() >= 2);
        QCOMPARE(scan.list.sizeNumber(0),
                 std::optional<double>(
                     std::round((1024.0 + 10 * 1024 + 100 * 1024 + (qint64(5) << 30)) / 1024)));
    }
}

void TestFolderScanner::searchFolderWithoutOwnMatches_data()
{
    QTest::addColumn<bool>("skipEmpty");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("skip-empty off")
        << false << QStringList { folderRow("ROOT/a"), folderRow("ROOT/a/x"), fileRow("hit.txt"),
                                  folderRow("ROOT/b"), fileRow("b.txt"),      folderRow("ROOT/c") };
    QTest::newRow("skip-empty on") << true
                                   << QStringList { folderRow("ROOT/a/x"), fileRow("hit.txt"),
                                                    folderRow("ROOT/b"), fileRow("b.txt") };
}

void TestFolderScanner::searchFolderWithoutOwnMatches()
{
    QFETCH(bool, skipEmpty);
    QFETCH(QStringList, rows);
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("top.doc", "x"));
    QVERIFY(tree.createFile("a/a.doc", "x"));
    QVERIFY(tree.createFile("a/x/hit.txt", "x"));
    QVERIFY(tree.createFile("b/b.txt", "x"));
    QVERIFY(tree.createFolder("c"));
    Scan scan(true, skipEmpty);
    scan.run(tree.root(), "txt");
    rows.replaceInStrings("ROOT", tree.root());
    QCOMPARE(scan.rows(), rows);
    scan.verifyCountersMatchRows();
    QCOMPARE(scan.counters.SearchedFolderCount, qint64(5));
}

// The matching rule itself is tested in tst_name_pattern and
// tst_search_command; here the box's pattern must reach it.
void TestFolderScanner::patterns_data()
{
    QTest::addColumn<QString>("patternBox");
    QTest::addColumn<QStringList>("matching");
    // In enumeration order: upper-cased, ties by the exact name.
    const QStringList all { "a.htm", "A.TXT", "a.txt", "notatxt", "x.gz" };
    QTest::newRow("*.*") << "*.*" << all;
    QTest::newRow("*.txt") << "*.txt" << QStringList { "A.TXT", "a.txt", "notatxt" };
    QTest::newRow("unclosed bracket") << "[ab" << all;
    QTest::newRow("empty") << "" << all;
}

void TestFolderScanner::patterns()
{
    QFETCH(QString, patternBox);
    QFETCH(QStringList, matching);
    TreeFixture tree;
    QVERIFY(tree.isValid());
    for (const char *name : { "A.TXT", "a.htm", "a.txt", "notatxt", "x.gz" })
        QVERIFY(tree.createFile(name));
    Scan scan(false, false);
    scan.run(tree.root(), patternBox);
    QStringList expected;
    if (!matching.isEmpty())
        expected << folderRow(tree.root());
    for (const QString &name : matching)
        expected << fileRow(name);
    QCOMPARE(scan.rows(), expected);
}

void TestFolderScanner::enumerationOrder()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    for (const char *name : { "_under.txt", "Zeta.txt", "alpha.txt", "Alpha.txt", "beta.txt" })
        QVERIFY(tree.createFile(QString::fromLatin1(name)));
    for (const char *name : { "_f", "Zf", "af", "Bf" })
        QVERIFY(tree.createFolder(QString::fromLatin1(name)));
    Scan scan(true, false);
    scan.run(tree.root(), "*.*");
    QCOMPARE(scan.rows(),
             (QStringList { folderRow(tree.root()), fileRow("Alpha.txt"), fileRow("alpha.txt"),
                            fileRow("beta.txt"), fileRow("Zeta.txt"), fileRow("_under.txt"),
                            folderRow(tree.path("af")), folderRow(tree.path("Bf")),
                            folderRow(tree.path("Zf")), folderRow(tree.path("_f")) }));
}

void TestFolderScanner::linksAreNotWalked()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("real/inner.txt", QByteArray(3000, 'x')));
    QVERIFY(tree.createFile("target.bin", QByteArray(5000, 'y')));
    QVERIFY(tree.createLink("real/up", "..")); // a loop
    QVERIFY(tree.createLink("tofile.lnk", "target.bin"));
    QVERIFY(tree.createLink("dangling.lnk", "nowhere"));
    QVERIFY(tree.createLink("loop1", "loop2"));
    QVERIFY(tree.createLink("loop2", "loop1"));
    Scan scan(true, false);
    scan.run(tree.root(), "*");
    QCOMPARE(scan.rows(),
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

void TestFolderScanner::cancelKeepsRowsAndCounters_data()
{
    QTest::addColumn<int>("folders");
    QTest::newRow("narrow") << 6;
    QTest::newRow("wide (read on two threads)") << 40;
}

void TestFolderScanner::cancelKeepsRowsAndCounters()
{
    QFETCH(int, folders);
    TreeFixture tree;
    QVERIFY(tree.isValid());
    for (int folder = 0; folder < folders; ++folder)
        for (int file = 0; file < 3; ++file)
            QVERIFY(tree.createFile(
                QString("f%1/g/file%2.txt").arg(folder, 2, 10, QLatin1Char('0')).arg(file), "x"));
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
                scan.state.bgCancel = true;
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

void TestFolderScanner::nothingToScan()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    makeWorkedExample(tree);
    Scan scan(true, false);
    scan.run(tree.path("missing"), "*.*");
    QCOMPARE(scan.list.count(), 0);
    scan.run(tree.path("a.txt"), "*.*"); // a file, not a folder
    QCOMPARE(scan.list.count(), 0);

    scan.state.bgCancel = true; // cancelled before the start
    scan.run(tree.root(), "*.*");
    QCOMPARE(scan.list.count(), 0);
    QCOMPARE(scan.counters.FolderCount, qint64(1));
}

void TestFolderScanner::deepChain()
{
    constexpr int kDepth = 10'000;
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("top.txt", "top"));
    const QString deepest = tree.createChain(QString(), kDepth, "d", "bottom.txt");
    QVERIFY(!deepest.isEmpty());
    Scan scan(true, true);
    scan.run(tree.root(), "*.txt");
    QCOMPARE(scan.list.count(), 4);
    QCOMPARE(scan.list.text(0), tree.root());
    QCOMPARE(scan.list.text(1), "    top.txt");
    QCOMPARE(scan.list.text(2), tree.path(deepest));
    QVERIFY(scan.list.pathBytes(2).size() > PATH_MAX);
    QCOMPARE(scan.list.text(3), "    bottom.txt");
    QCOMPARE(scan.counters.FileCount, qint64(2));
    QCOMPARE(scan.counters.FolderCount, qint64(3));
    QCOMPARE(scan.counters.SearchedFolderCount, qint64(2 + kDepth));
    QCOMPARE(scan.list.subItem(0, 3), "0"); // 3 bytes
    QCOMPARE(scan.list.subItem(2, 8), "1");

    // A search folder beyond PATH_MAX is opened too.
    Scan deep(true, false);
    deep.run(tree.path(deepest), "*.txt");
    QCOMPARE(deep.rows(), (QStringList { folderRow(tree.path(deepest)), fileRow("bottom.txt") }));
}

void TestFolderScanner::unopenableFolder()
{
    if (TreeFixture::isRoot())
        QSKIP("permissions do not keep root out of a folder");
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("a.txt", "a"));
    QVERIFY(tree.createFile("closed/inner.txt", "b"));
    QVERIFY(tree.createFile("closed/sub/deeper.txt", "c"));
    QVERIFY(tree.createFile("open/o.txt", "d"));
    QVERIFY(tree.setPermissions("closed", 0));
    Scan scan(true, false);
    scan.run(tree.root(), "*.txt");
    QCOMPARE(
        scan.rows(),
        (QStringList { folderRow(tree.root()), fileRow("a.txt"), folderRow(tree.path("closed")),
                       folderRow(tree.path("open")), fileRow("o.txt") }));
    QCOMPARE(scan.list.subItem(0, 3), QString()); // a folder below could not be read
    QCOMPARE(scan.list.subItem(2, 3), QString());
    QCOMPARE(scan.list.subItem(2, 8), QString());
    QCOMPARE(scan.list.subItem(3, 3), "0");
    Scan skipping(true, true);
    skipping.run(tree.root(), "*.txt");
    QCOMPARE(skipping.rows(),
             (QStringList { folderRow(tree.root()), fileRow("a.txt"), folderRow(tree.path("open")),
                            fileRow("o.txt") }));
    tree.setPermissions("closed", 0755);
}

void TestFolderScanner::listableButNotSearchableFolder()
{
    if (TreeFixture::isRoot())
        QSKIP("permissions do not keep root out of a folder");
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("half/x.txt", "x"));
    QVERIFY(tree.createFile("half/inner/y.txt", "y"));
    QVERIFY(tree.setPermissions("half", 0444)); // names can be read, nothing else
    Scan scan(true, false);
    scan.run(tree.root(), "*.txt");
    tree.setPermissions("half", 0755);
    QCOMPARE(scan.rows(),
             (QStringList { folderRow(tree.path("half")), fileRow("x.txt"),
                            folderRow(tree.path("half/inner")) }));
    QCOMPARE(scan.list.subItem(0, 3), QString()); // sizes below cannot be read
    QCOMPARE(scan.list.subItem(0, 8), "1");
    QCOMPARE(scan.list.subItem(1, 3), QString());
    QCOMPARE(scan.list.subItem(2, 8), QString());
    scan.verifyCountersMatchRows();
}

void TestFolderScanner::onlyThisDirReadPerRow()
{
    TreeFixture tree;
    QVERIFY(tree.isValid());
    makeWorkedExample(tree);
    Scan scan(true, false);
    // The box is ticked while the walk runs: rows made afterwards follow it.
    scan.yield = [&] {
        if (scan.list.count() == 3)
            scan.onlyThisDir = true;
    };
    scan.run(tree.root(), "*.txt");
    QCOMPARE(scan.rows(),
             (QStringList { folderRow(tree.root()), fileRow("a.txt"), folderRow(tree.path("sub1")),
                            fileRow("c.txt"), folderRow("sub2"), folderRow(" + sub2/deep"),
                            fileRow("d.txt") }));
}

namespace {

// The scanner's walk written down literally, recursive, over listFolder(): the
// reference the snapshot-based scanner must agree with row for row.
struct ReferenceWalk
{
    ReferenceWalk(const QLocale &locale, bool walkBelow, bool skipEmptyFolders,
                  const QString &reducedPattern)
        : numbers(locale)
        , recursive(walkBelow)
        , skipEmpty(skipEmptyFolders)
        , pattern(reducedPattern)
    { }

    PosixFileSystem fs;
    NumberFormatter numbers; // sizes as the list shows them
    bool recursive;
    bool skipEmpty;
    QString pattern;
    QStringList rows; // text|marker|size|filecount
    qint64 fileCount = 0;
    qint64 folderCount = 1;
    qint64 searched = 1;

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
    for (int row = 0; row < scan.list.count(); ++row) {
        scanned << scan.list.text(row) + u'|' + scan.list.subItem(row, 2) + u'|'
                + scan.list.subItem(row, 3) + u'|'
                + (scan.list.isFolderRow(row) ? scan.list.subItem(row, 8) : QString());
    }
    ReferenceWalk reference(scan.list.locale(), recursive, skipEmpty, ReducePattern(patternBox));
    reference.scan(QFile::encodeName(root));
    QCOMPARE(scanned, reference.rows);
    QCOMPARE(scan.counters.FileCount, reference.fileCount);
    QCOMPARE(scan.counters.FolderCount, reference.folderCount);
    QCOMPARE(scan.counters.SearchedFolderCount, reference.searched);
    if (counters)
        *counters = scan.counters;
}

} // namespace

void TestFolderScanner::wideTreeMatchesReferenceWalk_data()
{
    QTest::addColumn<bool>("recursive");
    QTest::addColumn<bool>("skipEmpty");
    QTest::addColumn<QString>("patternBox");
    QTest::newRow("all") << true << false << "*.*";
    QTest::newRow("txt, skip-empty") << true << true << "*.txt";
    QTest::newRow("txt") << true << false << "*.txt";
    QTest::newRow("flat") << false << false << "*.doc";
}

void TestFolderScanner::wideTreeMatchesReferenceWalk()
{
    QFETCH(bool, recursive);
    QFETCH(bool, skipEmpty);
    QFETCH(QString, patternBox);
    // Wide enough that the scanner reads subtrees on two threads.
    TreeFixture tree;
    QVERIFY(tree.isValid());
    QVERIFY(tree.createFile("own.doc", QByteArray(700, 'o')));
    for (int top = 0; top < 45; ++top) {
        const QString topName = QString("%1Top%2").arg(top % 2 ? "a" : "B").arg(top);
        for (int sub = 0; sub < top % 4; ++sub) {
            for (int file = 0; file < (top + sub) % 3; ++file) {
                const QString name = QString("%1/s%2/f%3.%4")
                                         .arg(topName)
                                         .arg(sub)
                                         .arg(file)
                                         .arg(file % 2 ? "txt" : "doc");
                QVERIFY(tree.createFileOfSize(
                    name, (top * 7919 + sub * 104729 + file * 1299709) % 300000));
            }
            if (sub == 2)
                QVERIFY(tree.createFile(topName + "/s2/deeper/d.txt", "d"));
        }
        if (top % 5 == 0)
            QVERIFY(tree.createFolder(topName));
    }

    verifyMatchesReferenceWalk(tree.root(), recursive, skipEmpty, patternBox);
}

void TestFolderScanner::manyOpenFoldersAreReopened()
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

QTEST_GUILESS_MAIN(TestFolderScanner)
#include "tst_folder_scanner.moc"
