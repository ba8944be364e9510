#pragma once

// The filter box as a user meets it, the lists and the walks through them
// for every browser the pages are tested in: what to type and what the page
// must then show (the count, the file rows and folder headers the user
// sees), in table and in toggle mode.

#include "app/program_state.h"
#include "output/page_generator.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QList>
#include <QString>
#include <QtTest>

namespace FilterBoxSteps {

// /data/a holds four files, /data/a/empty none, /data/b three; names in
// Latin-1, beyond it (written as character references) and in mixed case.
inline void fillList(ResultList &list)
{
    list.clear();
    list.addFolderRow(QStringLiteral("/data/a"), "/data/a", {}, 4);
    for (const char *name : { "Alpha.txt", "beta.TXT", "R\xC3\xA9sum\xC3\xA9.doc",
                              "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E notes.txt" })
        list.addFileRow(name, "/data/a", {});
    // In toggle mode the blocks after a folder without files lie inside its
    // block.
    list.addFolderRow(QStringLiteral("/data/a/empty"), "/data/a/empty", {}, 0);
    list.addFolderRow(QStringLiteral("/data/b"), "/data/b", {}, 3);
    for (const char *name : { "gamma.txt", "alphabet.md", "\xCE\xA9mega.txt" })
        list.addFileRow(name, "/data/b", {});
}

// One folder of 250 files, more than the results draw at once; n005's long
// name would widen its part of the results on its own.
inline void fillLongList(ResultList &list)
{
    list.clear();
    list.addFolderRow(QStringLiteral("/data/many"), "/data/many", {}, 250);
    for (int i = 0; i < 250; ++i) {
        QString name = QStringLiteral("n%1").arg(i, 3, 10, QChar(u'0'));
        if (i == 5)
            name += QStringLiteral(" with a name far longer than any other in the list");
        list.addFileRow((name + QStringLiteral(".log")).toUtf8(), "/data/many", {});
    }
}

// The page of a list with the filter box, file links and every column,
// written to path.
inline PageResult writePage(bool toggle, const QString &path, void (*fill)(ResultList &))
{
    ProgramState state;
    state.bgFilterBox = true;
    state.bgToggle = toggle;
    state.bgLink = state.bgHover = state.bgBorder = true;
    state.bgFileTag = { true, true, true, true, true };
    state.versionText = QStringLiteral("1.12.1128");
    ResultList list;
    list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    fill(list);
    const ScanCounters counters { list.count(), 0, 1, 1 };
    PageRequest request;
    request.list = &list;
    request.counters = &counters;
    request.state = &state;
    request.folderText = QStringLiteral("/data/");
    request.patternText = QStringLiteral("*.*");
    request.outputPath = path;
    return GeneratePage(request);
}

// Scripts the steps use, defined in the page once it has loaded: the names
// of the file rows and folder headers the user sees (those of the results
// while a filter is set, else the page's own that are drawn at all),
// whether the page's own rows are hidden under the results where they
// stand, and typing a text as the browser reports it (the box's value,
// then its input event).
inline QString helpers()
{
    return QStringLiteral(
        "window.shownCells = function (selector) {"
        " var results = document.getElementById('filterResults');"
        " return Array.from((results || document).querySelectorAll(selector))"
        "  .filter(function (c) { return c.getClientRects().length > 0; });"
        "};"
        "window.shownFiles = function () {"
        " return shownCells('td.NR')"
        "  .map(function (c) { return c.nextElementSibling.textContent; }).join('|');"
        "};"
        "window.shownFolders = function () {"
        " return shownCells('td.DIR')"
        "  .map(function (c) { return c.textContent.split(' (')[0].trim(); }).join('|');"
        "};"
        "window.pageRowsCovered = function () {"
        " var results = document.getElementById('filterResults');"
        " return results != null && Array.from(document.querySelectorAll('td.NR'))"
        "  .filter(function (c) { return !results.contains(c); })"
        "  .every(function (c) {"
        "   var r = c.parentNode.getBoundingClientRect(), y = r.top + r.height / 2;"
        "   return y < 0 || y >= window.innerHeight || r.height == 0"
        "    || results.contains(document.elementFromPoint(r.left + r.width / 2, y));"
        "  });"
        "};"
        "window.typeFilter = function (text) {"
        " var box = document.getElementById('filterText');"
        " box.value = text;"
        " box.dispatchEvent(new Event('input', { bubbles: true }));"
        " return document.getElementById('filterCount').textContent;"
        "};"
        "true");
}

struct Step
{
    enum class Kind {
        Script, // a script whose value, as text, must be `expected`
        Eventually, // the same, within a few seconds (drawing as it scrolls)
        Keys, // real key presses into the (empty) box, then the count
    };
    Kind kind;
    QString text;
    QString expected;
};

inline QList<Step> steps(bool toggle)
{
    using K = Step::Kind;
    const QString all
        = QStringLiteral("Alpha.txt|beta.TXT|R\u00e9sum\u00e9.doc|\u65e5\u672c\u8a9e notes.txt|"
                         "gamma.txt|alphabet.md|\u03a9mega.txt");
    const QString folderA = QStringLiteral("Alpha.txt|beta.TXT|R\u00e9sum\u00e9.doc|"
                                           "\u65e5\u672c\u8a9e notes.txt");
    // Toggle mode: the user has opened /data/a; /data/b stays folded.
    const QString before = toggle ? folderA : all;
    const QString folders = QStringLiteral("/data/a|/data/a/empty|/data/b");

    QList<Step> list;
    if (toggle) {
        list.append({ K::Script,
                      QStringLiteral("(document.querySelectorAll('li a[href=\"#\"]')[0].click(),"
                                     " 'opened')"),
                      QStringLiteral("opened") });
    }
    list += {
        // Nothing beyond the page itself is loaded.
        { K::Script, QStringLiteral("performance.getEntriesByType('resource').length"),
          QStringLiteral("0") },
        { K::Script, QStringLiteral("document.getElementById('filterCount').textContent"),
          QStringLiteral("7 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), before },
        { K::Script, QStringLiteral("shownFolders()"), folders },
        { K::Keys, QStringLiteral("alpha"), QStringLiteral("2 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), QStringLiteral("Alpha.txt|alphabet.md") },
        { K::Script, QStringLiteral("shownFolders()"), QStringLiteral("/data/a|/data/b") },
        { K::Script, QStringLiteral("pageRowsCovered()"), QStringLiteral("true") },
        { K::Script, QStringLiteral("typeFilter('ALPHA')"), QStringLiteral("2 of 7 files") },
        { K::Script, QStringLiteral("typeFilter('*.t?t')"), QStringLiteral("5 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"),
          QStringLiteral("Alpha.txt|beta.TXT|\u65e5\u672c\u8a9e notes.txt|gamma.txt|"
                         "\u03a9mega.txt") },
        { K::Script, QStringLiteral("typeFilter('m?a')"), QStringLiteral("1 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), QStringLiteral("gamma.txt") },
        // In toggle mode /data/b's block lies inside the block of the folder
        // without files; the results show only folders with files that match.
        { K::Script, QStringLiteral("shownFolders()"), QStringLiteral("/data/b") },
        { K::Script, QStringLiteral("typeFilter('a*b')"), QStringLiteral("1 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), QStringLiteral("alphabet.md") },
        { K::Script, QStringLiteral("typeFilter('R\u00c9SUM\u00c9')"),
          QStringLiteral("1 of 7 files") },
        { K::Script, QStringLiteral("shownFolders()"), QStringLiteral("/data/a") },
        { K::Script, QStringLiteral("typeFilter('\u03c9MEGA')"), QStringLiteral("1 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), QStringLiteral("\u03a9mega.txt") },
        { K::Script, QStringLiteral("typeFilter('\u65e5\u672c')"), QStringLiteral("1 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"),
          QStringLiteral("\u65e5\u672c\u8a9e notes.txt") },
        // Characters a pattern would take as its own are plain text.
        { K::Script, QStringLiteral("typeFilter('(.')"), QStringLiteral("0 of 7 files") },
        { K::Script, QStringLiteral("typeFilter('*[*')"), QStringLiteral("0 of 7 files") },
        { K::Script, QStringLiteral("shownFolders()"), QString() },
        { K::Script, QStringLiteral("pageRowsCovered()"), QStringLiteral("true") },
        { K::Script, QStringLiteral("typeFilter('.')"), QStringLiteral("7 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), all },
        // Clearing the box brings back the page as it was.
        { K::Script, QStringLiteral("typeFilter('')"), QStringLiteral("7 of 7 files") },
        { K::Script, QStringLiteral("shownFiles()"), before },
        { K::Script, QStringLiteral("shownFolders()"), folders },
    };
    return list;
}

// The long list: the results draw the rows near the window and the rest as
// it scrolls into view, table mode keeps the page's column widths, and
// clearing the box brings back the page where it was scrolled to.
inline QList<Step> longSteps(bool toggle)
{
    using K = Step::Kind;
    QList<Step> list {
        { K::Script, QStringLiteral("typeFilter('N')"), QStringLiteral("250 of 250 files") },
        { K::Script, QStringLiteral("shownCells('td.NR').length < 250"), QStringLiteral("true") },
        { K::Script, QStringLiteral("shownFiles().split('|')[0]"), QStringLiteral("n000.log") },
        { K::Script,
          QStringLiteral("(window.scrollTo(0, document.scrollingElement.scrollHeight), 'down')"),
          QStringLiteral("down") },
        { K::Eventually, QStringLiteral("shownFiles().split('|').pop()"),
          QStringLiteral("n249.log") },
        { K::Script, QStringLiteral("pageRowsCovered()"), QStringLiteral("true") },
    };
    if (!toggle) {
        // The cells of the last row drawn stand where the page's own first
        // row has them.
        list.append(
            { K::Script,
              QStringLiteral(
                  "(function () {"
                  " var own = document.querySelector('td.NR').parentNode.cells;"
                  " var last = shownCells('td.NR').pop().parentNode.cells;"
                  " return Array.from(own).every(function (c, i) {"
                  "  var a = c.getBoundingClientRect(), b = last[i].getBoundingClientRect();"
                  "  return Math.abs(a.left - b.left) < 1.5 && Math.abs(a.width - b.width) < 1.5;"
                  " });"
                  "})()"),
              QStringLiteral("true") });
    }
    list += {
        { K::Script, QStringLiteral("typeFilter('')"), QStringLiteral("250 of 250 files") },
        { K::Script, QStringLiteral("window.scrollY"), QStringLiteral("0") },
        { K::Script, QStringLiteral("document.getElementById('filterResults') == null"),
          QStringLiteral("true") },
    };
    return list;
}

// Runs the steps in a browser that offers `QString evaluate(script)` (the
// script's value as text) and `void typeKeys(text)` (key presses into the
// focused box). Stops at the first step that fails.
template<typename Browser> void runSteps(Browser &browser, const QList<Step> &steps)
{
    for (const Step &step : steps) {
        switch (step.kind) {
        case Step::Kind::Script: {
            const QString result = browser.evaluate(step.text);
            QVERIFY2(result == step.expected,
                     qPrintable(step.text + QStringLiteral(" gave \"") + result
                                + QStringLiteral("\", not \"") + step.expected + u'"'));
            break;
        }
        case Step::Kind::Eventually:
            QTRY_COMPARE_WITH_TIMEOUT(browser.evaluate(step.text), step.expected, 10000);
            break;
        case Step::Kind::Keys:
            QCOMPARE(
                browser.evaluate(QStringLiteral("document.getElementById('filterText').focus();"
                                                " document.activeElement.id")),
                QStringLiteral("filterText"));
            browser.typeKeys(step.text);
            QTRY_COMPARE_WITH_TIMEOUT(browser.evaluate(QStringLiteral(
                                          "document.getElementById('filterCount').textContent")),
                                      step.expected, 10000);
            break;
        }
    }
}

// The walks every browser takes: table and toggle mode, each with the
// short and the long list.
inline void addWalks()
{
    QTest::addColumn<bool>("toggle");
    QTest::addColumn<bool>("longList");
    QTest::newRow("table") << false << false;
    QTest::newRow("toggle") << true << false;
    QTest::newRow("table, long list") << false << true;
    QTest::newRow("toggle, long list") << true << true;
}

struct Walk
{
    PageResult page;
    QList<Step> steps;
};

// The current walk's page, written to folder, and its steps.
inline Walk currentWalk(const QString &folder)
{
    QFETCH(bool, toggle);
    QFETCH(bool, longList);
    const QString path
        = folder + u'/' + QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".html");
    return { writePage(toggle, path, longList ? fillLongList : fillList),
             longList ? longSteps(toggle) : steps(toggle) };
}

} // namespace FilterBoxSteps
