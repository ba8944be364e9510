// The page's script and hover attributes at work in Qt WebEngine: a click on
// a folder header opens its file table and a second click closes it; in
// table mode a file row takes the hover colour under the mouse.
#undef QT_NO_CAST_FROM_ASCII
#include "app/program_state.h"
#include "output/page_generator.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>

namespace {

// One step in the page: a script and the text of its result.
using Steps = QList<std::pair<QString, QString>>;

ResultList::Properties sized(qint64 bytes)
{
    ResultList::Properties properties;
    properties.sizeBytes = bytes;
    return properties;
}

} // namespace

class TestPageInBrowser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ProgramState m_state;
    ResultList m_list;
    ScanCounters m_counters;

    // Writes the page, shows it and runs the steps in order.
    void check(bool toggle, const QString &name, const Steps &steps)
    {
        m_state.bgToggle = toggle;
        PageRequest request;
        request.list = &m_list;
        request.counters = &m_counters;
        request.state = &m_state;
        request.folderText = "/data/";
        request.patternText = "*.*";
        request.outputPath = m_dir.filePath(name);
        const PageResult page = GeneratePage(request);
        QVERIFY(page.ok);

        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);
        view.load(QUrl::fromLocalFile(page.path));
        QVERIFY(loaded.wait(30000) && loaded.first().first().toBool());
        for (const auto &[script, expected] : steps) {
            QString result;
            bool done = false;
            view.page()->runJavaScript(script, [&](const QVariant &value) {
                result = value.toString();
                done = true;
            });
            QVERIFY2(QTest::qWaitFor([&] { return done; }, 10000), qPrintable(script));
            QVERIFY2(result == expected,
                     qPrintable(script + " gave \"" + result + "\", not \"" + expected + '"'));
        }
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_state.bgBorder = m_state.bgHover = true;
        m_state.bgFileTag = { true, true, true, true, true };
        m_state.sgBackgroundColor = m_state.sgGridColor = m_state.sgFileColor = "FFFFFF";
        m_state.sgTextColor = m_state.sgDirFontColor = "000000";
        m_state.sgDirColor = m_state.sgHeaderColor = "eaeaea";
        m_state.sgHoverColor = "102030";
        m_state.sgFont = "Arial";
        m_state.sgFontSizeFILE = "8";
        m_state.sgFontSizeDIR = "9";
        m_state.versionText = "1.12.1128";
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        m_list.addFolderRow("/data/a", "/data/a", sized(3072), 2);
        m_list.addFileRow("one.txt", "/data/a", sized(1024));
        m_list.addFileRow("two.txt", "/data/a", sized(2048));
        m_list.addFolderRow("/data/b", "/data/b", sized(1024), 1);
        m_list.addFileRow("three.txt", "/data/b", sized(1024));
    }

    void toggleShowsAndHidesFiles()
    {
        const QString blocks = "document.querySelectorAll('div.more')";
        const QString display = "getComputedStyle(" + blocks + "[%1]).display";
        const QString clickFirst = "document.querySelectorAll('li a[href=\"#\"]')[0].click(); true";
        check(true, "toggle.html",
              { { blocks + ".length", "2" },
                { display.arg(0), "none" },
                { display.arg(1), "none" },
                { clickFirst, "true" },
                { display.arg(0), "block" },
                { display.arg(1), "none" },
                // The opened block shows the folder's files.
                { blocks + "[0].innerText.includes('two.txt')", "true" },
                // The link does not navigate away.
                { "location.href.endsWith('toggle.html')", "true" },
                { clickFirst, "true" },
                { display.arg(0), "none" } });
    }

    void tableRowTakesHoverColour()
    {
        const QString row = "document.querySelectorAll('tr[onmouseover]')";
        const QString colour = "getComputedStyle(" + row + "[1]).backgroundColor";
        const QString send = row + "[1].dispatchEvent(new MouseEvent('%1', {bubbles: true})); true";
        check(false, "table.html",
              { { row + ".length", "3" },
                { colour, "rgb(255, 255, 255)" },
                { send.arg("mouseover"), "true" },
                { colour, "rgb(16, 32, 48)" },
                { send.arg("mouseout"), "true" },
                { colour, "rgb(255, 255, 255)" } });
    }
};

QTEST_MAIN(TestPageInBrowser)
#include "tst_page_in_browser.moc"
