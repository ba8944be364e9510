// ScanFolder on real temporary trees.
#include "scan/folder_scanner.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"

#include <QtTest>

#include <climits>

namespace {

// The real file system, counting what the scanner opens and reads; it sets
// the cancel flag once a given number of entries has been read.
class CountingFileSystem final : public FileSystem
{
public:
    mutable std::atomic<int> opens { 0 };
    mutable std::atomic<int> reads { 0 };
    mutable std::atomic<int> entries { 0 };
    int cancelAfterEntries = 0; // 0: never
    std::atomic<bool> *cancel = nullptr;

    bool fileExists(const QString &path) const override { return m_real.fileExists(path); }
    bool folderExists(const QString &path) const override { return m_real.folderExists(path); }
    bool createFolder(const QString &path) override { return m_real.createFolder(path); }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        return m_real.listFolder(path);
    }
    std::optional<Drive> drive(const QString &path) const override { return m_real.drive(path); }
    QString typeDescription(const QByteArray &name, bool isFolder) const override
    {
        return m_real.typeDescription(name, isFolder);
    }
    std::optional<FolderHandle> openFolder(const QByteArray &path,
                                           ItemProperties *own) const override
    {
        ++opens;
        return m_real.openFolder(path, own);
    }
    std::optional<FolderHandle> openSubfolder(FolderHandle parent,
                                              QByteArrayView name) const override
    {
        ++opens;
        return m_real.openSubfolder(parent, name);
    }
    bool readFolder(FolderHandle folder,
                    const std::function<void(const EntryView &)> &entry) const override
    {
        ++reads;
        return m_real.readFolder(folder, [&](const EntryView &view) {
            if (++entries == cancelAfterEntries)
                *cancel = true;
            entry(view);
        });
    }
    void closeFolder(FolderHandle folder) const override { m_real.closeFolder(folder); }

private:
    PosixFileSystem m_real;
};

// One scan's inputs and results, set up as the search command leaves them.
struct Scan
{
    CountingFileSystem fileSystem;
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
        fileSystem.cancel = &cancel;
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
    return text + QStringLiteral("|FOLDER");
}
QString fileRow(const QString &name)
{
    return QStringLiteral("    ") + name + QStringLiteral("|FILE");
}

// Expected rows: a folder row's text after "d:", a file's name alone;
// "ROOT" stands for the search folder's path.
QStringList rowsOf(std::initializer_list<const char *> items,
                   const QString &root = QStringLiteral("ROOT"))
{
    QStringList rows;
    for (const char *item : items) {
        const QString text = QString::fromUtf8(item).replace(QStringLiteral("ROOT"), root);
        rows << (text.startsWith(QStringLiteral("d:")) ? folderRow(text.mid(2)) : fileRow(text));
    }
    return rows;
}

const QDateTime kModified(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);

// The small example tree: a.txt, b.doc, sub1/c.txt, sub2/deep/d.txt.
void makeSmallTree(TreeFixture &tree)
{
    QVERIFY(tree.createFile("a.txt", QByteArray(512, 'a'), kModified));
    QVERIFY(tree.setPermissions(QStringLiteral("a.txt"), 0444));
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
        rows << QString::fromUtf8(path) + QStringLiteral("|FOLDER|")
                + (size ? numbers.sizeText(*size) : QString()) + u'|'
                + (listing ? QString::number(listing->files.size()) : QString());
    }
    void scan(const QByteArray &path)
    {
        const auto listing = fs.listFolder(path);
        bool found = false;
        if (listing) {
            for (const auto &file : listing->files) {
                const QString name = QString::fromUtf8(file.name);
                if (pattern != QStringLiteral("*") && !name.toUpper().endsWith(pattern.toUpper()))
                    continue;
                found = true;
                ++fileCount;
                if (rows.isEmpty()) {
                    ++folderCount;
                    ++searched;
                    addFolder(path);
                }
                rows << QStringLiteral("    ") + name + QStringLiteral("|FILE|")
                        + numbers.sizeText(*file.properties.sizeBytes) + u'|';
            }
        }
        if (!found && skipEmpty && !rows.isEmpty()
            && rows.last().contains(QStringLiteral("|FOLDER|"))) {
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
                                const QString &patternBox, ScanCounters *counters = nullptr,
                                int walkerThreads = -1)
{
    Scan scan(recursive, skipEmpty);
    scan.options.walkerThreads = walkerThreads;
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

// The row after the rows of everything below the folder row `row` (with
// skip-empty off, every folder has a row).
int subtreeEnd(const ResultList &list, int row)
{
    const QByteArray below = list.pathBytes(row) + '/';
    int end = row + 1;
    while (end < list.count() && (list.isFileRow(end) || list.pathBytes(end).startsWith(below)))
        ++end;
    return end;
}

} // namespace

class TestFolderScanner : public QObject
{
    Q_OBJECT

private slots:
    void rowsAndCountersFollowTheSearchOptions_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<bool>("onlyThisDir");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("rows"); // "ROOT" stands for the search folder's path
        QTest::addColumn<qint64>("folderCount");
        QTest::addColumn<qint64>("searchedFolderCount");

        QTest::newRow("skip-empty on")
            << true << true << false << QStringLiteral("*.txt")
            << rowsOf({ "d:ROOT", "a.txt", "d:ROOT/sub1", "c.txt", "d:ROOT/sub2/deep", "d.txt" })
            << qint64(4) << qint64(5);
        QTest::newRow("skip-empty off") << true << false << false << QStringLiteral("*.txt")
                                        << rowsOf({ "d:ROOT", "a.txt", "d:ROOT/sub1", "c.txt",
                                                    "d:ROOT/sub2", "d:ROOT/sub2/deep", "d.txt" })
                                        << qint64(5) << qint64(5);
        QTest::newRow("only this dir")
            << true << true << true << QStringLiteral("*.txt")
            << rowsOf({ "d:ROOT", "a.txt", "d:sub1", "c.txt", "d: + sub2/deep", "d.txt" })
            << qint64(4) << qint64(5);
        QTest::newRow("not recursive") << false << false << false << QStringLiteral("*.txt")
                                       << rowsOf({ "d:ROOT", "a.txt" }) << qint64(2) << qint64(2);
    }

    void rowsAndCountersFollowTheSearchOptions()
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
        makeSmallTree(tree);
        Scan scan(recursive, skipEmpty);
        scan.onlyThisDir = onlyThisDir;
        scan.run(tree.root(), pattern);

        rows.replaceInStrings(QStringLiteral("ROOT"), tree.root());
        QCOMPARE(scan.rows(), rows);
        QCOMPARE(scan.counters.FolderCount, folderCount);
        QCOMPARE(scan.counters.SearchedFolderCount, searchedFolderCount);
        const QMap<QString, double> bytes { { fileRow(QStringLiteral("a.txt")), 512 },
                                            { fileRow(QStringLiteral("c.txt")), 100 },
                                            { fileRow(QStringLiteral("d.txt")), 1536 } };
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
                 QMimeDatabase()
                     .mimeTypeForFile(QStringLiteral("a.txt"), QMimeDatabase::MatchExtension)
                     .comment());
        QCOMPARE(list.subItem(1, 6),
                 DateTextFormatter(list.locale()).format(kModified.toLocalTime()));
        QCOMPARE(list.subItem(1, 7), QStringLiteral("R"));
        QCOMPARE(list.nameBytes(1), QByteArray("a.txt"));
    }

    void linksAreNotWalked()
    {
        TreeFixture tree;
        QVERIFY(tree.createFile("real/inner.txt", QByteArray(3000, 'x')));
        QVERIFY(tree.createFile("target.bin", QByteArray(5000, 'y')));
        QVERIFY(tree.createLink(QStringLiteral("real/up"), QStringLiteral(".."))); // a loop
        QVERIFY(tree.createLink(QStringLiteral("tofile.lnk"), QStringLiteral("target.bin")));
        QVERIFY(tree.createLink(QStringLiteral("dangling.lnk"), QStringLiteral("nowhere")));
        QVERIFY(tree.createLink(QStringLiteral("loop1"), QStringLiteral("loop2")));
        QVERIFY(tree.createLink(QStringLiteral("loop2"), QStringLiteral("loop1")));
        Scan scan(true, false);
        scan.run(tree.root(), QStringLiteral("*"));
        QCOMPARE(scan.rows(),
                 rowsOf({ "d:ROOT", "dangling.lnk", "loop1", "loop2", "target.bin", "tofile.lnk",
                          "d:ROOT/real", "inner.txt", "up" },
                        tree.root()));
        // The link to a file has the file's size; the others their own.
        QCOMPARE(scan.list.subItem(5, 3), QStringLiteral("5"));
        QCOMPARE(scan.list.subItem(1, 3), QStringLiteral("0")); // "nowhere": 7 bytes
        QCOMPARE(scan.list.subItem(8, 3), QStringLiteral("0"));
        // Totals count what is walked, each file once.
        const qint64 total = 3000 + 5000 + 5000 + 7 + 5 + 5 + 2;
        QCOMPARE(scan.list.sizeNumber(0), std::optional<double>(std::round(total / 1024.0)));
    }

    void cancelKeepsRowsAndCounters_data()
    {
        QTest::addColumn<int>("folders");
        QTest::newRow("narrow") << 6;
        QTest::newRow("wide") << 40;
    }

    void cancelKeepsRowsAndCounters()
    {
        QFETCH(int, folders);
        TreeFixture tree;
        QVERIFY(tree.isValid());
        for (int folder = 0; folder < folders; ++folder)
            for (int file = 0; file < 3; ++file)
                QVERIFY(tree.createFile(QStringLiteral("f%1/g/file%2.txt")
                                            .arg(folder, 2, 10, QLatin1Char('0'))
                                            .arg(file),
                                        "x"));
        QVERIFY(tree.createFile("own.txt", "x"));

        Scan full(true, false);
        int yields = 0;
        full.yield = [&] { ++yields; };
        full.run(tree.root(), QStringLiteral("*.txt"));
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
            scan.run(tree.root(), QStringLiteral("*.txt"));
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

    void cancelAfterEntriesKeepsFinishedSizes_data()
    {
        QTest::addColumn<int>("walkerThreads");
        QTest::newRow("read where the rows are made") << 0;
        QTest::newRow("read on two threads") << 2;
    }

    void cancelAfterEntriesKeepsFinishedSizes()
    {
        QFETCH(int, walkerThreads);
        TreeFixture tree;
        for (int top = 0; top < 6; ++top) {
            QVERIFY(tree.createFileOfSize(QStringLiteral("t%1/own.txt").arg(top), 700 * (top + 1)));
            for (int sub = 0; sub < 2; ++sub)
                for (int file = 0; file < 3; ++file)
                    QVERIFY(tree.createFileOfSize(
                        QStringLiteral("t%1/s%2/f%3.txt").arg(top).arg(sub).arg(file),
                        1000 * (top + sub + file + 1)));
        }
        Scan full(true, false);
        full.run(tree.root(), QStringLiteral("*.*"));
        const int entries = full.fileSystem.entries; // every file and folder below the root
        QCOMPARE(entries, 6 * (1 + 1 + 2 + 2 * 3));

        // A cancel after each entry in turn: the rows made before it stay with
        // counters to match; a folder shows its size only once all rows below
        // it were made, and then the size of the whole tree below it.
        int cut = 0, sized = 0, unsized = 0;
        for (int cancelAfter = 1; cancelAfter <= entries; ++cancelAfter) {
            Scan scan(true, false);
            scan.options.walkerThreads = walkerThreads;
            scan.fileSystem.cancelAfterEntries = cancelAfter;
            scan.run(tree.root(), QStringLiteral("*.*"));
            QVERIFY(scan.cancel);
            const QStringList rows = scan.rows();
            QCOMPARE(rows, full.rows().mid(0, rows.size()));
            scan.verifyCountersMatchRows();
            QCOMPARE(scan.counters.SearchedFolderCount, scan.counters.FolderCount);
            cut += !rows.isEmpty() && rows.size() < full.list.count();
            for (int row = 0; row < rows.size(); ++row) {
                if (!scan.list.isFolderRow(row))
                    continue;
                const QString size = scan.list.subItem(row, 3);
                const bool finished = subtreeEnd(full.list, row) <= rows.size();
                QVERIFY2(size.isEmpty() || (finished && size == full.list.subItem(row, 3)),
                         qPrintable(
                             QStringLiteral("cancel after %1: row %2").arg(cancelAfter).arg(row)));
                ++(size.isEmpty() ? unsized : sized);
            }
        }
        // Reading where the rows are made, the cancel lands between rows.
        if (walkerThreads == 0)
            QVERIFY(cut > 10 && sized > 10 && unsized > 10);
    }

    void notRecursiveOpensOnlyWhatItNeeds_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("opens");
        QTest::addColumn<QStringList>("rows"); // "ROOT" stands for the search folder's path
        QTest::newRow("nothing matches") << false << QStringLiteral("*.xyz") << 1 << QStringList {};
        QTest::newRow("a file matches: its folder's row shows the whole tree's size")
            << false << QStringLiteral("*.txt") << 4 << rowsOf({ "d:ROOT", "a.txt" });
        QTest::newRow("recursive") << true << QStringLiteral("*.xyz") << 4
                                   << rowsOf({ "d:ROOT/sub1", "d:ROOT/sub2", "d:ROOT/sub2/deep" });
    }

    void notRecursiveOpensOnlyWhatItNeeds()
    {
        QFETCH(bool, recursive);
        QFETCH(QString, pattern);
        QFETCH(int, opens);
        QFETCH(QStringList, rows);
        TreeFixture tree;
        makeSmallTree(tree);
        Scan scan(recursive, false);
        scan.run(tree.root(), pattern);
        QCOMPARE(scan.rows(), rows.replaceInStrings(QStringLiteral("ROOT"), tree.root()));
        QCOMPARE(scan.fileSystem.opens.load(), opens);
        QCOMPARE(scan.fileSystem.reads.load(), opens);
        if (!recursive && !rows.isEmpty()) // 4196 bytes; its own files alone make 2560
            QCOMPARE(scan.list.subItem(0, 3), QStringLiteral("4"));
    }

    void excludedNamesAreNeitherListedWalkedNorCounted_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<QStringList>("rows"); // "ROOT" stands for the search folder's path
        QTest::newRow("recursive") << true << rowsOf({ "d:ROOT", "a.txt", "d:ROOT/sub1", "c.txt" });
        QTest::newRow("not recursive: the folder's size leaves them out too")
            << false << rowsOf({ "d:ROOT", "a.txt" });
    }

    void excludedNamesAreNeitherListedWalkedNorCounted()
    {
        QFETCH(bool, recursive);
        QFETCH(QStringList, rows);
        TreeFixture tree;
        makeSmallTree(tree);
        Scan scan(recursive, false);
        scan.options.excludes = QStringLiteral(" SUB2 ; *.DOC");
        scan.run(tree.root(), QStringLiteral("*.*"));
        QCOMPARE(scan.rows(), rows.replaceInStrings(QStringLiteral("ROOT"), tree.root()));
        // sub2 is never opened: the search folder and sub1 only.
        QCOMPARE(scan.fileSystem.opens.load(), 2);
        // a.txt and c.txt make 612 bytes; with b.doc they would make 3 kB.
        QCOMPARE(scan.list.subItem(0, 3), QStringLiteral("1"));
        scan.verifyCountersMatchRows();
        if (recursive) // one more than the folders searched, as the counter starts at 1
            QCOMPARE(scan.counters.SearchedFolderCount, qint64(3));
    }

    void deepChain()
    {
        constexpr int kDepth = 10'000;
        TreeFixture tree;
        QVERIFY(tree.createFile("top.txt", "top"));
        const QString deepest = tree.createChain(kDepth, QStringLiteral("bottom.txt"));
        QVERIFY(!deepest.isEmpty());
        Scan scan(true, true);
        scan.run(tree.root(), QStringLiteral("*.txt"));
        QCOMPARE(scan.rows(),
                 rowsOf({ "d:ROOT", "top.txt" }, tree.root())
                     + rowsOf({ "d:ROOT", "bottom.txt" }, tree.path(deepest)));
        QVERIFY(scan.list.pathBytes(2).size() > PATH_MAX);
        QCOMPARE(scan.counters.FileCount, qint64(2));
        QCOMPARE(scan.counters.FolderCount, qint64(3));
        QCOMPARE(scan.counters.SearchedFolderCount, qint64(2 + kDepth));
        QCOMPARE(scan.list.subItem(0, 3), QStringLiteral("0")); // 3 bytes
        QCOMPARE(scan.list.subItem(2, 8), QStringLiteral("1"));

        // A search folder beyond PATH_MAX is opened too.
        Scan deep(true, false);
        deep.run(tree.path(deepest), QStringLiteral("*.txt"));
        QCOMPARE(deep.rows(), rowsOf({ "d:ROOT", "bottom.txt" }, tree.path(deepest)));
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
        QVERIFY(tree.setPermissions(QStringLiteral("closed"), 0));
        QVERIFY(
            tree.setPermissions(QStringLiteral("half"), 0444)); // names can be read, nothing else
        Scan scan(true, false), skipping(true, true);
        scan.run(tree.root(), QStringLiteral("*.txt"));
        skipping.run(tree.root(), QStringLiteral("*.txt"));
        QCOMPARE(scan.rows(),
                 rowsOf({ "d:ROOT", "a.txt", "d:ROOT/closed", "d:ROOT/half", "x.txt",
                          "d:ROOT/half/inner", "d:ROOT/open", "o.txt" },
                        tree.root()));
        // Sizes and file counts that cannot be read stay empty, never 0.
        QStringList cells; // size and file count of rows 0 and 2 to 6
        for (int row : { 0, 2, 3, 4, 5, 6 })
            cells << scan.list.subItem(row, 3) + u'/' + scan.list.subItem(row, 8);
        QCOMPARE(cells, QStringLiteral("/1 / /1 / / 0/1").split(u' '));
        scan.verifyCountersMatchRows();
        QCOMPARE(skipping.rows(),
                 rowsOf({ "d:ROOT", "a.txt", "d:ROOT/half", "x.txt", "d:ROOT/open", "o.txt" },
                        tree.root()));
    }

    void wideTreeMatchesReferenceWalk_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::addColumn<bool>("skipEmpty");
        QTest::addColumn<QString>("patternBox");
        QTest::addColumn<int>("walkerThreads");
        QTest::newRow("all") << true << false << QStringLiteral("*.*") << -1;
        QTest::newRow("all, read where the rows are made")
            << true << false << QStringLiteral("*.*") << 0;
        QTest::newRow("all, one walker") << true << false << QStringLiteral("*.*") << 1;
        QTest::newRow("txt, skip-empty") << true << true << QStringLiteral("*.txt") << -1;
        QTest::newRow("txt") << true << false << QStringLiteral("*.txt") << -1;
        QTest::newRow("flat") << false << false << QStringLiteral("*.doc") << -1;
    }

    void wideTreeMatchesReferenceWalk()
    {
        QFETCH(bool, recursive);
        QFETCH(bool, skipEmpty);
        QFETCH(QString, patternBox);
        QFETCH(int, walkerThreads);
        TreeFixture tree;
        QVERIFY(
            tree.createFileOfSize(QStringLiteral("own.doc"), (qint64(5) << 30) + 700)); // sparse
        for (int top = 0; top < 45; ++top) {
            const QString topName = QString::asprintf("%sTop%d", top % 2 ? "a" : "B", top);
            for (int sub = 0; sub < top % 4; ++sub)
                for (int file = 0; file < (top + sub) % 3; ++file)
                    QVERIFY(tree.createFileOfSize(
                        QString::asprintf("%s/s%d/f%d.%s", qPrintable(topName), sub, file,
                                          file % 2 ? "txt" : "doc"),
                        (top * 7919 + sub * 104729 + file * 1299709) % 300000));
            if (top % 4 == 3)
                QVERIFY(tree.createFile(topName + QStringLiteral("/s2/deeper/d.txt"), "d"));
            if (top % 5 == 0)
                QVERIFY(tree.createFolder(topName));
        }
        verifyMatchesReferenceWalk(tree.root(), recursive, skipEmpty, patternBox, nullptr,
                                   walkerThreads);
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
            level += level.isEmpty() ? QStringLiteral("a") : QStringLiteral("/a");
            QVERIFY(tree.createFile(level.chopped(1) + QStringLiteral("b/f%1.txt").arg(i), "x"));
        }
        ScanCounters counters;
        verifyMatchesReferenceWalk(tree.root(), true, false, QStringLiteral("*.txt"), &counters);
        QCOMPARE(counters.FileCount, qint64(kLevels));
        QCOMPARE(counters.SearchedFolderCount, qint64(2 * kLevels)); // 1 + 299 a + 300 b
    }
};

QTEST_GUILESS_MAIN(TestFolderScanner)
#include "tst_folder_scanner.moc"
