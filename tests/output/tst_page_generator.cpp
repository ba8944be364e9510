// Whole pages, byte for byte. The expected text is spelled out here piece by
// piece as the page must read; it is never taken from the program's own
// piece constants.
#include "app/program_state.h"
#include "output/page_generator.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <array>

namespace {

using Bytes = QByteArray;

// A device that refuses every byte, as a full disk does.
class RefusingDevice : public QIODevice
{
protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64) override
    {
        setErrorString(QStringLiteral("No space left on device"));
        return -1;
    }
};

// Pieces written one per line below; a page holds no line break, so the
// lines are joined with nothing.
Bytes joined(const char *lines)
{
    Bytes text(lines);
    text.replace('\n', "");
    return text;
}

struct Switches
{
    bool toggle = false;
    bool border = true;
    bool hover = true;
    bool link = false;
    std::array<bool, 5> tags { true, true, true, true, true };
};

void applyTestOptions(ProgramState &state, const Switches &sw)
{
    state.bgToggle = sw.toggle;
    state.bgBorder = sw.border;
    state.bgHover = sw.hover;
    state.bgLink = sw.link;
    state.bgFileTag = sw.tags;
    state.bgRecursive = true;
    // Distinct values, so a colour used in the wrong place shows.
    state.sgBackgroundColor = QStringLiteral("b0b0b0");
    state.sgGridColor = QStringLiteral("a1a1a1");
    state.sgTextColor = QStringLiteral("111111");
    state.sgDirColor = QStringLiteral("d1d1d1");
    state.sgDirFontColor = QStringLiteral("d2d2d2");
    state.sgFileColor = QStringLiteral("f1f1f1");
    state.sgHeaderColor = QStringLiteral("c1c1c1");
    state.sgHoverColor = QStringLiteral("e1e1e1");
    state.sgFont = QStringLiteral("Tahoma");
    state.sgFontSizeFILE = QStringLiteral("8");
    state.sgFontSizeDIR = QStringLiteral("9,5");
    state.versionText = QStringLiteral("1.12.1128");
}

Bytes expectedHead(const Switches &sw, const Bytes &title)
{
    Bytes head = joined(R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">
<html><head><title>)");
    head += title;
    head += joined(R"(</title>
<meta http-equiv="Content-Type" content="text/html; charset=iso-8859-1">
<meta name="author" content="Dallowin [quorvel.morbanta.example]">
<meta name="language" content="de">
<style type="text/css">
body {background-color:#b0b0b0; margin-right: 4px; margin-left: 4px; }
.text7n { margin-left: 12px;vertical-align:middle; text-align:right; text-decoration: none; color:#111111;font: 8pt Tahoma,Arial,Verdana,Courier New }
.text { text-decoration: none; color: #202020; font: 8pt Tahoma,Arial,Verdana,Courier New }
.text8n { text-decoration: none; color: #202020; font: 8pt Tahoma, Arial,Verdana,Courier New }
.text7nU { text-decoration: underline; color: #909090; font: 7pt Arial,Verdana,Courier New; background-color:#efefef;}
.text7nN { text-decoration: none; color: #909090; font: 7pt Arial,Verdana,Courier New; background-color:#efefef;}
.text9n { text-decoration: none; color: #202020; font: 9pt Tahoma, Arial,Verdana,Courier New }
.text10n { text-decoration: none; color: #202020; font: 10pt Tahoma, Arial,Verdana,Courier New }
.text12nb { text-decoration: none; color: #202020; font-weight: bold; font: 12pt Tahoma, Arial,Verdana,Courier New }
td.FILE { vertical-align:left; text-align:left; color:#111111; font: 8pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
td.DIR { vertical-align:left; text-align:left; color:#d2d2d2; background-color:#d1d1d1; font: 9,5pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
td.FILE a, a:link, a:hover, a:visited { vertical-align:left; text-align:left; text-decoration: none; font: 8pt Tahoma,  Arial, Verdana; }
td.NR { vertical-align:middle; text-align:right; width:2px; color:#111111; font: 7pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
td.ROOT { vertical-align:left; text-align:left; color:#111111; background-color:#c1c1c1; font: 8pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
td.ROOTVALUE { vertical-align:middle; text-align:right; color:#111111; background-color:#c1c1c1; font: 8pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
td.VALUE { vertical-align:middle; text-align:right; color:#111111; font: 8pt Tahoma,  Arial, Verdana; border:@px solid #a1a1a1; }
)");
    head.replace('@', sw.border ? "1" : "0");
    if (sw.toggle) {
        head += joined(R"(ul.Area {clear:both;width:100%;float:left;margin: 0 0 0 0; padding: 0;}
ul.Area li {clear:both;float:left;width:100%;list-style-type: none;margin-left:0px;padding: 0px;overflow:auto;}
ul.Area li a {text-decoration:none;width:100%margin-left:0px;;}
ul.Area li a:visited {text-decoration:none;width:100%;margin-left:0px;}
ul.Area li a:hover {text-decoration:none;width:100%;margin-left:0px;}
ul.Area li a:active {text-decoration:none;width:100%;margin-left:0px;}
ul.Area li p {display:none;}
ul.Area li div.more {display:none;float:left;}
ul.Area li div.more p {line-height:normal;}
ul.Area li div.more p a {text-decoration:none;}
ul.Area li div.more ul{display:inline;width:100%;}
ul.Area li div.more ul li{ clear:both;width:100%;overflow:auto;}
ul.Area li.active {}
ul.Area li.active a {text-decoration:none;}
ul.Area li.active p a {text-decoration:none;}
ul.Area li.active p a:hover {text-decoration:none;}
ul.Area li.active p {display:block;margin:0px 0px 0px 0px;}
ul.Area li.active div.more {display:block;width:100%;}
ul.Area li.active div.more a.link {text-decoration:none;width:auto;}
)");
    }
    head += "</style>";
    if (sw.toggle) {
        head += joined(R"(<script language="JavaScript" type="text/javascript">
function toggleFaqEntry(obj) {
if(obj.className == "active")
  obj.className = "";
 else {
  for(i=0; i<obj.parentNode.childNodes.length; i++) {
   obj.parentNode.childNodes[i].className = "";
  }
  obj.className = "active";
 }
}
function openFaqEntry() {
 document.getElementById(location.href.substring(location.href.lastIndexOf("#")+1,location.href.length)).className = "active";
}
</script>
)");
    }
    head += "</head><body>";
    return head;
}

Bytes expectedSummary(const Bytes &listFolder, const Bytes &patternCell, const Bytes &driveCell,
                      const Bytes &selectionCell)
{
    const Bytes style = "style='font:7pt Tahoma, Arial; color:#111111;'>";
    return R"(<table width="100%" cellpadding="0" cellspacing="0" border="0">)"
           R"(<tr><td height="10" valign="top" align="top" )"
        + style + listFolder + R"(</td><td height="10" valign="top" align="right" )" + style
        + patternCell + "</td></tr>"
        + R"(<tr><td colspan="2" height="10" valign="top" align="top" )" + style + driveCell
        + "</td></tr>" + R"(<tr><td colspan="2" height="10" valign="top" align="top" )" + style
        + selectionCell + "</td></tr></table>";
}

const Bytes kNoDrive = "VolumeName:  | SerialNumber:  | FileSystem:  | TotalSize: gb | FreeSpace: "
                       "gb | SerialNumber: ";

const Bytes kListTable
    = R"(<table width="100%" border="0" cellpadding="2" cellspacing="0" style='margin-top: 0.2em; border:1px solid #c0c0c0;border-collapse:collapse'>)";

const Bytes kPageEnd
    = R"(</table><br><span class="text7nN">kiv by <a href="https://quorvel.morbanta.example/"><span class="text7nU">Morbanta</span></a>&nbsp;&nbsp;|&nbsp;&nbsp;<a href="https://quorvel.morbanta.example/kiv-update/"><span class="text7nU">kiv-update</span></a> (this version: 1.12.1128)</span></body></html>)";

// One row of the test list as the page shows it.
struct RowTexts
{
    Bytes name; // shown name
    Bytes link; // link target after href="
    Bytes size, type, created, changed, attr;
};

Bytes fileRow(const Switches &sw, int number, const RowTexts &r)
{
    Bytes row = sw.hover
        ? R"(<tr bgcolor="#f1f1f1"; onmouseover="this.style.backgroundColor='#e1e1e1';" onmouseout="this.style.backgroundColor='#f1f1f1';">)"
        : R"(<tr bgcolor="#f1f1f1">)";
    row += R"(<td nowrap class="NR">)" + Bytes::number(number) + "</td>";
    row += R"(<td nowrap class="FILE">)";
    if (sw.link)
        row += R"(<a href=")" + r.link + R"(">)";
    row += r.name;
    if (sw.link)
        row += "</a>";
    row += "</td>";
    if (sw.tags[0])
        row += R"(<td nowrap class="VALUE">)" + r.size + " kb</td>";
    if (sw.tags[1])
        row += R"(<td nowrap class="FILE">)" + r.type + "</td>";
    if (sw.tags[2])
        row += R"(<td nowrap class="FILE">)" + r.created + "</td>";
    if (sw.tags[3])
        row += R"(<td nowrap class="FILE">)" + r.changed + "</td>";
    if (sw.tags[4])
        row += R"(<td nowrap class="FILE">)" + r.attr + "</td>";
    return row + "</tr>";
}

// A folder header. `leading`: the header of files before any folder row.
Bytes header(const Switches &sw, const RowTexts &r, int files, const Bytes &sum, bool leading)
{
    const Bytes info = R"( <span class="text7n">()" + Bytes::number(files) + " files, " + sum
        + "kb | " + r.size + (leading || sw.toggle ? "kb rec. | created: " : "kb | created: ")
        + r.created + " | attr: " + r.attr + ")</span>";
    if (sw.toggle) {
        return kListTable + R"(<tr><td colspan="7" class="DIR">)"
            + R"(<ul class="Area"> <li onclick="toggleFaqEntry(this);"> <a onclick="this.blur();return false;" href="#">)"
            + r.name + "</a>" + info;
    }
    Bytes cell = R"(<tr><td colspan="7" class="DIR">)";
    if (sw.link)
        cell += R"(<a href=")" + r.link + R"(" class="DIR">)";
    cell += r.name;
    if (sw.link)
        cell += "</a>";
    return cell + info + "</td></tr>";
}

Bytes groupOpen(const Switches &sw)
{
    Bytes open = R"(<div class="more">)" + kListTable
        + R"(<tr><td nowrap class="ROOTVALUE">#</td><td nowrap class="ROOT">name</td>)";
    if (sw.tags[0])
        open += R"(<td nowrap class="ROOTVALUE">size</td>)";
    if (sw.tags[1])
        open += R"(<td nowrap class="ROOT">type</td>)";
    if (sw.tags[2])
        open += R"(<td nowrap class="ROOT">created</td>)";
    if (sw.tags[3])
        open += R"(<td nowrap class="ROOT">changed</td>)";
    if (sw.tags[4])
        open += R"(<td nowrap class="ROOT">attributes</td>)";
    return open + "</tr>";
}

const Bytes kGroupClose = "</table></div></li></ul></td></tr></table>";

// What opens the list: the table in table mode; in toggle mode each header
// opens its own.
Bytes listStart(const Switches &sw)
{
    return sw.toggle ? Bytes() : kListTable;
}

// A header and the rows of its files; in toggle mode the rows form a group.
Bytes withRows(const Switches &sw, const Bytes &head, const Bytes &rows)
{
    return head + (sw.toggle && !rows.isEmpty() ? groupOpen(sw) + rows + kGroupClose : rows);
}

// The leading header's texts: the first file's, under the name it shows.
RowTexts leadingTexts(RowTexts first, const Bytes &name)
{
    first.name = name;
    first.link = "file://" + name;
    return first;
}

// 2024-03-05 14:07:09 and 2024-03-06 09:00:01 UTC.
constexpr qint64 kCreated = 1709647629;
constexpr qint64 kChanged = 1709715601;
const Bytes kCreatedText = "3/5/24 2:07:09 PM";
const Bytes kChangedText = "3/6/24 9:00:01 AM";

ResultList::Properties fileProps(qint64 bytes, qint64 attributes = 0,
                                 const QString &type = QStringLiteral("Text file"))
{
    return { bytes, type, kCreated, kChanged, attributes };
}
ResultList::Properties folderProps(qint64 bytes)
{
    return fileProps(bytes, 0, QStringLiteral("Folder"));
}

RowTexts fileTexts(const Bytes &name, const Bytes &folder, const Bytes &size,
                   const Bytes &attr = {})
{
    return { name, "file://" + folder + name, size, "Text file", kCreatedText, kChangedText, attr };
}

RowTexts folderTexts(const Bytes &name, const Bytes &path, const Bytes &size)
{
    return { name, "file://" + path, size, "Folder", kCreatedText, kChangedText, {} };
}

// Reports where two pages part, with a little context on both sides.
bool samePage(const Bytes &actual, const Bytes &expected)
{
    if (actual == expected)
        return true;
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    const qsizetype from = std::max<qsizetype>(0, at - 60);
    qWarning().noquote() << "pages differ at offset" << at << "(actual" << actual.size()
                         << "bytes, expected" << expected.size() << ")"
                         << "\n  actual:   ..." << QString::fromLatin1(actual.mid(from, 160))
                         << "\n  expected: ..." << QString::fromLatin1(expected.mid(from, 160));
    return false;
}

// Rows for a test that runs once per page layout.
void tableAndToggle()
{
    QTest::addColumn<bool>("toggle");
    QTest::newRow("table") << false;
    QTest::newRow("toggle") << true;
}

} // namespace

Q_DECLARE_METATYPE(Switches)

class TestPageGenerator : public QObject
{
    Q_OBJECT

private:
    ProgramState m_state;
    ResultList m_list;
    ScanCounters m_counters;
    QTemporaryDir m_dir;

    void setCounters(qint64 files, float kb = 0, qint64 folders = 1, qint64 searched = 1)
    {
        m_counters = ScanCounters { files, kb, folders, searched };
    }

    // A request for the list in m_list with this test's options.
    PageRequest makeRequest(const QString &folderText = {})
    {
        PageRequest r;
        r.list = &m_list;
        r.counters = &m_counters;
        r.state = &m_state;
        r.folderText = folderText;
        r.patternText = QStringLiteral("*.*");
        return r;
    }

    // The page for the list in m_list, written to a file and read back.
    Bytes generate(const QString &folderText, bool onlyThisDir = false,
                   std::function<void()> yield = {}, PageResult *resultOut = nullptr)
    {
        PageRequest request = makeRequest(folderText);
        request.onlyThisDir = onlyThisDir;
        request.outputPath = m_dir.filePath(QStringLiteral("page.html"));
        request.yield = std::move(yield);
        const PageResult result = GeneratePage(request);
        if (resultOut)
            *resultOut = result;
        if (!result.ok)
            return "FAILED: " + result.reason.toUtf8();
        QFile file(result.path);
        if (!file.open(QIODevice::ReadOnly))
            return "UNREADABLE";
        return file.readAll();
    }

    Bytes summaryFor(const Bytes &listFolder, const Bytes &selection)
    {
        return expectedSummary(listFolder, "[recursive: on, pattern: *.*]", kNoDrive, selection);
    }

    // /data holds two files; below it: a (two files), a/empty (none), b (one).
    void makeTree()
    {
        m_list.clear();
        m_list.addFileRow("lead.txt", "/data", fileProps(1024, 1));
        m_list.addFileRow("b.txt", "/data", fileProps(2048));
        m_list.addFolderRow(QStringLiteral("/data/a"), "/data/a", folderProps(40960), 2);
        m_list.addFileRow("x.txt", "/data/a", fileProps(10240));
        m_list.addFileRow("y.txt", "/data/a", fileProps(20480));
        m_list.addFolderRow(QStringLiteral("/data/a/empty"), "/data/a/empty", folderProps(0), 0);
        m_list.addFolderRow(QStringLiteral("/data/b"), "/data/b", folderProps(3072), 1);
        m_list.addFileRow("z.txt", "/data/b", fileProps(3072));
        setCounters(5, 36, 4, 4);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        qputenv("TZ", "UTC");
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void wholePage_data()
    {
        QTest::addColumn<Switches>("sw");
        const std::array<bool, 5> all { true, true, true, true, true };
        QTest::newRow("table, border, hover, all columns")
            << Switches { false, true, true, false, all };
        QTest::newRow("table, no border, no hover, links, size and attributes")
            << Switches { false, false, false, true, { true, false, false, false, true } };
        QTest::newRow("toggle, border, hover, links, all columns")
            << Switches { true, true, true, true, all };
        QTest::newRow("toggle, no border, no hover, type and changed")
            << Switches { true, false, false, false, { false, true, false, true, false } };
    }

    void wholePage()
    {
        QFETCH(Switches, sw);
        applyTestOptions(m_state, sw);
        makeTree();

        const RowTexts lead = fileTexts("lead.txt", "/data/", "1", "R");
        const RowTexts b = fileTexts("b.txt", "/data/", "2");
        const RowTexts a = folderTexts("/data/a", "/data/a", "40");
        const RowTexts x = fileTexts("x.txt", "/data/a/", "10");
        const RowTexts y = fileTexts("y.txt", "/data/a/", "20");
        const RowTexts empty = folderTexts("/data/a/empty", "/data/a/empty", "0");
        const RowTexts bFolder = folderTexts("/data/b", "/data/b", "3");
        const RowTexts z = fileTexts("z.txt", "/data/b/", "3");

        Bytes expected = expectedHead(sw, "/data [recursive: on, pattern: *.*]")
            + summaryFor("/data",
                         "ThisSelection: 5 files [36kb] in 4 folder searched 4 folder, 0 skipped");
        // The leading header names ListFolder and links to it; in toggle mode
        // it shows the first file's folder. A folder without files stays open.
        const RowTexts leading = leadingTexts(lead, sw.toggle ? "/data/" : "/data");
        expected += listStart(sw)
            + withRows(sw, header(sw, leading, 2, "3", true),
                       fileRow(sw, 1, lead) + fileRow(sw, 2, b))
            + withRows(sw, header(sw, a, 2, "30", false), fileRow(sw, 1, x) + fileRow(sw, 2, y))
            + header(sw, empty, 0, "0", false)
            + withRows(sw, header(sw, bFolder, 1, "3", false), fileRow(sw, 1, z)) + kPageEnd;
        QVERIFY(samePage(generate(QStringLiteral("/data/")), expected));
    }

    // The filter box adds its style rule and script as the head's last
    // part, the box between the summary and the list, and a block round the
    // list; the rest of the page keeps its bytes.
    // What the script does is tried in the browser tests.
    void filterBox_data() { tableAndToggle(); }

    void filterBox()
    {
        QFETCH(bool, toggle);
        applyTestOptions(m_state, Switches { toggle, true, true, true });
        makeTree();
        const Bytes plain = generate(QStringLiteral("/data/"));
        m_state.bgFilterBox = true;
        const Bytes filtered = generate(QStringLiteral("/data/"));
        m_state.bgFilterBox = false;

        const Bytes box = R"(<div id="filterBox" style="margin-top: 0.4em;"><input type="text" )"
                          R"(id="filterText" class="text" size="40" autocomplete="off" )"
                          R"(placeholder="filter names: * any text, ? one character" )"
                          R"(oninput="filterList(this.value);"><span class="text7n" )"
                          R"(id="filterCount"></span></div><div id="filterList">)";
        const qsizetype scriptEnd = filtered.indexOf("</head><body>");
        QVERIFY(filtered.left(scriptEnd).endsWith("</script>"));
        const Bytes style
            = R"(<style type="text/css">#filterList { will-change: transform; }</style>)"
              R"(<script type="text/javascript">)";
        const qsizetype scriptStart = filtered.lastIndexOf(style, scriptEnd);
        QVERIFY(scriptStart > 0);
        const Bytes script = filtered.mid(scriptStart, scriptEnd - scriptStart);
        QVERIFY(script.contains("function filterList(text)"));
        QCOMPARE(script.count("<script"), 1);

        // The box stands where the summary table ends.
        const Bytes summary = summaryFor(
            "/data", "ThisSelection: 5 files [36kb] in 4 folder searched 4 folder, 0 skipped");
        const qsizetype listAt = plain.indexOf(summary) + summary.size();
        QVERIFY(listAt > summary.size());
        // The list's block closes after it, before the credit line.
        Bytes expected = plain;
        QVERIFY(expected.endsWith(kPageEnd));
        expected.insert(expected.size() - kPageEnd.size() + Bytes("</table>").size(), "</div>");
        expected.insert(listAt, box);
        expected.insert(plain.indexOf("</head><body>"), script);
        QVERIFY(samePage(filtered, expected));
    }

    void uncheckedRows_data() { tableAndToggle(); }

    // An unchecked folder writes no header; its checked files still appear
    // (in toggle mode the first of them opens a group), and unchecked files
    // join a toggle group all the same.
    void uncheckedRows()
    {
        QFETCH(bool, toggle);
        const Switches sw { toggle, true, false, true, { true, false, false, false, false } };
        applyTestOptions(m_state, sw);
        m_list.clear();
        m_list.addFolderRow(QStringLiteral("/d"), "/d", folderProps(0), 0);
        m_list.addFolderRow(QStringLiteral("/d/a"), "/d/a", folderProps(4096), 3);
        m_list.addFileRow("p.txt", "/d/a", fileProps(1024));
        m_list.addFileRow("q.txt", "/d/a", fileProps(1024));
        m_list.addFileRow("r.txt", "/d/a", fileProps(2048));
        m_list.addFolderRow(QStringLiteral("/d/c"), "/d/c", folderProps(1024), 2);
        m_list.addFileRow("s.txt", "/d/c", fileProps(1024));
        m_list.addFileRow("t.txt", "/d/c", fileProps(0));
        m_list.setChecked(1, false); // folder /d/a
        m_list.setChecked(3, false); // q.txt
        m_list.setChecked(6, false); // s.txt, the first file of /d/c
        setCounters(5, 5, 4, 4);

        const RowTexts d = folderTexts("/d", "/d", "0");
        const RowTexts c = folderTexts("/d/c", "/d/c", "1");
        const RowTexts p = fileTexts("p.txt", "/d/a/", "1");
        const RowTexts q = fileTexts("q.txt", "/d/a/", "1");
        const RowTexts r = fileTexts("r.txt", "/d/a/", "2");
        const RowTexts t = fileTexts("t.txt", "/d/c/", "0");
        Bytes expected = expectedHead(sw, "/d [recursive: on, pattern: *.*]")
            + summaryFor("/d",
                         "ThisSelection: 5 files [5kb] in 3 folder searched 4 folder, 1 skipped");
        // Row numbers go on past the unchecked folder row.
        const Bytes dRows = toggle
            ? Bytes(fileRow(sw, 1, p) + fileRow(sw, 2, q) + fileRow(sw, 3, r))
            : Bytes(fileRow(sw, 1, p) + fileRow(sw, 2, r));
        expected += listStart(sw) + withRows(sw, header(sw, d, 0, "0", false), dRows)
            + withRows(sw, header(sw, c, 2, "1", false), fileRow(sw, 1, t)) + kPageEnd;
        QVERIFY(samePage(generate(QStringLiteral("/d/")), expected));
    }

    void onlyThisDirectory_data() { tableAndToggle(); }

    // Headers show the list's shortened texts; links keep the full paths.
    void onlyThisDirectory()
    {
        QFETCH(bool, toggle);
        const Switches sw { toggle, true, true, true, { false, false, false, false, true } };
        applyTestOptions(m_state, sw);
        m_list.clear();
        m_list.addFileRow("top.txt", "/data", fileProps(1024));
        m_list.addFolderRow(QStringLiteral("a"), "/data/a", folderProps(2048), 0);
        m_list.addFolderRow(QStringLiteral(" + a/deep"), "/data/a/deep", folderProps(2048), 1);
        m_list.addFileRow("in.txt", "/data/a/deep", fileProps(2048));
        setCounters(2, 3, 3, 3);

        const RowTexts top = fileTexts("top.txt", "/data/", "1");
        const RowTexts a = folderTexts("a", "/data/a", "2");
        const RowTexts deep = folderTexts(" + a/deep", "/data/a/deep", "2");
        const RowTexts in = fileTexts("in.txt", "/data/a/deep/", "2");
        Bytes expected = expectedHead(sw, "/data [recursive: on, pattern: *.*]")
            + summaryFor("/data",
                         "ThisSelection: 2 files [3kb] in 3 folder searched 3 folder, 0 skipped");
        // In toggle mode the leading header shows the first file's row text.
        const RowTexts leading = leadingTexts(top, toggle ? "    top.txt" : "/data");
        expected += listStart(sw)
            + withRows(sw, header(sw, leading, 1, "1", true), fileRow(sw, 1, top))
            + header(sw, a, 0, "0", false)
            + withRows(sw, header(sw, deep, 1, "2", false), fileRow(sw, 1, in)) + kPageEnd;
        QVERIFY(samePage(generate(QStringLiteral("/data/"), true), expected));
    }

    void cancelMidWalk_data() { tableAndToggle(); }

    // A cancel stops the walk (inside a toggle group too); the page is
    // still closed with the credit line.
    void cancelMidWalk()
    {
        QFETCH(bool, toggle);
        const Switches sw { toggle, true, false, false, {} };
        applyTestOptions(m_state, sw);
        m_list.clear();
        m_list.addFolderRow(QStringLiteral("/f"), "/f", folderProps(3072), 3);
        m_list.addFileRow("p.txt", "/f", fileProps(1024));
        m_list.addFileRow("q.txt", "/f", fileProps(1024));
        m_list.addFileRow("r.txt", "/f", fileProps(1024));
        setCounters(3, 3, 2, 2);

        // Cancel once q.txt is written: in table mode at the walk's yield
        // after row 2, in toggle mode at the group's yield after q.txt.
        int yields = 0;
        const int cancelAt = 3;
        m_state.bgCancel = false;
        auto yield = [&] {
            if (++yields == cancelAt)
                m_state.bgCancel = true;
        };
        PageResult result;
        const Bytes page = generate(QStringLiteral("/f"), false, yield, &result);
        m_state.bgCancel = false;

        const RowTexts f = folderTexts("/f", "/f", "3");
        Bytes expected = expectedHead(sw, "/f [recursive: on, pattern: *.*]")
            + summaryFor("/f",
                         "ThisSelection: 3 files [3kb] in 1 folder searched 2 folder, 1 skipped");
        expected += listStart(sw)
            + withRows(sw, header(sw, f, 3, "3", false),
                       fileRow(sw, 1, fileTexts("p.txt", "/f/", "1"))
                           + fileRow(sw, 2, fileTexts("q.txt", "/f/", "1")))
            + kPageEnd;
        QVERIFY(samePage(page, expected));
        QVERIFY(result.ok);
        QVERIFY(result.cancelled);
    }

    // The root folder names itself in the title, the summary and the
    // leading header. A file name keeps the white space at its ends that is
    // not a blank, shown and linked; its link keeps the blanks too.
    void rootAndNameEnds()
    {
        const Switches sw { false, true, false, true, { false, false, false, false, false } };
        applyTestOptions(m_state, sw);
        m_list.clear();
        m_list.addFileRow("\tt\xE3\x80\x80 ", "/", fileProps(0));
        m_list.addFileRow(" \xC2\xA0n\n", "/", fileProps(0));
        setCounters(2, 0, 0, 1);

        RowTexts first = fileTexts("&#9;t&#12288;", "/", "0");
        first.link = "file:///%09t&#12288;%20";
        RowTexts second = fileTexts("\xA0n&#10;", "/", "0");
        second.link = "file:/// \xA0n%0A";
        const Bytes expected = expectedHead(sw, "/ [recursive: on, pattern: *.*]")
            + summaryFor("/",
                         "ThisSelection: 2 files [0kb] in 0 folder searched 1 folder, 1 skipped")
            + kListTable + header(sw, leadingTexts(first, "/"), 2, "0", true)
            + fileRow(sw, 1, first) + fileRow(sw, 2, second) + kPageEnd;
        QVERIFY(samePage(generate(QStringLiteral("/")), expected));
    }

    // Exclude patterns in use follow the pattern in the title and the
    // summary, escaped; with none in use (none set, or only one that cannot
    // be read) the page is the same as without exclude lists.
    void excludesInTitleAndSummary_data()
    {
        QTest::addColumn<QString>("excludes");
        QTest::addColumn<Bytes>("shown");
        QTest::newRow("two in use")
            << QStringLiteral(" .git; [bad ;*<o>\u00e9") << Bytes(", exclude: .git;*&lt;o&gt;\xE9");
        QTest::newRow("none") << QString() << Bytes();
        QTest::newRow("none readable") << QStringLiteral(" ; [bad") << Bytes();
    }
    void excludesInTitleAndSummary()
    {
        QFETCH(QString, excludes);
        QFETCH(Bytes, shown);
        const Switches sw { false, true, false, false, { false, false, false, false, false } };
        applyTestOptions(m_state, sw);
        m_state.sgExclude = excludes;
        m_list.clear();
        m_list.addFileRow("a.txt", "/e", fileProps(0));
        setCounters(1, 0, 1, 1);

        const RowTexts a = fileTexts("a.txt", "/e/", "0");
        const Bytes bracket = "[recursive: on, pattern: *.*" + shown + "]";
        const Bytes expected
            = expectedHead(sw, "/e " + bracket)
            + expectedSummary(
                  "/e", bracket, kNoDrive,
                  "ThisSelection: 1 files [0kb] in 1 folder searched 1 folder, 0 skipped")
            + kListTable + header(sw, leadingTexts(a, "/e"), 1, "0", true) + fileRow(sw, 1, a)
            + kPageEnd;
        const Bytes page = generate(QStringLiteral("/e"));
        m_state.sgExclude.clear();
        QVERIFY(samePage(page, expected));
    }

    // Failures are results, never "written": an export folder that cannot be
    // made, a page that cannot be opened, a device that refuses the bytes,
    // no folder text. An old page under the name stays as it was.
    void failures()
    {
        applyTestOptions(m_state, {});
        makeTree();
        PageRequest request = makeRequest(QStringLiteral("/data/"));

        QFile blocker(m_dir.filePath(QStringLiteral("plain-file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        m_state.exportFolder = blocker.fileName() + QStringLiteral("/export/");
        PageResult result = GeneratePage(request);
        QVERIFY(!result.ok);
        QVERIFY(!result.reason.isEmpty());
        QCOMPARE(result.path, m_state.exportFolder + QStringLiteral("data.html"));

        request.outputPath = m_dir.filePath(QStringLiteral("missing/page.html"));
        result = GeneratePage(request);
        QVERIFY(!result.ok);
        QVERIFY(!QFile::exists(request.outputPath));

        RefusingDevice full;
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        request.outputPath.clear();
        request.device = &full;
        result = GeneratePage(request);
        QVERIFY(!result.ok);
        QVERIFY(!result.reason.isEmpty());
        request.device = nullptr;

        request.folderText.clear();
        request.outputPath = m_dir.filePath(QStringLiteral("never.html"));
        result = GeneratePage(request);
        QVERIFY(!result.ok);
        QVERIFY(!QFile::exists(request.outputPath));
    }
    // Below the large-unit limit KiB; above it GiB, like the drive sizes.
    void selectionSize_data()
    {
        QTest::addColumn<float>("kb");
        QTest::addColumn<bool>("german");
        QTest::addColumn<Bytes>("text");
        QTest::newRow("1234.4 KiB") << 1234.4f << false << Bytes("1,234kb]");
        QTest::newRow("1234.4 KiB, German") << 1234.4f << true << Bytes("1.234kb]");
        QTest::newRow("999999.5 KiB") << 999999.5f << false << Bytes("1gb]");
        QTest::newRow("2.5 TiB") << 2684354560.0f << false << Bytes("2,560gb]");
    }

    void selectionSize()
    {
        QFETCH(float, kb);
        QFETCH(bool, german);
        QFETCH(Bytes, text);
        applyTestOptions(m_state, {});
        m_list.clear();
        m_list.setLocale(german ? QLocale(QLocale::German, QLocale::Germany)
                                : QLocale(QLocale::English, QLocale::UnitedStates));
        m_list.addFileRow("a.txt", "/s", fileProps(1));
        setCounters(1, kb);
        const Bytes actual = SummaryTable(makeRequest(), QStringLiteral("/s"));
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(samePage(actual,
                         summaryFor("/s",
                                    "ThisSelection: 1 files [" + text
                                        + " in 1 folder searched 1 folder, 0 skipped")));
    }

    // The page is named after the last folder; the root gets a name of its own.
    void pageNames()
    {
        for (const auto &[folderText, fileName] :
             { std::pair<QString, QString> { QStringLiteral("/data/photos/"),
                                             QStringLiteral("photos.html") },
               { QStringLiteral("/data/photos"), QStringLiteral("photos.html") },
               { QStringLiteral("/"), QStringLiteral("root.html") },
               { QStringLiteral("/mnt/c:/"), QStringLiteral("c.html") } })
            QCOMPARE(PageFileName(ListFolderOf(folderText)), fileName);
    }
};

QTEST_GUILESS_MAIN(TestPageGenerator)
#include "tst_page_generator.moc"
