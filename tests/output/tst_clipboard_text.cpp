#include "output/clipboard_text.h"
#include "scan/result_list.h"

#include <QtTest>

namespace {

// A row with the given texts: a file row's text is its indent and name.
int addTextRow(ResultList &list, const QString &text, const QString &marker,
               const QStringList &values)
{
    const bool isFile = marker == QLatin1String("FILE") && text.startsWith(QLatin1String("    "));
    const int row = isFile ? list.addFileRow(text.mid(4).toUtf8(), "/data", {}) : list.addRow(text);
    list.setSubItem(row, 2, marker);
    for (int k = 0; k < values.size(); ++k)
        list.setSubItem(row, 3 + k, values[k]);
    return row;
}

const QString kFolder = QStringLiteral("FOLDER");
const QString kFile = QStringLiteral("FILE");

} // namespace

class TestClipboardText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TZ", "UTC"); }

    // With files and only size and type ticked, a folder row reads
    // C: \\ data \\ sub TAB TAB 12 TAB TAB Dateiordner TAB.
    void folderLineExample()
    {
        ResultList list;
        addTextRow(list, QStringLiteral("C:\\data\\sub"), kFolder,
                   { QStringLiteral("12"), QStringLiteral("Dateiordner"), QStringLiteral("1.1.24"),
                     QStringLiteral("2.1.24"), QStringLiteral("A") });
        const QString text = ClipboardText(list, QStringLiteral("C:\\data\\"), true,
                                           { true, true, false, false, false });
        QCOMPARE(text,
                 QStringLiteral("C:\\data\\\r\n\r\nC: \\\\ data \\\\ sub\t\t12\t\tDateiordner\t"));
    }

    void rows_data()
    {
        QTest::addColumn<bool>("withFiles");
        QTest::addColumn<QList<bool>>("tags");
        QTest::addColumn<QString>("expected");
        const QString head = QStringLiteral("/data/\r\n");
        QTest::newRow("files, all columns") << true << QList<bool> { true, true, true, true, true }
                                            << head
                + QStringLiteral("\r\n/data/a\t\t4\t\tFolder\t\tc1\t\tm1\t\tR\t"
                                 "\r\n    x.txt\t\t3\t\tText\t\tc2\t\tm2\t\t"
                                 "\r\n    y z.txt\t\t1\t\tText\t\tc3\t\tm3\t\tH\t"
                                 "\r\n/data/b\t\t0\t\tFolder\t\t\t\t");
        QTest::newRow("files, no columns")
            << true << QList<bool> { false, false, false, false, false }
            << head + QStringLiteral("\r\n/data/a\t\r\n    x.txt\t\r\n    y z.txt\t\r\n/data/b\t");
        QTest::newRow("folders only, size")
            << false << QList<bool> { true, false, false, false, false }
            << head + QStringLiteral("\r\n/data/a\t4\t\r\n/data/b\t0\t");
        QTest::newRow("folders only, no columns")
            << false << QList<bool> { false, false, false, false, false }
            << head + QStringLiteral("\r\n/data/a\r\n/data/b");
    }

    // Empty values give one TAB, others TAB value TAB; file rows keep their
    // indent; without files only folder rows, and no TAB after the text.
    void rows()
    {
        QFETCH(bool, withFiles);
        QFETCH(QList<bool>, tags);
        QFETCH(QString, expected);
        ResultList list;
        addTextRow(list, QStringLiteral("/data/a"), kFolder,
                   { QStringLiteral("4"), QStringLiteral("Folder"), QStringLiteral("c1"),
                     QStringLiteral("m1"), QStringLiteral("R") });
        addTextRow(list, QStringLiteral("    x.txt"), kFile,
                   { QStringLiteral("3"), QStringLiteral("Text"), QStringLiteral("c2"),
                     QStringLiteral("m2"), QString() });
        addTextRow(list, QStringLiteral("    y z.txt"), kFile,
                   { QStringLiteral("1"), QStringLiteral("Text"), QStringLiteral("c3"),
                     QStringLiteral("m3"), QStringLiteral("H") });
        addTextRow(list, QStringLiteral("/data/b"), kFolder,
                   { QStringLiteral("0"), QStringLiteral("Folder"), {}, {}, {} });
        const std::array<bool, 5> boxes { tags[0], tags[1], tags[2], tags[3], tags[4] };
        QCOMPARE(ClipboardText(list, QStringLiteral("/data/"), withFiles, boxes), expected);
    }

    // An empty list, or no folder rows with files left out: the folder line
    // and its CR LF alone.
    void nothingToWrite()
    {
        ResultList list;
        QCOMPARE(ClipboardText(list, QStringLiteral("/x/"), true, { true, true, true, true, true }),
                 QStringLiteral("/x/\r\n"));
        addTextRow(list, QStringLiteral("    f.txt"), kFile, { QStringLiteral("1") });
        QCOMPARE(
            ClipboardText(list, QStringLiteral("/x/"), false, { true, true, true, true, true }),
            QStringLiteral("/x/\r\n"));
    }

    // A row whose ticked values are all empty ends in one TAB per box.
    void allTickedValuesEmpty()
    {
        ResultList list;
        addTextRow(list, QStringLiteral("/e"), kFolder, {});
        QCOMPARE(ClipboardText(list, QStringLiteral("/"), true, { true, true, true, true, true }),
                 QStringLiteral("/\r\n\r\n/e\t\t\t\t\t\t"));
        QCOMPARE(
            ClipboardText(list, QStringLiteral("/"), false, { true, false, true, false, false }),
            QStringLiteral("/\r\n\r\n/e\t\t"));
    }

    // Only the exact marker "FOLDER" makes a folder line when files are left
    // out; line breaks and TABs inside a name become blanks.
    void markersAndBreaks()
    {
        ResultList list;
        addTextRow(list, QStringLiteral("/a\nb\tc\rd"), kFolder, { QStringLiteral("1\t2") });
        addTextRow(list, QStringLiteral("/lower"), QStringLiteral("folder"), {});
        const QString text
            = ClipboardText(list, QStringLiteral("/"), false, { true, false, false, false, false });
        QCOMPARE(text, QStringLiteral("/\r\n\r\n/a b c d\t1 2\t"));
    }

    // Scanner rows: names from the file system, sizes in the list's locale.
    void scannerRows()
    {
        ResultList list;
        list.setLocale(QLocale(QLocale::German, QLocale::Germany));
        ResultList::Properties folder;
        folder.sizeBytes = 1536 * 1024;
        list.addFolderRow(QStringLiteral("/m"), "/m", folder, 1);
        ResultList::Properties file;
        file.sizeBytes = 1536;
        list.addFileRow("back\\slash.txt", "/m", file);
        QCOMPARE(
            ClipboardText(list, QStringLiteral("/m/"), true, { true, false, false, false, false }),
            QStringLiteral("/m/\r\n\r\n/m\t\t1.536\t\r\n    back \\\\ slash.txt\t\t2\t"));
    }

    // Written lines over all rows, halves to even; with files left out the
    // bar stops short of 100.
    void progress()
    {
        ResultList list;
        for (int k = 0; k < 8; ++k)
            addTextRow(list, QStringLiteral("/r%1").arg(k), k % 2 == 0 ? kFolder : kFile, {});
        std::vector<int> seen;
        const auto record = [&](int percent) { seen.push_back(percent); };
        (void)ClipboardText(list, QStringLiteral("/"), true, {}, record);
        QCOMPARE(seen, (std::vector<int> { 12, 25, 38, 50, 62, 75, 88, 100 }));
        seen.clear();
        (void)ClipboardText(list, QStringLiteral("/"), false, {}, record);
        QCOMPARE(seen, (std::vector<int> { 12, 25, 38, 50 }));
    }
};

QTEST_GUILESS_MAIN(TestClipboardText)
#include "tst_clipboard_text.moc"
