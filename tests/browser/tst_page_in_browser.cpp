// The page's script and hover attributes at work in Qt WebEngine: a click on
// a folder header opens its file table and a second click closes it; in
// table mode a file row takes the hover colour under the mouse.
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

    QString writePage(bool toggle, const QString &name)
    {
        m_state.bgToggle = toggle;
        PageRequest request;
        request.list = &m_list;
        request.counters = &m_counters;
        request.state = &m_state;
        request.folderText = QStringLiteral("/data/");
        request.patternText = QStringLiteral("*.*");
        request.outputPath = m_dir.filePath(name);
        const PageResult result = GeneratePage(request);
        return result.ok ? result.path : QString();
    }

    // Loads the page and waits until it is there.
    bool load(QWebEngineView &view, const QString &path)
    {
        QSignalSpy loaded(view.page(), &QWebEnginePage::loadFinished);
        view.load(QUrl::fromLocalFile(path));
        return loaded.wait(30000) && loaded.first().first().toBool();
    }

    // Runs a script and waits for its result.
    QVariant evaluate(QWebEngineView &view, const QString &script)
    {
        QVariant result;
        bool done = false;
        view.page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 10000))
            return QStringLiteral("no answer from the page");
        return result;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_state.bgBorder = true;
        m_state.bgHover = true;
        m_state.bgFileTag = { true, true, true, true, true };
        m_state.sgBackgroundColor = QStringLiteral("FFFFFF");
        m_state.sgGridColor = QStringLiteral("FFFFFF");
        m_state.sgTextColor = QStringLiteral("000000");
        m_state.sgDirColor = QStringLiteral("eaeaea");
        m_state.sgDirFontColor = QStringLiteral("000000");
        m_state.sgHeaderColor = QStringLiteral("eaeaea");
        m_state.sgFileColor = QStringLiteral("ffffff");
        m_state.sgHoverColor = QStringLiteral("102030");
        m_state.sgFont = QStringLiteral("Arial");
        m_state.sgFontSizeFILE = QStringLiteral("8");
        m_state.sgFontSizeDIR = QStringLiteral("9");
        m_state.versionText = QStringLiteral("1.12.1128");
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        m_list.addFolderRow(QStringLiteral("/data/a"), "/data/a", sized(3072), 2);
        m_list.addFileRow("one.txt", "/data/a", sized(1024));
        m_list.addFileRow("two.txt", "/data/a", sized(2048));
        m_list.addFolderRow(QStringLiteral("/data/b"), "/data/b", sized(1024), 1);
        m_list.addFileRow("three.txt", "/data/b", sized(1024));
    }

    void toggleShowsAndHidesFiles()
    {
        const QString path = writePage(true, QStringLiteral("toggle.html"));
        QVERIFY(!path.isEmpty());
        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        QVERIFY(load(view, path));

        const QString display
            = QStringLiteral("getComputedStyle(document.querySelectorAll('div.more')[%1]).display");
        const QString clickFirst
            = QStringLiteral("document.querySelectorAll('li a[href=\"#\"]')[0].click(); true");
        QCOMPARE(
            evaluate(view, QStringLiteral("document.querySelectorAll('div.more').length")).toInt(),
            2);
        QCOMPARE(evaluate(view, display.arg(0)).toString(), QStringLiteral("none"));
        QCOMPARE(evaluate(view, display.arg(1)).toString(), QStringLiteral("none"));

        QVERIFY(evaluate(view, clickFirst).toBool());
        QCOMPARE(evaluate(view, display.arg(0)).toString(), QStringLiteral("block"));
        QCOMPARE(evaluate(view, display.arg(1)).toString(), QStringLiteral("none"));
        // The opened block shows the folder's files.
        QCOMPARE(evaluate(view,
                          QStringLiteral("document.querySelectorAll('div.more')[0]"
                                         ".innerText.includes('two.txt')"))
                     .toBool(),
                 true);
        // The link does not navigate away.
        QVERIFY(evaluate(view, QStringLiteral("location.href"))
                    .toString()
                    .endsWith(QStringLiteral("toggle.html")));

        QVERIFY(evaluate(view, clickFirst).toBool());
        QCOMPARE(evaluate(view, display.arg(0)).toString(), QStringLiteral("none"));
    }

    void tableRowTakesHoverColour()
    {
        const QString path = writePage(false, QStringLiteral("table.html"));
        QVERIFY(!path.isEmpty());
        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        QVERIFY(load(view, path));

        const QString colour = QStringLiteral(
            "getComputedStyle(document.querySelectorAll('tr[onmouseover]')[1]).backgroundColor");
        const QString send
            = QStringLiteral("document.querySelectorAll('tr[onmouseover]')[1].dispatchEvent("
                             "new MouseEvent('%1', {bubbles: true})); true");
        QCOMPARE(
            evaluate(view, QStringLiteral("document.querySelectorAll('tr[onmouseover]').length"))
                .toInt(),
            3);
        QCOMPARE(evaluate(view, colour).toString(), QStringLiteral("rgb(255, 255, 255)"));
        QVERIFY(evaluate(view, send.arg(QStringLiteral("mouseover"))).toBool());
        QCOMPARE(evaluate(view, colour).toString(), QStringLiteral("rgb(16, 32, 48)"));
        QVERIFY(evaluate(view, send.arg(QStringLiteral("mouseout"))).toBool());
        QCOMPARE(evaluate(view, colour).toString(), QStringLiteral("rgb(255, 255, 255)"));
    }
};

QTEST_MAIN(TestPageInBrowser)
#include "tst_page_in_browser.moc"
