// The main window's commands driven as a user would: search a folder,
// untick a folder row, generate the page and see it in the preview, answer
// the questions, copy to the clipboard, cancel a long scan, and start
// commands while one runs.

#include "app/settings_list.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/search_command.h"
#include "support/tree_fixture.h"
#include "ui/preview_loader.h"
#include "ui/progress_painter.h"
#include "ui/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>
#include <QtTest>

#include <functional>
#include <thread>

namespace {

// The real file system, made slow: every folder takes a while to read, so
// a scan of a few dozen folders runs long enough to be cancelled or
// interrupted by a click.
class SlowFileSystem final : public FileSystem
{
public:
    static constexpr std::chrono::milliseconds kPerFolder { 8 };
    explicit SlowFileSystem(std::chrono::milliseconds perFolder = kPerFolder)
        : m_perFolder(perFolder)
    { }

    bool fileExists(const QString &path) const override { return m_real.fileExists(path); }
    bool folderExists(const QString &path) const override { return m_real.folderExists(path); }
    bool createFolder(const QString &path) override { return m_real.createFolder(path); }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        std::this_thread::sleep_for(m_perFolder);
        return m_real.listFolder(path);
    }
    std::optional<Drive> drive(const QString &path) const override { return m_real.drive(path); }
    QString typeDescription(const QByteArray &name, bool isFolder) const override
    {
        return m_real.typeDescription(name, isFolder);
    }
    std::optional<FolderHandle> openFolder(const QByteArray &path,
                                           ResultList::Properties *own) const override
    {
        return m_real.openFolder(path, own);
    }
    std::optional<FolderHandle> openSubfolder(FolderHandle parent,
                                              QByteArrayView name) const override
    {
        return m_real.openSubfolder(parent, name);
    }
    bool readFolder(FolderHandle folder,
                    const std::function<void(const EntryView &)> &entry) const override
    {
        std::this_thread::sleep_for(m_perFolder);
        return m_real.readFolder(folder, entry);
    }
    void closeFolder(FolderHandle folder) const override { m_real.closeFolder(folder); }

private:
    PosixFileSystem m_real;
    std::chrono::milliseconds m_perFolder;
};

// Records what QDesktopServices was asked to open.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

// Whether the page in the preview shows the text (false while it loads).
bool previewShows(QWebEngineView *browser, const QString &text)
{
    bool done = false;
    bool found = false;
    browser->page()->runJavaScript(
        QStringLiteral("document.body ? document.body.innerText.indexOf('%1') >= 0 : false")
            .arg(text),
        [&](const QVariant &value) {
            found = value.toBool();
            done = true;
        });
    return QTest::qWaitFor([&] { return done; }, 5000) && found;
}

// Runs `action` once, `delayMs` after the call, while a command lets window events run.
void During(int delayMs, const std::function<void()> &action)
{
    QTimer::singleShot(delayMs, action);
}

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void searchListsFolderAndCount();
    void cancelledFolderDialogKeepsList_data();
    void cancelledFolderDialogKeepsList();
    void untickedFolderInvertsItsFiles();
    void generateWritesPageAndPreviewsIt();
    void emptyListQuestion_data();
    void emptyListQuestion();
    void unwritableExportFolderSaysSo();
    void clipboardGetsExactText_data();
    void clipboardGetsExactText();
    void cancelStopsLongScan();
    void everyCancelButtonSetsFlag_data();
    void everyCancelButtonSetsFlag();
    void exitDuringScanStopsIt_data();
    void exitDuringScanStopsIt();
    void commandsRefusedWhileSearchRuns();
    void searchRefusedWhileSettingsAreListed();
    void progressBarPainting_data();
    void progressBarPainting();

private:
    template<typename T> T *control(const QString &name)
    {
        T *widget = m_run->window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
    QAbstractButton *button(const QString &name) { return control<QAbstractButton>(name); }
    ResultList &list() { return m_run->window->resultList(); }
    QLabel *label(const char *name) { return control<QLabel>(QLatin1String(name)); }
    // The small tree most tests list: two files at the top, two in "sub".
    void makeSmallTree();
    // Forty folders of five files, for scans that must run a while.
    void makeWideTree(TreeFixture &tree);
    void search(const QString &folder);
    [[nodiscard]] QStringList rowTexts();
    [[nodiscard]] bool noCommandLeftBehind();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TreeFixture> m_tree;
    std::unique_ptr<ProgramRun> m_run;
};

void TestWindowCommands::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
    m_tree = std::make_unique<TreeFixture>();
    QVERIFY(m_tree->isValid());
    m_run = std::make_unique<ProgramRun>(m_dir->path());
    QVERIFY(m_run->showAndActivate());
    frm_main &window = *m_run->window;
    window.setOptionCheck(OptionCheck::Recursive, true);
    window.setOptionCheck(OptionCheck::SkipEmptyDir, true);
    window.setOptionCheck(OptionCheck::Toggle, false);
    window.setOptionText(OptionText::EXT, QStringLiteral("*.*"));
    for (int i = 0; i < 5; ++i)
        control<QCheckBox>(QStringLiteral("chkFileTag_%1").arg(i))->setChecked(false);
    m_run->state.exportFolder = m_dir->path() + QStringLiteral("/export/");
}

void TestWindowCommands::cleanup()
{
    m_run.reset();
    m_tree.reset();
    m_dir.reset();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void TestWindowCommands::makeSmallTree()
{
    QVERIFY(m_tree->createFile("a.txt", QByteArray(1024, 'a')));
    QVERIFY(m_tree->createFile("b.dat", QByteArray(2048, 'b')));
    QVERIFY(m_tree->createFile("sub/c.txt", QByteArray(3072, 'c')));
    QVERIFY(m_tree->createFile("sub/d.txt", QByteArray(4096, 'd')));
}

void TestWindowCommands::makeWideTree(TreeFixture &tree)
{
    for (int folder = 0; folder < 40; ++folder) {
        for (int file = 0; file < 5; ++file)
            QVERIFY(tree.createFile(QStringLiteral("f%1/file%2.txt").arg(folder).arg(file),
                                    QByteArray("x")));
    }
}

void TestWindowCommands::search(const QString &folder)
{
    m_run->dialogs.folderAnswers.push_back(folder);
    button(QStringLiteral("cmdsearch"))->click();
}

QStringList TestWindowCommands::rowTexts()
{
    QStringList texts;
    for (int row = 0; row < list().count(); ++row)
        texts.append(list().text(row));
    return texts;
}

bool TestWindowCommands::noCommandLeftBehind()
{
    return !m_run->window->longCommandRunning() && QApplication::overrideCursor() == nullptr;
}

void TestWindowCommands::searchListsFolderAndCount()
{
    makeSmallTree();
    m_run->state.fileSystem = std::make_shared<SlowFileSystem>(std::chrono::milliseconds(40));
    // Seen from inside the scan, while it waits for the disk.
    bool seenScanning = false;
    QTimer sampler;
    sampler.setInterval(2);
    connect(&sampler, &QTimer::timeout, this, [&] {
        const bool listHidden = control<QTableView>(QStringLiteral("lstItems"))->isHidden();
        const bool animationShown = control<QFrame>(QStringLiteral("fraAniBack"))->isVisible();
        const bool busyPointer = QApplication::overrideCursor()
            && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        seenScanning = seenScanning || (listHidden && animationShown && busyPointer);
    });
    sampler.start();
    search(m_tree->root());

    sampler.stop();
    QVERIFY(seenScanning);
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].kind, QStringLiteral("folder"));
    QCOMPARE(m_run->dialogs.calls[0].title, QStringLiteral("gus.sdg"));
    const QString folder = m_tree->root() + u'/';
    QCOMPARE(control<QLineEdit>(QStringLiteral("txt_DBPathName"))->text(), folder);
    QCOMPARE(label("lblNewFile")->text(),
             QStringLiteral("Searching for '*' in '") + folder + QStringLiteral("' (recursive)"));

    const QStringList texts = rowTexts();
    QCOMPARE(texts.size(), 6);
    QCOMPARE(texts.mid(1, 2),
             QStringList({ QStringLiteral("    a.txt"), QStringLiteral("    b.dat") }));
    QCOMPARE(texts.mid(4, 2),
             QStringList({ QStringLiteral("    c.txt"), QStringLiteral("    d.txt") }));
    QVERIFY(list().isFolderRow(0) && list().isFolderRow(3));
    QCOMPARE(label("lbl_Status")->text(), QStringLiteral("6 items"));
    // The rows reached the view, which is shown again; the animation is gone.
    QCOMPARE(control<QTableView>(QStringLiteral("lstItems"))->model()->rowCount(), 6);
    QVERIFY(control<QTableView>(QStringLiteral("lstItems"))->isVisible());
    QVERIFY(!control<QFrame>(QStringLiteral("fraAniBack"))->isVisible());
    QVERIFY(noCommandLeftBehind());
}

void TestWindowCommands::cancelledFolderDialogKeepsList_data()
{
    QTest::addColumn<QString>("refresh");
    QTest::newRow("top bar") << QStringLiteral("cmdRefresh");
    QTest::newRow("search options tab") << QStringLiteral("cmdReadFolderAgain");
}

void TestWindowCommands::cancelledFolderDialogKeepsList()
{
    QFETCH(QString, refresh);
    makeSmallTree();
    search(m_tree->root());
    QCOMPARE(list().count(), 6);
    // "refresh array" reads the same folder again, without asking.
    QVERIFY(m_tree->createFile("e.txt", QByteArray("e")));
    button(refresh)->click();
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(list().count(), 7);
    QCOMPARE(label("lbl_Status")->text(), QStringLiteral("7 items"));

    search(QString()); // the user cancels the picker
    QCOMPARE(list().count(), 7);
    QCOMPARE(control<QLineEdit>(QStringLiteral("txt_DBPathName"))->text(), QString());
    // "refresh array" then reads the empty path box.
    button(refresh)->click();
    QCOMPARE(list().count(), 0);
    QCOMPARE(label("lbl_Status")->text(), QStringLiteral("0 items"));
    QVERIFY(noCommandLeftBehind());
}

void TestWindowCommands::untickedFolderInvertsItsFiles()
{
    makeSmallTree();
    search(m_tree->root());
    QCOMPARE(list().count(), 6);
    QAbstractItemModel *model = control<QTableView>(QStringLiteral("lstItems"))->model();
    // The user unticks c.txt by hand first, then the folder "sub".
    QVERIFY(model->setData(model->index(4, 0), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(m_run->window->currentItem(), 4);
    QVERIFY(list().checked(5));
    QVERIFY(model->setData(model->index(3, 0), Qt::Unchecked, Qt::CheckStateRole));

    QCOMPARE(m_run->window->currentItem(), 3);
    QVERIFY(list().selected(3));
    QVERIFY(!list().checked(3));
    QVERIFY(list().checked(4)); // inverted, not set to the folder's state
    QVERIFY(!list().checked(5));
    // The files of the top folder are not touched.
    QVERIFY(list().checked(0) && list().checked(1) && list().checked(2));

    // A click on a row's text makes it the current item and changes no box.
    auto *view = control<QTableView>(QStringLiteral("lstItems"));
    const QRect rowRect = view->visualRect(model->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rowRect.center() + QPoint(40, 0));
    QCOMPARE(m_run->window->currentItem(), 2);
    QVERIFY(list().checked(2) && !list().checked(5));
}

void TestWindowCommands::generateWritesPageAndPreviewsIt()
{
    makeSmallTree();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &recorder, "open");
    // Before any page was written, "open result in browser" opens nothing.
    button(QStringLiteral("cmdBrowser_1"))->click();
    QVERIFY(recorder.opened.isEmpty());

    search(m_tree->root());
    button(QStringLiteral("cmdMach_0"))->click();

    const QString page = m_dir->path() + QStringLiteral("/export/")
        + QFileInfo(m_tree->root()).fileName() + QStringLiteral(".html");
    QVERIFY(QFileInfo::exists(page));
    QCOMPARE(m_run->window->outputFile(), page);
    QCOMPARE(label("lblNewFile")->text(), QStringLiteral("List ready."));
    QCOMPARE(control<QTabWidget>(QStringLiteral("tabData"))->currentIndex(), frm_main::kTabPreview);
    QVERIFY(noCommandLeftBehind());

    QWebEngineView *browser = m_run->window->iebrowser();
    QVERIFY(browser->isVisible());
    QCOMPARE(PreviewTag(browser), QString());
    QCOMPARE(browser->url(), QUrl::fromLocalFile(page));
    QVERIFY(qobject_cast<SilentPage *>(browser->page()));
    // The page in the preview is the one written: its rows are there.
    // (The preview reloads the page once more after the first load.)
    QVERIFY(QTest::qWaitFor(
        [&] {
            return previewShows(browser, QStringLiteral("c.txt"))
                && previewShows(browser, QStringLiteral("b.dat"));
        },
        20000));

    // The generator's bar ends full, in its own colour.
    const QImage bar = control<QWidget>(QStringLiteral("picProgress"))->grab().toImage();
    QCOMPARE(bar.pixelColor(bar.width() - 3, bar.height() / 2), QColor(207, 207, 255));

    button(QStringLiteral("cmdBrowser_0"))->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(recorder.opened, QList<QUrl>({ QUrl::fromLocalFile(page) }));
}

void TestWindowCommands::emptyListQuestion_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No: nothing written") << false;
    QTest::newRow("Yes: read again, then written") << true;
}

void TestWindowCommands::emptyListQuestion()
{
    QFETCH(bool, answer);
    makeSmallTree();
    // A loaded settings file fills the path box; the list is still empty.
    m_run->window->setOptionText(OptionText::DBPathName, m_tree->root() + u'/');
    QWebEngineView *browser = m_run->window->iebrowser();
    QVERIFY(!browser->isHidden());
    m_run->dialogs.yesNoAnswers.push_back(answer);
    button(QStringLiteral("cmdMach_1"))->click();

    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].kind, QStringLiteral("yesno"));
    QCOMPARE(m_run->dialogs.calls[0].filter,
             QStringLiteral("Array not generated. Read folder again?"));
    const QStringList written = QDir(m_dir->path() + QStringLiteral("/export"))
                                    .entryList({ QStringLiteral("*.html") }, QDir::Files);
    QVERIFY(noCommandLeftBehind());
    if (!answer) {
        QVERIFY(written.isEmpty());
        QVERIFY(m_run->window->outputFile().isEmpty());
        QVERIFY(browser->isHidden());
        QCOMPARE(label("lblNewFile")->text(), QString());
        QCOMPARE(list().count(), 0);
        return;
    }
    QCOMPARE(list().count(), 6);
    QCOMPARE(label("lbl_Status")->text(), QStringLiteral("6 items"));
    QCOMPARE(written.size(), 1);
    QCOMPARE(label("lblNewFile")->text(), QStringLiteral("List ready."));
    QVERIFY(browser->isVisible());
}

void TestWindowCommands::unwritableExportFolderSaysSo()
{
    makeSmallTree();
    // Under a regular file no folder can be made, whoever runs the test.
    QFile blocker(m_dir->filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_run->state.exportFolder = blocker.fileName() + QStringLiteral("/export/");
    search(m_tree->root());
    button(QStringLiteral("cmdMach_0"))->click();

    const QString status = label("lblNewFile")->text();
    QVERIFY2(status != QStringLiteral("List ready."), qPrintable(status));
    QVERIFY2(status.startsWith(QStringLiteral("List not written: ")), qPrintable(status));
    QVERIFY2(status.contains(m_run->state.exportFolder), qPrintable(status));
    QVERIFY(!status.contains(u'\n'));
    QVERIFY(m_run->window->outputFile().isEmpty());
    QVERIFY(control<QTabWidget>(QStringLiteral("tabData"))->currentIndex()
            != frm_main::kTabPreview);
    QVERIFY(noCommandLeftBehind());
}

void TestWindowCommands::clipboardGetsExactText_data()
{
    QTest::addColumn<bool>("withFiles");
    QTest::addColumn<bool>("sizeTicked");
    QTest::newRow("files, no columns") << true << false;
    QTest::newRow("files, size") << true << true;
    QTest::newRow("folders only, no columns") << false << false;
    QTest::newRow("folders only, size") << false << true;
}

void TestWindowCommands::clipboardGetsExactText()
{
    QFETCH(bool, withFiles);
    QFETCH(bool, sizeTicked);
    makeSmallTree();
    search(m_tree->root());
    QCOMPARE(list().count(), 6);
    control<QCheckBox>(QStringLiteral("chkFileTag_0"))->setChecked(sizeTicked);
    QGuiApplication::clipboard()->setText(QStringLiteral("old text"));
    m_run->dialogs.yesNoAnswers.push_back(withFiles);
    button(QStringLiteral("cmdcopy"))->click();

    QCOMPARE(m_run->dialogs.calls.size(), 2);
    QCOMPARE(m_run->dialogs.calls[1].kind, QStringLiteral("yesno"));
    QCOMPARE(m_run->dialogs.calls[1].title, QStringLiteral(" K I V "));
    QCOMPARE(m_run->dialogs.calls[1].filter, QStringLiteral("print files in output?"));

    // Sizes in KiB: the files 1, 2, 3 and 4; "sub" holds 7, the top folder 10.
    const QString folder = m_tree->root() + u'/';
    const QString tab(u'\t');
    const auto sized = [&](const QString &text, const char *size) -> QString {
        return text + (withFiles ? tab : QString())
            + (sizeTicked ? tab + QLatin1String(size) + tab : QString());
    };
    QString expected = folder + QStringLiteral("\r\n");
    expected += QStringLiteral("\r\n") + sized(list().text(0), "10");
    if (withFiles) {
        expected += QStringLiteral("\r\n") + sized(QStringLiteral("    a.txt"), "1");
        expected += QStringLiteral("\r\n") + sized(QStringLiteral("    b.dat"), "2");
    }
    expected += QStringLiteral("\r\n") + sized(list().text(3), "7");
    if (withFiles) {
        expected += QStringLiteral("\r\n") + sized(QStringLiteral("    c.txt"), "3");
        expected += QStringLiteral("\r\n") + sized(QStringLiteral("    d.txt"), "4");
    }
    const QString actual = QGuiApplication::clipboard()->text();
    if (actual != expected) {
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        qWarning("first difference at %lld: got \"%s\", expected \"%s\"", qint64(at),
                 actual.mid(qMax(0, at - 10), 30).toUtf8().toPercentEncoding().constData(),
                 expected.mid(qMax(0, at - 10), 30).toUtf8().toPercentEncoding().constData());
    }
    QCOMPARE(actual, expected);
    // The bar is reset at the end: nothing in the clipboard colour is left.
    const QImage bar = control<QWidget>(QStringLiteral("picProgress"))->grab().toImage();
    QVERIFY(bar.pixelColor(bar.width() / 2, bar.height() / 2) != QColor(192, 160, 192));
    QVERIFY(noCommandLeftBehind());
}

void TestWindowCommands::cancelStopsLongScan()
{
    makeWideTree(*m_tree);
    constexpr int kAllRows = 40 * 6; // the top folder holds no file: skipped
    m_run->state.fileSystem = std::make_shared<SlowFileSystem>();
    During(3 * SlowFileSystem::kPerFolder.count(),
           [&] { button(QStringLiteral("cmdCancel_3"))->click(); });
    QElapsedTimer clock;
    clock.start();
    search(m_tree->root());

    QVERIFY(m_run->state.bgCancel);
    QVERIFY2(list().count() < kAllRows, qPrintable(QString::number(list().count())));
    QCOMPARE(label("lbl_Status")->text(), ItemCountText(list().count()));
    QVERIFY(control<QTableView>(QStringLiteral("lstItems"))->isVisible());
    QVERIFY(!control<QFrame>(QStringLiteral("fraAniBack"))->isVisible());
    QVERIFY(noCommandLeftBehind());

    // The next search clears the flag and lists everything.
    m_run->state.fileSystem = std::make_shared<PosixFileSystem>();
    search(m_tree->root());
    QVERIFY(!m_run->state.bgCancel);
    QCOMPARE(list().count(), kAllRows);
}

void TestWindowCommands::everyCancelButtonSetsFlag_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < 4; ++i)
        QTest::addRow("cmdCancel_%d", i) << i;
}

void TestWindowCommands::everyCancelButtonSetsFlag()
{
    QFETCH(int, index);
    makeSmallTree();
    // With nothing running the button only sets the flag ...
    button(QStringLiteral("cmdCancel_%1").arg(index))->click();
    QVERIFY(m_run->state.bgCancel);
    QCOMPARE(list().count(), 0);
    // ... and the next search clears it before it starts.
    search(m_tree->root());
    QVERIFY(!m_run->state.bgCancel);
    QCOMPARE(list().count(), 6);
}

void TestWindowCommands::exitDuringScanStopsIt_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("exit button") << true;
    QTest::newRow("window closed") << false;
}

void TestWindowCommands::exitDuringScanStopsIt()
{
    QFETCH(bool, byButton);
    makeWideTree(*m_tree);
    m_run->state.fileSystem = std::make_shared<SlowFileSystem>();
    During(3 * SlowFileSystem::kPerFolder.count(), [&] {
        if (byButton)
            button(QStringLiteral("cmdexit"))->click();
        else
            m_run->window->close();
    });
    search(m_tree->root());
    // The window is closed and the scan ended early instead of running on for it.
    QVERIFY(!m_run->window->isVisible());
    QVERIFY(list().count() < 40 * 6);
    QVERIFY(noCommandLeftBehind());
    QCOMPARE(StoredValue(QStringLiteral("txt_DBPathName")), m_tree->root() + u'/');
}

void TestWindowCommands::commandsRefusedWhileSearchRuns()
{
    makeWideTree(*m_tree);
    TreeFixture other;
    QVERIFY(other.createFile("only.txt", QByteArray("x")));
    constexpr int kAllRows = 40 * 6; // the top folder holds no file: skipped
    m_run->state.fileSystem = std::make_shared<SlowFileSystem>();
    m_run->dialogs.yesNoAnswers = { true, true };
    bool busy = false;
    During(2 * SlowFileSystem::kPerFolder.count(), [&] {
        busy = m_run->window->longCommandRunning();
        search(other.root()); // a second search
        for (const char *name : { "cmdRefresh", "cmdReadFolderAgain", "cmdMach_0", "cmdMach_1",
                                  "cmdcopy", "cmdBrowseSettingsPath" })
            button(QLatin1String(name))->click();
    });
    search(m_tree->root());

    QVERIFY(busy);
    // Only the first search asked anything; the others did not start.
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(control<QLineEdit>(QStringLiteral("txt_DBPathName"))->text(), m_tree->root() + u'/');
    QCOMPARE(list().count(), kAllRows);
    QCOMPARE(label("lbl_Status")->text(), ItemCountText(kAllRows));
    QVERIFY(QDir(m_dir->path() + QStringLiteral("/export")).entryList(QDir::Files).isEmpty());
    QVERIFY(noCommandLeftBehind());

    // Once it has ended, the next search runs.
    m_run->dialogs.folderAnswers.clear();
    m_run->state.fileSystem = std::make_shared<PosixFileSystem>();
    search(other.root());
    QCOMPARE(list().count(), 2);
}

void TestWindowCommands::searchRefusedWhileSettingsAreListed()
{
    makeSmallTree();
    TreeFixture settings;
    for (int folder = 0; folder < 30; ++folder)
        QVERIFY(settings.createFile(QStringLiteral("s%1/a.kiv").arg(folder), QByteArray()));
    m_run->state.fileSystem = std::make_shared<SlowFileSystem>();
    bool busy = false;
    During(3 * SlowFileSystem::kPerFolder.count(), [&] {
        busy = m_run->window->longCommandRunning();
        search(m_tree->root());
    });
    m_run->dialogs.folderAnswers.push_back(settings.root());
    button(QStringLiteral("cmdBrowseSettingsPath"))->click();

    QVERIFY(busy);
    QCOMPARE(m_run->dialogs.calls.size(), 1); // the settings folder only
    QCOMPARE(m_run->window->settingsList().rowCount(), 30);
    QCOMPARE(list().count(), 0);
    QVERIFY(noCommandLeftBehind());
}

void TestWindowCommands::progressBarPainting_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<quint32>("colour");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("generation 50") << 50 << ProgressColours::kGeneration << QColor(207, 207, 255);
    QTest::newRow("clipboard 75") << 75 << ProgressColours::kClipboard << QColor(192, 160, 192);
    QTest::newRow("generation 100") << 100 << ProgressColours::kGeneration << QColor(207, 207, 255);
    QTest::newRow("reset") << 0 << ProgressColours::kReset << QColor();
}

void TestWindowCommands::progressBarPainting()
{
    QFETCH(int, value);
    QFETCH(quint32, colour);
    QFETCH(QColor, shown);
    auto *box = control<QWidget>(QStringLiteral("picProgress"));
    DrawProgress(box, 64, ProgressColours::kClipboard); // something to paint over
    DrawProgress(box, qint16(value), colour);
    const QImage image = box->grab().toImage();
    const QImage empty = [&] {
        QImage blank(image.size(), image.format());
        blank.fill(box->palette().color(QPalette::Base));
        return blank;
    }();
    if (!shown.isValid()) {
        // Value 0: no bar and no text.
        QCOMPARE(image, empty);
        return;
    }
    const int barEnd = value * box->width() / 100;
    const int y = box->height() / 2;
    // The bar starts below the top line, at x 1, and ends at barEnd.
    QCOMPARE(image.pixelColor(barEnd - 1 > box->width() - 1 ? box->width() - 1 : barEnd - 1, y),
             shown);
    QCOMPARE(image.pixelColor(barEnd / 2 + 20, 0), box->palette().color(QPalette::Base));
    QCOMPARE(image.pixelColor(0, y), box->palette().color(QPalette::Base));
    if (barEnd + 2 < box->width())
        QCOMPARE(image.pixelColor(barEnd + 2, y), box->palette().color(QPalette::Base));
    // The percentage is printed at the left: some pixels there are neither bar nor background.
    bool text = false;
    for (int x = 1; x < 40 && !text; ++x) {
        for (int row = 0; row < image.height() && !text; ++row) {
            const QColor pixel = image.pixelColor(x, row);
            text = pixel != shown && pixel != box->palette().color(QPalette::Base);
        }
    }
    QVERIFY(text);
}

QTEST_MAIN(TestWindowCommands)
#include "tst_window_commands.moc"
