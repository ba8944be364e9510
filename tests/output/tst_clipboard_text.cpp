#include "output/clipboard_text.h"
#include "scan/result_list.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array<bool, 5> kAllTicked { true, true, true, true, true };

// A row with the given texts: a file row's text is its indent and name.
void addTextRow(ResultList &list, const QString &text, const QString &marker,
                const QStringList &values = {})
{
    const bool isFile = marker == u"FILE"_s && text.startsWith(u"    "_s);
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
        addTextRow(list, u"/data/a"_s, u"FOLDER"_s,
                   { u"4"_s, u"Folder"_s, u"c1"_s, u"m1"_s, u"R"_s });
        addTextRow(list, u"    x.txt"_s, u"FILE"_s, { u"3"_s, u"Text"_s, u"c2"_s, u"m2"_s, u""_s });
        addTextRow(list, u"    y z.txt"_s, u"FILE"_s,
                   { u"1"_s, u"Text"_s, u"c3"_s, u"m3"_s, u"H"_s });
        addTextRow(list, u"/data/b"_s, u"FOLDER"_s, { u"0"_s, u"Folder"_s });
        QCOMPARE(ClipboardText(list, u"/data/"_s, true, kAllTicked),
                 QStringLiteral("/data/\r\n"
                                "\r\n/data/a\t\t4\t\tFolder\t\tc1\t\tm1\t\tR\t"
                                "\r\n    x.txt\t\t3\t\tText\t\tc2\t\tm2\t\t"
                                "\r\n    y z.txt\t\t1\t\tText\t\tc3\t\tm3\t\tH\t"
                                "\r\n/data/b\t\t0\t\tFolder\t\t\t\t"));
        QCOMPARE(ClipboardText(list, u"/data/"_s, false, { true, false, false, false, false }),
                 u"/data/\r\n\r\n/data/a\t4\t\r\n/data/b\t0\t"_s);
        QCOMPARE(ClipboardText(list, u"/data/"_s, false, {}),
                 u"/data/\r\n\r\n/data/a\r\n/data/b"_s);
    }

    // An empty list, or no folder rows with files left out: the folder line alone.
    void emptyLists()
    {
        ResultList list;
        QCOMPARE(ClipboardText(list, u"/x/"_s, true, kAllTicked), u"/x/\r\n"_s);
        addTextRow(list, u"    f.txt"_s, u"FILE"_s, { u"1"_s });
        QCOMPARE(ClipboardText(list, u"/x/"_s, false, kAllTicked), u"/x/\r\n"_s);
    }

    // Only the exact marker "FOLDER" makes a folder line when files are left
    // out; line breaks and TABs inside a name become blanks.
    void markersAndBreaks()
    {
        ResultList list;
        addTextRow(list, u"/a\nb\tc\rd"_s, u"FOLDER"_s, { u"1\t2"_s });
        addTextRow(list, u"/lower"_s, u"folder"_s);
        QCOMPARE(ClipboardText(list, u"/"_s, false, { true, false, false, false, false }),
                 u"/\r\n\r\n/a b c d\t1 2\t"_s);
    }

    // White space at a name's ends stays: a TAB or line break as a blank,
    // U+3000 and a no-break space as they are; nothing is trimmed.
    void nameEnds()
    {
        ResultList list;
        list.addFileRow("\tx\xE3\x80\x80", "/m", {});
        list.addFileRow("\xC2\xA0y \n", "/m", {});
        QCOMPARE(ClipboardText(list, u"/m/"_s, true, {}),
                 u"/m/\r\n\r\n     x\u3000\t\r\n    \u00a0y  \t"_s);
    }

    // Scanner rows: names from the file system, sizes in the list's locale.
    void scannerRows()
    {
        ResultList list;
        list.setLocale(QLocale(QLocale::German, QLocale::Germany));
        ResultList::Properties properties;
        properties.sizeBytes = 1536 * 1024;
        list.addFolderRow(u"/m"_s, "/m", properties, 1);
        properties.sizeBytes = 1536;
        list.addFileRow("back\\slash.txt", "/m", properties);
        QCOMPARE(ClipboardText(list, u"/m/"_s, true, { true, false, false, false, false }),
                 u"/m/\r\n\r\n/m\t\t1.536\t\r\n    back \\\\ slash.txt\t\t2\t"_s);
    }

    // Written lines over all rows, halves to even; with files left out the
    // bar stops short of 100.
    void progress()
    {
        ResultList list;
        for (int k = 0; k < 8; ++k)
            addTextRow(list, u"/r%1"_s.arg(k), k % 2 == 0 ? u"FOLDER"_s : u"FILE"_s);
        std::vector<int> seen;
        const auto record = [&](int percent) { seen.push_back(percent); };
        (void)ClipboardText(list, u"/"_s, true, {}, record);
        QCOMPARE(seen, (std::vector<int> { 12, 25, 38, 50, 62, 75, 88, 100 }));
        seen.clear();
        (void)ClipboardText(list, u"/"_s, false, {}, record);
        QCOMPARE(seen, (std::vector<int> { 12, 25, 38, 50 }));
    }
};

QTEST_GUILESS_MAIN(TestClipboardText)
#include "tst_clipboard_text.moc"
