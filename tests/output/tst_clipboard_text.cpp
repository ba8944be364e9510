#include "output/clipboard_text.h"
#include "scan/result_list.h"

#include <QtTest>

namespace {

constexpr std::array<bool, 5> kAllTicked { true, true, true, true, true };

// A row with the given texts: a file row's text is its indent and name.
void addTextRow(ResultList &list, const QString &text, const QString &marker,
                const QStringList &values = {})
{
    const bool isFile = marker == QStringLiteral("FILE") && text.startsWith(QStringLiteral("    "));
    const int row = isFile ? list.addFileRow(text.mid(4).toUtf8(), "/data", {}) : list.addRow(text);
    list.setSubItem(row, 2, marker);
    for (int k = 0; k < values.size(); ++k)
        list.setSubItem(row, 3 + k, values[k]);
}

} // namespace

class TestClipboardText : public QObject
{
    Q_OBJECT

private slots:
    // Empty values give one TAB, others TAB value TAB; file rows keep their
    // indent; without files only folder rows, and no TAB after the text.
    void rows()
    {
        ResultList list;
        addTextRow(list, QStringLiteral("/data/a"), QStringLiteral("FOLDER"),
                   { QStringLiteral("4"), QStringLiteral("Folder"), QStringLiteral("c1"),
                     QStringLiteral("m1"), QStringLiteral("R") });
        addTextRow(list, QStringLiteral("    x.txt"), QStringLiteral("FILE"),
                   { QStringLiteral("3"), QStringLiteral("Text"), QStringLiteral("c2"),
                     QStringLiteral("m2"), QStringLiteral("") });
        addTextRow(list, QStringLiteral("    y z.txt"), QStringLiteral("FILE"),
                   { QStringLiteral("1"), QStringLiteral("Text"), QStringLiteral("c3"),
                     QStringLiteral("m3"), QStringLiteral("H") });
        addTextRow(list, QStringLiteral("/data/b"), QStringLiteral("FOLDER"),
                   { QStringLiteral("0"), QStringLiteral("Folder") });
        QCOMPARE(ClipboardText(list, QStringLiteral("/data/"), true, kAllTicked),
                 QStringLiteral("/data/\r\n"
                                "\r\n/data/a\t\t4\t\tFolder\t\tc1\t\tm1\t\tR\t"
                                "\r\n    x.txt\t\t3\t\tText\t\tc2\t\tm2\t\t"
                                "\r\n    y z.txt\t\t1\t\tText\t\tc3\t\tm3\t\tH\t"
                                "\r\n/data/b\t\t0\t\tFolder\t\t\t\t"));
        QCOMPARE(ClipboardText(list, QStringLiteral("/data/"), false,
                               { true, false, false, false, false }),
                 QStringLiteral("/data/\r\n\r\n/data/a\t4\t\r\n/data/b\t0\t"));
        QCOMPARE(ClipboardText(list, QStringLiteral("/data/"), false, {}),
                 QStringLiteral("/data/\r\n\r\n/data/a\r\n/data/b"));
    }

    // An empty list, or no folder rows with files left out: the folder line alone.
    void emptyLists()
    {
        ResultList list;
        QCOMPARE(ClipboardText(list, QStringLiteral("/x/"), true, kAllTicked),
                 QStringLiteral("/x/\r\n"));
        addTextRow(list, QStringLiteral("    f.txt"), QStringLiteral("FILE"),
                   { QStringLiteral("1") });
        QCOMPARE(ClipboardText(list, QStringLiteral("/x/"), false, kAllTicked),
                 QStringLiteral("/x/\r\n"));
    }

    // Only the exact marker "FOLDER" makes a folder line when files are left
    // out; line breaks and TABs inside a name become blanks.
    void markersAndBreaks()
    {
        ResultList list;
        addTextRow(list, QStringLiteral("/a\nb\tc\rd"), QStringLiteral("FOLDER"),
                   { QStringLiteral("1\t2") });
        addTextRow(list, QStringLiteral("/lower"), QStringLiteral("folder"));
        QCOMPARE(
            ClipboardText(list, QStringLiteral("/"), false, { true, false, false, false, false }),
            QStringLiteral("/\r\n\r\n/a b c d\t1 2\t"));
    }

    // White space at a name's ends stays: a TAB or line break as a blank,
    // U+3000 and a no-break space as they are; nothing is trimmed.
    void nameEnds()
    {
        ResultList list;
        list.addFileRow("\tx\xE3\x80\x80", "/m", {});
        list.addFileRow("\xC2\xA0y \n", "/m", {});
        QCOMPARE(ClipboardText(list, QStringLiteral("/m/"), true, {}),
                 QStringLiteral("/m/\r\n\r\n     x\u3000\t\r\n    \u00a0y  \t"));
    }

    // Scanner rows: names from the file system, sizes in the list's locale.
    void scannerRows()
    {
        ResultList list;
        list.setLocale(QLocale(QLocale::German, QLocale::Germany));
        ResultList::Properties properties;
        properties.sizeBytes = 1536 * 1024;
        list.addFolderRow(QStringLiteral("/m"), "/m", properties, 1);
        properties.sizeBytes = 1536;
        list.addFileRow("back\\slash.txt", "/m", properties);
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
            addTextRow(list, QStringLiteral("/r%1").arg(k),
                       k % 2 == 0 ? QStringLiteral("FOLDER") : QStringLiteral("FILE"));
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
