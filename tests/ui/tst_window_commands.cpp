// The main window's commands driven as a user would: search a folder,
// generate the page, answer the questions, copy to the clipboard, cancel a
// long scan, and start commands while one runs.
#undef QT_NO_CAST_FROM_ASCII
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/search_command.h"
#include "support/pipe_watchdog.h"
#include "support/tree_fixture.h"
#include "ui/status_line.h"
#include "ui/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QWebEngineView>
#include <QtTest>

#include <sys/stat.h>
#include <thread>

namespace {

// The real file system, made slow, so a scan of a few dozen folders runs
// long enough to be interrupted by a click.
class SlowFileSystem final : public FileSystem
{
public:
    static constexpr std::chrono::milliseconds kPerFolder { 8 };

    bool fileExists(const QString &path) const override { return m_real.fileExists(path); }
    bool folderExists(const QString &path) const override { return m_real.folderExists(path); }
    bool createFolder(const QString &path) override { return m_real.createFolder(path); }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        std::this_thread::sleep_for(kPerFolder);
        return m_real.listFolder(path);
    }
    std::optional<Drive> drive(const QString &path) const override { return m_real.drive(path); }
    QString typeDescription(const QByteArray &name, bool isFolder) const override
    {
        return m_real.typeDescription(name, isFolder);
    }

private:
    PosixFileSystem m_real;
};

// A scan of makeWideTree lasts long enough for clicks after this many ms.
constexpr int kDuringScanMs = 3 * SlowFileSystem::kPerFolder.count();
constexpr int kWideTreeRows = 40 * 6; // the top folder holds no file: skipped

} // namespace

class TestWindowCommands : public QObject
{
    Q_OBJECT

private:
    template<typename T = QWidget> T *control(const QString &name)
    {
        T *widget = m_run->window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
    QAbstractButton *button(const QString &name) { return control<QAbstractButton>(name); }
    QString text(const QString &label) { return control<QLabel>(label)->text(); }
    QTableView *view() { return control<QTableView>("lstItems"); }
    bool animationShown() { return control<QFrame>("fraAniBack")->isVisible(); }
    ResultList &list() { return m_run->window->resultList(); }
    int tab() { return control<QTabWidget>("tabData")->currentIndex(); }
    QStringList exported() { return QDir(m_dir->path() + "/export").entryList(QDir::Files); }

    // The small tree most tests list: two files at the top, two in "sub".
    void makeSmallTree()
    {
        QVERIFY(m_tree->createFile("a.txt", QByteArray(1024, 'a')));
        QVERIFY(m_tree->createFile("b.dat", QByteArray(2048, 'b')));
        QVERIFY(m_tree->createFile("sub/c.txt", QByteArray(3072, 'c')));
        QVERIFY(m_tree->createFile("sub/d.txt", QByteArray(4096, 'd')));
    }

    // Forty folders of five files, read slowly, for scans that must run a while.
    void makeWideTree()
    {
        for (int folder = 0; folder < 40; ++folder)
            for (int file = 0; file < 5; ++file)
                QVERIFY(m_tree->createFile(QString("f%1/file%2.txt").arg(folder).arg(file), "x"));
        m_run->state.fileSystem = std::make_shared<SlowFileSystem>();
    }

    void search(const QString &folder)
    {
        m_run->dialogs.folderAnswers.push_back(folder);
        button("cmdsearch")->click();
    }

    bool noCommandLeftBehind()
    {
        return !m_run->window->longCommandRunning() && QApplication::overrideCursor() == nullptr;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TreeFixture> m_tree;
    std::unique_ptr<ProgramRun> m_run;

private slots:
    void init()
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
        window.setOptionText(OptionText::EXT, "*.*");
        for (int i = 0; i < 5; ++i)
            control<QCheckBox>(QString("chkFileTag_%1").arg(i))->setChecked(false);
        m_run->state.exportFolder = m_dir->path() + "/export/";
    }

    void cleanup()
    {
        m_run.reset();
        m_tree.reset();
        m_dir.reset();
    }

    void searchListsFolderAndCount()
    {
        makeSmallTree();
        search(m_tree->root());
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(m_run->dialogs.calls[0].title, "gus.sdg");
        const QString folder = m_tree->root() + u'/';
        QCOMPARE(control<QLineEdit>("txt_DBPathName")->text(), folder);
        QCOMPARE(text("lblNewFile"), "Searching for '*' in '" + folder + "' (recursive)");

        QStringList texts;
        for (int row = 0; row < list().count(); ++row)
            texts << (list().isFolderRow(row) ? "<folder>" : list().text(row));
        QCOMPARE(texts,
                 QStringList({ "<folder>", "    a.txt", "    b.dat", "<folder>", "    c.txt",
                               "    d.txt" }));
        QCOMPARE(text("lbl_Status"), "6 items");
        // The rows reached the view, which is shown again; the animation is gone.
        QCOMPARE(view()->model()->rowCount(), 6);
        QVERIFY(view()->isVisible() && !animationShown());
        QVERIFY(noCommandLeftBehind());
    }

    void generateWritesPageAndPreviewsIt()
    {
        makeSmallTree();
        search(m_tree->root());
        button("cmdMach_0")->click();

        const QString page
            = m_dir->path() + "/export/" + QFileInfo(m_tree->root()).fileName() + ".html";
        QVERIFY(QFileInfo::exists(page));
        QCOMPARE(m_run->window->outputFile(), page);
        QCOMPARE(text("lblNewFile"), "List ready.");
        QCOMPARE(tab(), frm_main::kTabPreview);
        QVERIFY(noCommandLeftBehind());

        QWebEngineView *browser = m_run->window->iebrowser();
        QVERIFY(browser->isVisible());
        QCOMPARE(browser->url(), QUrl::fromLocalFile(page));
        // The generator's bar ends full, in its own colour.
        const QImage bar = control("picProgress")->grab().toImage();
        QCOMPARE(bar.pixelColor(bar.width() - 3, bar.height() / 2), QColor(207, 207, 255));
    }

    void emptyListQuestion_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("No: nothing written") << false;
        QTest::newRow("Yes: read again, then written") << true;
    }

    void emptyListQuestion()
    {
        QFETCH(bool, answer);
        makeSmallTree();
        // A loaded settings file fills the path box; the list is still empty.
        m_run->window->setOptionText(OptionText::DBPathName, m_tree->root() + u'/');
        QWebEngineView *browser = m_run->window->iebrowser();
        m_run->dialogs.yesNoAnswers.push_back(answer);
        button("cmdMach_1")->click();

        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(m_run->dialogs.calls[0].kind, "yesno");
        QCOMPARE(m_run->dialogs.calls[0].filter, "Array not generated. Read folder again?");
        QVERIFY(noCommandLeftBehind());
        QCOMPARE(list().count(), answer ? 6 : 0);
        QCOMPARE(exported().size(), answer ? 1 : 0);
        QCOMPARE(m_run->window->outputFile().isEmpty(), !answer);
        QCOMPARE(browser->isVisible(), answer);
        QCOMPARE(text("lblNewFile"), answer ? "List ready." : "");
        if (answer)
            QCOMPARE(text("lbl_Status"), "6 items");
    }

    void unwritableExportFolderSaysSo()
    {
        makeSmallTree();
        // Under a regular file no folder can be made, whoever runs the test.
        QVERIFY(m_tree->createFile("blocker"));
        m_run->state.exportFolder = m_tree->path("blocker") + "/export/";
        search(m_tree->root());
        button("cmdMach_0")->click();

        const QString status = text("lblNewFile");
        QVERIFY2(status.startsWith("List not written: "), qPrintable(status));
        QVERIFY2(status.contains(m_run->state.exportFolder), qPrintable(status));
        QVERIFY(!status.contains(u'\n'));
        QVERIFY(m_run->window->outputFile().isEmpty());
        QVERIFY(tab() != frm_main::kTabPreview);
        QVERIFY(noCommandLeftBehind());
    }

    // The window's page must be a regular file (or a new one): a named pipe
    // in its place is refused at once, left as it is, and never waited on.
    void pageInPlaceOfPipeIsRefused()
    {
        makeSmallTree();
        QVERIFY(QDir().mkpath(m_dir->path() + "/export"));
        const QString page
            = m_dir->path() + "/export/" + QFileInfo(m_tree->root()).fileName() + ".html";
        QVERIFY(::mkfifo(QFile::encodeName(page).constData(), 0600) == 0);
        search(m_tree->root());
        PipeWatchdog watchdog(QFile::encodeName(page));
        button("cmdMach_0")->click();
        QVERIFY(!watchdog.stop());

        QCOMPARE(text("lblNewFile"), "List not written: " + page + " (not a regular file)");
        QVERIFY(!QFileInfo(page).isFile() && QFileInfo::exists(page));
        QVERIFY(m_run->window->outputFile().isEmpty());
        QVERIFY(tab() != frm_main::kTabPreview);
        QVERIFY(noCommandLeftBehind());
    }

    void clipboardGetsExactText_data()
    {
        // The answer to "print files in output?" and the size box; the columns
        // themselves are the clipboard text's own tests.
        QTest::addColumn<bool>("withFiles");
        QTest::addColumn<bool>("sizeTicked");
        QTest::newRow("files, size") << true << true;
        QTest::newRow("folders only, no columns") << false << false;
    }

    void clipboardGetsExactText()
    {
        QFETCH(bool, withFiles);
        QFETCH(bool, sizeTicked);
        makeSmallTree();
        search(m_tree->root());
        QCOMPARE(list().count(), 6);
        control<QCheckBox>("chkFileTag_0")->setChecked(sizeTicked);
        QGuiApplication::clipboard()->setText("old text");
        m_run->dialogs.yesNoAnswers.push_back(withFiles);
        button("cmdcopy")->click();

        QCOMPARE(m_run->dialogs.calls.size(), 2);
        QCOMPARE(m_run->dialogs.calls[1].kind, "yesno");
        QCOMPARE(m_run->dialogs.calls[1].title, " K I V ");
        QCOMPARE(m_run->dialogs.calls[1].filter, "print files in output?");

        // Sizes in KiB: the files 1, 2, 3 and 4; "sub" holds 7, the top folder 10.
        const auto line = [&](const QString &text, const char *size) -> QString {
            return "\r\n" + text + (withFiles ? "\t" : "")
                + (sizeTicked ? QString("\t%1\t").arg(size) : QString());
        };
        QString expected = m_tree->root() + "/\r\n" + line(list().text(0), "10");
        if (withFiles)
            expected += line("    a.txt", "1") + line("    b.dat", "2");
        expected += line(list().text(3), "7");
        if (withFiles)
            expected += line("    c.txt", "3") + line("    d.txt", "4");
        const QString actual = QGuiApplication::clipboard()->text();
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        QVERIFY2(actual == expected,
                 qPrintable(QString("first difference at %1: got \"%2\", expected \"%3\"")
                                .arg(at)
                                .arg(actual.mid(qMax(0, at - 10), 30),
                                     expected.mid(qMax(0, at - 10), 30))));
        // The bar is reset at the end: nothing in the clipboard colour is left.
        const QImage bar = control("picProgress")->grab().toImage();
        QVERIFY(bar.pixelColor(bar.width() / 2, bar.height() / 2) != QColor(192, 160, 192));
        QVERIFY(noCommandLeftBehind());
    }

    void clickDuringScanStopsIt_data()
    {
        QTest::addColumn<QString>("button"); // empty: the window is closed
        QTest::newRow("cancel") << "cmdCancel_3";
        QTest::newRow("exit") << "cmdexit";
        QTest::newRow("window closed") << "";
    }

    void clickDuringScanStopsIt()
    {
        QFETCH(QString, button);
        makeWideTree();
        QTimer::singleShot(kDuringScanMs, [&] {
            if (button.isEmpty())
                m_run->window->close();
            else
                this->button(button)->click();
        });
        search(m_tree->root());
        QVERIFY2(list().count() < kWideTreeRows, qPrintable(QString::number(list().count())));
        QVERIFY(noCommandLeftBehind());
        if (button != "cmdCancel_3") {
            // The window is closed and the scan ended early instead of running on for it.
            QVERIFY(!m_run->window->isVisible());
            QCOMPARE(StoredValue("txt_DBPathName"), m_tree->root() + u'/');
            return;
        }
        QVERIFY(m_run->state.bgCancel);
        QCOMPARE(text("lbl_Status"), ItemCountText(list().count()));
        QVERIFY(view()->isVisible() && !animationShown());
        // The next search clears the flag and lists everything.
        m_run->state.fileSystem = std::make_shared<PosixFileSystem>();
        search(m_tree->root());
        QVERIFY(!m_run->state.bgCancel);
        QCOMPARE(list().count(), kWideTreeRows);
    }

    // While a search runs, every other long command, the settings folder
    // choice and the list refresh after a save are refused, each saying in
    // the status line what runs; when the search ends its own line is back.
    void commandsRefusedWhileSearchRuns()
    {
        makeWideTree();
        TreeFixture other;
        QVERIFY(other.createFile("only.txt", "x"));
        m_run->window->setOptionText(OptionText::SettingsPath, m_dir->path());
        m_run->dialogs.yesNoAnswers = { true, true };
        m_run->dialogs.fileAnswers = { m_dir->path() + "/saved.kiv" };
        bool busy = false;
        QStringList refusals;
        QTimer::singleShot(kDuringScanMs, [&] {
            busy = m_run->window->longCommandRunning();
            search(other.root()); // a second search
            refusals << text("lblNewFile");
            for (const char *name : { "cmdRefresh", "cmdReadFolderAgain", "cmdMach_0", "cmdMach_1",
                                      "cmdcopy", "cmdBrowseSettingsPath", "cmdsave_0" }) {
                button(name)->click();
                refusals << text("lblNewFile");
            }
        });
        search(m_tree->root());

        QVERIFY(busy);
        const QString running = ": a search is running.";
        QCOMPARE(refusals,
                 QStringList({ "Search not started" + running, "Re-read not started" + running,
                               "Re-read not started" + running, "Generation not started" + running,
                               "Generation not started" + running, "Copy not started" + running,
                               "Settings folder not chosen" + running,
                               "Settings list not refreshed" + running }));
        QCOMPARE(text("lblNewFile"), "Searching for '*' in '" + m_tree->root() + "/' (recursive)");
        // Only the first search and the save asked anything; the others did not start.
        QCOMPARE(m_run->dialogs.calls.size(), 2);
        QCOMPARE(m_run->dialogs.calls[1].kind, "save");
        QVERIFY(QFileInfo::exists(m_dir->path() + "/saved.kiv"));
        QCOMPARE(control<QLineEdit>("txt_DBPathName")->text(), m_tree->root() + u'/');
        QCOMPARE(list().count(), kWideTreeRows);
        QCOMPARE(text("lbl_Status"), ItemCountText(kWideTreeRows));
        QVERIFY(exported().isEmpty());
        QVERIFY(noCommandLeftBehind());

        // Once it has ended, the next search runs.
        m_run->dialogs.folderAnswers.clear();
        m_run->state.fileSystem = std::make_shared<PosixFileSystem>();
        search(other.root());
        QCOMPARE(list().count(), 2);
    }

    // A long status line is shortened in the middle where it is drawn, keeps
    // its whole text, and never widens the window.
    void longStatusLineIsShortenedInTheMiddle()
    {
        auto *line = control<StatusLine>("lblNewFile");
        const QSize windowMinimum = m_run->window->minimumSizeHint();
        line->setText("List ready.");
        QCOMPARE(line->shownText(), "List ready.");
        const QString longLine = "Searching for '*' in '/"
            + QString("a very long folder name/").repeated(40) + "' (recursive)";
        line->setText(longLine);
        const QString shown = line->shownText();
        QVERIFY2(shown.startsWith("Searching for") && shown.endsWith("(recursive)")
                     && shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        QCOMPARE(line->text(), longLine);
        QCOMPARE(m_run->window->minimumSizeHint(), windowMinimum);
    }
};

QTEST_MAIN(TestWindowCommands)
#include "tst_window_commands.moc"
