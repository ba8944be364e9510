// Pages in a real browser engine (Qt WebEngine, headless), shown the way the
// preview shows them: a click on a folder header opens its file table and a
// second click closes it; in table mode a file row takes the hover colour
// under the mouse; the filter box hides and shows rows and folders as typed;
// every file link of a tree of odd names reaches its file and shows its
// name; and the preview keeps a page from reading other local files or
// reaching anything beyond it.
#include "app/program_state.h"
#include "output/page_generator.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"
#include "support/filter_box_steps.h"
#include "support/page_markup.h"
#include "support/tree_fixture.h"
#include "ui/preview_loader.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <QtTest>

#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// One step in the page: a script and the text of its result.
using Steps = QList<std::pair<QString, QString>>;

constexpr int kLoadLimitMs = 30000;

ResultList::Properties sized(qint64 bytes)
{
    ResultList::Properties properties;
    properties.sizeBytes = bytes;
    return properties;
}

// Runs a script in the page and gives its result as text.
QString run(QWebEnginePage *page, const QString &script)
{
    QString result;
    bool done = false;
    page->runJavaScript(script, [&](const QVariant &value) {
        result = value.toString();
        done = true;
    });
    if (!QTest::qWaitFor([&] { return done; }, 10000))
        return QStringLiteral("(no answer to ") + script + u')';
    return result;
}

// Shows the file as the preview does, in a shown view of a usual size, and
// waits for the preview's reload.
bool showInPreview(QWebEngineView &view, const QString &file)
{
    view.resize(800, 600);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    if (!LoadPageIntoPreview(&view, file, kLoadLimitMs))
        return false;
    return QTest::qWaitFor([&] { return loaded.size() >= 2; }, kLoadLimitMs)
        && loaded.last().first().toBool();
}

// The name a page shows for file-system bytes: each undecodable byte and
// each C1 character as U+FFFD, blanks at the ends dropped.
QString shownName(const QByteArray &name)
{
    QString text = QString::fromUtf8(name);
    for (QChar &c : text) {
        if (c.unicode() >= 0x80 && c.unicode() <= 0x9F)
            c = QChar::ReplacementCharacter;
    }
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ')
        ++first;
    while (end > first && text[end - 1] == u' ')
        --end;
    return text.mid(first, end - first);
}

// The path bytes a link leads to, as the browser resolved it.
QByteArray pathOfFileUrl(const QString &href)
{
    return PageMarkup::filePath(href).value_or("(not a file URL: " + href.toUtf8() + ')');
}

// Whether the path bytes name a file of this type (S_IFREG, S_IFDIR).
bool isA(const QByteArray &path, mode_t type)
{
    struct stat status;
    return ::stat(path.constData(), &status) == 0 && (status.st_mode & S_IFMT) == type;
}

// A local web server that notes the path of every request made to it and
// answers each with "not found".
class RequestLog
{
public:
    RequestLog()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    if (!socket->canReadLine())
                        return;
                    const QList<QByteArray> request = socket->readLine().split(' ');
                    m_paths.insert(QString::fromLatin1(request.value(1)));
                    socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
        m_server.listen(QHostAddress::LocalHost);
    }
    [[nodiscard]] bool isListening() const { return m_server.isListening(); }
    [[nodiscard]] QString url(const QString &path, const char *scheme = "http") const
    {
        return QStringLiteral("%1://127.0.0.1:%2/%3")
            .arg(QLatin1String(scheme))
            .arg(m_server.serverPort())
            .arg(path);
    }
    // The paths asked for so far, sorted.
    [[nodiscard]] QString paths() const
    {
        QStringList sorted(m_paths.begin(), m_paths.end());
        sorted.sort();
        return sorted.join(u' ');
    }

private:
    QTcpServer m_server;
    QSet<QString> m_paths;
};

} // namespace

class TestPageInBrowser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    ProgramState m_state;
    ResultList m_list;
    ScanCounters m_counters;

    PageResult writePage(bool toggle, const QString &folderText, const QString &name)
    {
        m_state.bgToggle = toggle;
        PageRequest request;
        request.list = &m_list;
        request.counters = &m_counters;
        request.state = &m_state;
        request.folderText = folderText;
        request.patternText = QStringLiteral("*.*");
        request.outputPath = m_dir.filePath(name);
        return GeneratePage(request);
    }

    // Writes the page of m_list, shows it in the preview and runs the steps
    // in order.
    void check(bool toggle, const QString &name, const Steps &steps)
    {
        const PageResult page = writePage(toggle, QStringLiteral("/data/"), name);
        QVERIFY(page.ok);

        QWebEngineView view;
        QVERIFY(showInPreview(view, page.path));
        for (const auto &[script, expected] : steps) {
            const QString result = run(view.page(), script);
            QVERIFY2(result == expected,
                     qPrintable(script + QStringLiteral(" gave \"") + result
                                + QStringLiteral("\", not \"") + expected + u'"'));
        }
    }

    void setSmallList()
    {
        m_list.clear();
        m_list.addFolderRow(QStringLiteral("/data/a"), "/data/a", sized(3072), 2);
        m_list.addFileRow("one.txt", "/data/a", sized(1024));
        m_list.addFileRow("two.txt", "/data/a", sized(2048));
        m_list.addFolderRow(QStringLiteral("/data/b"), "/data/b", sized(1024), 1);
        m_list.addFileRow("three.txt", "/data/b", sized(1024));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_state.bgBorder = m_state.bgHover = true;
        m_state.bgFileTag = { true, true, true, true, true };
        m_state.sgBackgroundColor = m_state.sgGridColor = m_state.sgFileColor
            = QStringLiteral("FFFFFF");
        m_state.sgTextColor = m_state.sgDirFontColor = QStringLiteral("000000");
        m_state.sgDirColor = m_state.sgHeaderColor = QStringLiteral("eaeaea");
        m_state.sgHoverColor = QStringLiteral("102030");
        m_state.sgFont = QStringLiteral("Arial");
        m_state.sgFontSizeFILE = QStringLiteral("8");
        m_state.sgFontSizeDIR = QStringLiteral("9");
        m_state.versionText = QStringLiteral("1.12.1128");
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void toggleShowsAndHidesFiles()
    {
        setSmallList();
        const QString blocks = QStringLiteral("document.querySelectorAll('div.more')");
        const QString display
            = QStringLiteral("getComputedStyle(") + blocks + QStringLiteral("[%1]).display");
        const QString clickFirst
            = QStringLiteral("document.querySelectorAll('li a[href=\"#\"]')[0].click(); true");
        check(true, QStringLiteral("toggle.html"),
              { { blocks + QStringLiteral(".length"), QStringLiteral("2") },
                { display.arg(0), QStringLiteral("none") },
                { display.arg(1), QStringLiteral("none") },
                { clickFirst, QStringLiteral("true") },
                { display.arg(0), QStringLiteral("block") },
                { display.arg(1), QStringLiteral("none") },
                // The opened block shows the folder's files.
                { blocks + QStringLiteral("[0].innerText.includes('two.txt')"),
                  QStringLiteral("true") },
                // The link does not navigate away.
                { QStringLiteral("location.href.endsWith('toggle.html')"), QStringLiteral("true") },
                { clickFirst, QStringLiteral("true") },
                { display.arg(0), QStringLiteral("none") } });
    }

    void tableRowTakesHoverColour()
    {
        setSmallList();
        const QString row = QStringLiteral("document.querySelectorAll('tr[onmouseover]')");
        const QString colour
            = QStringLiteral("getComputedStyle(") + row + QStringLiteral("[1]).backgroundColor");
        const QString send = row
            + QStringLiteral("[1].dispatchEvent(new MouseEvent('%1', {bubbles: true})); true");
        check(false, QStringLiteral("table.html"),
              { { row + QStringLiteral(".length"), QStringLiteral("3") },
                { colour, QStringLiteral("rgb(255, 255, 255)") },
                { send.arg(QStringLiteral("mouseover")), QStringLiteral("true") },
                { colour, QStringLiteral("rgb(16, 32, 48)") },
                { send.arg(QStringLiteral("mouseout")), QStringLiteral("true") },
                { colour, QStringLiteral("rgb(255, 255, 255)") } });
    }

    void filterBox_data() { FilterBoxSteps::addWalks(); }

    void filterBox()
    {
        const FilterBoxSteps::Walk walk = FilterBoxSteps::currentWalk(m_dir.path());
        QVERIFY(walk.page.ok);

        QWebEngineView view;
        QVERIFY(showInPreview(view, walk.page.path));
        struct
        {
            QWebEngineView &view;
            QString evaluate(const QString &script) { return run(view.page(), script); }
            void typeKeys(const QString &text) { QTest::keyClicks(view.focusProxy(), text); }
        } browser { view };
        QCOMPARE(browser.evaluate(FilterBoxSteps::helpers()), QStringLiteral("true"));
        FilterBoxSteps::runSteps(browser, walk.steps);
    }

    void oddNamesReachTheirFiles_data()
    {
        QTest::addColumn<bool>("toggle");
        QTest::newRow("table") << false;
        QTest::newRow("toggle") << true;
    }

    // Every file link leads to its file and shows the file's name (blanks
    // at the ends aside), whatever characters the name holds.
    void oddNamesReachTheirFiles()
    {
        QFETCH(bool, toggle);
        TreeFixture tree;
        QVERIFY(tree.isValid());
        const QByteArray oddFolder = "odd #?% \xC2\x85 dir\xFF";
        QVERIFY(::mkdir(tree.pathBytes(oddFolder).constData(), 0755) == 0);
        const QList<QByteArray> names {
            "c1\xC2\x85x\xC2\x9F.txt",
            "\ttab at the start.txt",
            "tab at the end.txt\t",
            "\nline break at the start.txt",
            "line break at the end.txt\n",
            "carriage return at the end.txt\r",
            "\xE3\x80\x80ideographic spaces.txt\xE3\x80\x80",
            "\xC2\xA0no-break spaces.txt\xC2\xA0",
            "  blanks around.txt  ",
            "#hash.txt",
            "50% off.txt",
            "what?.txt",
            "back\\slash.txt",
            "\"double\" and 'single'.txt",
            "<b>less than.txt",
            "this & that.txt",
            "javascript:alert(1).txt",
            "line\xE2\x80\xA8separator.txt",
            "not utf-8 \xFF\xFE.txt",
            oddFolder + "/inner \xC2\x80.txt",
        };
        std::map<QByteArray, QString> expected; // path bytes -> shown name
        for (const QByteArray &name : names) {
            // Made here, not by the fixture, whose parent folders are UTF-8.
            const int fd = ::open(tree.pathBytes(name).constData(), O_WRONLY | O_CREAT, 0644);
            QVERIFY2(fd >= 0, name.constData());
            ::close(fd);
            expected[tree.pathBytes(name)] = shownName(name.mid(name.lastIndexOf('/') + 1));
        }

        SearchSteps steps;
        steps.browseForFolder = [&] { return tree.root(); };
        m_state.bgRecursive = true;
        m_state.bgSkipEmptyDir = false;
        m_state.bgLink = true;
        int currentItem = -1;
        QString pathBox;
        const PosixFileSystem fileSystem;
        const SearchContext search { fileSystem, m_state.bgCancel, m_state.bgRecursive,
                                     m_state.bgSkipEmptyDir };
        RunSearch(search, m_list, m_counters, currentItem, pathBox, QStringLiteral("*.*"), steps);
        const PageResult page
            = writePage(toggle, pathBox,
                        toggle ? QStringLiteral("odd-toggle.html") : QStringLiteral("odd.html"));
        m_state.bgLink = false;
        QVERIFY(page.ok);

        QWebEngineView view;
        QVERIFY(showInPreview(view, page.path));
        const QString links
            = run(view.page(),
                  QStringLiteral("JSON.stringify(Array.from(document.querySelectorAll('td.FILE a'),"
                                 " a => [a.href, a.textContent]))"));
        const QJsonArray found = QJsonDocument::fromJson(links.toUtf8()).array();
        QCOMPARE(found.size(), qsizetype(expected.size()));
        for (const QJsonValue &link : found) {
            const QString href = link[0].toString();
            const QByteArray path = pathOfFileUrl(href);
            const auto file = expected.find(path);
            QVERIFY2(file != expected.end(), qPrintable(QStringLiteral("no such file: ") + href));
            QVERIFY2(isA(path, S_IFREG), qPrintable(href));
            QCOMPARE(link[1].toString(), file->second);
            expected.erase(file);
        }

        // Folder links too reach their folders, the odd one included.
        const QString folders = run(
            view.page(),
            QStringLiteral("JSON.stringify(Array.from(document.querySelectorAll('td.DIR > a'),"
                           " a => a.href))"));
        const QJsonArray folderLinks = QJsonDocument::fromJson(folders.toUtf8()).array();
        QCOMPARE(folderLinks.size(), toggle ? 0 : 2);
        for (const QJsonValue &link : folderLinks)
            QVERIFY2(isA(pathOfFileUrl(link.toString()), S_IFDIR), qPrintable(link.toString()));
        m_list.clear();
    }

    void previewKeepsThePageToItself_data()
    {
        QTest::addColumn<bool>("preview");
        QTest::newRow("a permissive page reads and reaches out") << false;
        QTest::newRow("the preview does neither") << true;
    }

    // A page whose script reads another local file, loads an image from
    // another file URL, reaches a web server in four ways and moves itself
    // elsewhere. In a page that allows local pages everything all of it
    // works, which shows that the probes do; the preview refuses all of it,
    // and follows a link only when the user clicks it.
    void previewKeepsThePageToItself()
    {
        QFETCH(bool, preview);
        RequestLog server;
        QVERIFY(server.isListening());
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const auto write = [&](const QString &name, const QByteArray &bytes) {
            QFile file(dir.filePath(name));
            return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
        };
        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(dir.filePath(QStringLiteral("picture.png"))));
        QVERIFY(write(QStringLiteral("secret.txt"), "SECRET"));
        QVERIFY(write(QStringLiteral("other.html"), "<html><body>other</body></html>"));
        const QString probe = QStringLiteral(R"(<html><body>
<a id="go" href="other.html" style="font-size:40px">go</a>
<script>
var results = {};
var xhr = new XMLHttpRequest();
xhr.onload = function() { results.xhr = xhr.responseText === "SECRET" ? "read" : "blocked"; };
xhr.onerror = function() { results.xhr = "blocked"; };
try { xhr.open("GET", "secret.txt"); xhr.send(); } catch (e) { results.xhr = "blocked"; }
var image = new Image();
image.onload = function() { results.image = "loaded"; };
image.onerror = function() { results.image = "blocked"; };
image.src = "picture.png";
var remote = new Image();
remote.onload = remote.onerror = function() { results.remote = "done"; };
remote.src = "@IMAGE@";
fetch("@FETCH@", { mode: "no-cors" }).catch(function() {});
try { new WebSocket("@SOCKET@"); } catch (e) {}
var frame = document.createElement("iframe");
frame.src = "@FRAME@";
document.body.appendChild(frame);
</script></body></html>)");
        QVERIFY(write(
            QStringLiteral("probe.html"),
            QString(probe)
                .replace(QStringLiteral("@IMAGE@"), server.url(QStringLiteral("image")))
                .replace(QStringLiteral("@FETCH@"), server.url(QStringLiteral("fetch")))
                .replace(QStringLiteral("@SOCKET@"), server.url(QStringLiteral("socket"), "ws"))
                .replace(QStringLiteral("@FRAME@"), server.url(QStringLiteral("frame")))
                .toUtf8()));
        const QUrl probeUrl = QUrl::fromLocalFile(dir.filePath(QStringLiteral("probe.html")));

        QWebEngineView view;
        view.resize(800, 600);
        view.show();
        if (preview) {
            QVERIFY(showInPreview(view, dir.filePath(QStringLiteral("probe.html"))));
        } else {
            QWebEngineSettings *settings = view.page()->settings();
            settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
            settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
            QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
            view.load(probeUrl);
            QVERIFY(loaded.wait(kLoadLimitMs));
        }
        QTRY_COMPARE_WITH_TIMEOUT(
            run(view.page(), QStringLiteral("[results.xhr, results.image, results.remote].join()")),
            preview ? QStringLiteral("blocked,blocked,done") : QStringLiteral("read,loaded,done"),
            10000);
        if (!preview)
            QTRY_COMPARE_WITH_TIMEOUT(server.paths(),
                                      QStringLiteral("/fetch /frame /image /socket"), 10000);

        // A script moving the page to the web server: the permissive page
        // goes; the preview stays (given the time the other page needs).
        run(view.page(),
            QStringLiteral("location.href = '") + server.url(QStringLiteral("moved"))
                + QStringLiteral("'; true"));
        if (!preview) {
            QTRY_COMPARE_WITH_TIMEOUT(server.paths(),
                                      QStringLiteral("/fetch /frame /image /moved /socket"), 10000);
            return;
        }
        QTest::qWait(1000);
        QCOMPARE(server.paths(), QString());
        QCOMPARE(view.url(), probeUrl);

        // A link the user clicks is followed.
        const QStringList centre
            = run(view.page(),
                  QStringLiteral("var r = document.getElementById('go').getBoundingClientRect();"
                                 " [Math.round(r.left + r.width / 2), Math.round(r.top + r.height "
                                 "/ 2)].join()"))
                  .split(u',');
        QCOMPARE(centre.size(), 2);
        QWidget *surface = view.focusProxy();
        QVERIFY(surface);
        QTest::mouseClick(surface, Qt::LeftButton, {},
                          QPoint(centre[0].toInt(), centre[1].toInt()));
        QTRY_COMPARE_WITH_TIMEOUT(
            view.url(), QUrl::fromLocalFile(dir.filePath(QStringLiteral("other.html"))), 10000);
    }
};

QTEST_MAIN(TestPageInBrowser)
#include "tst_page_in_browser.moc"
