// The main window's commands driven as a user would: search a folder,
// generate the page, answer the questions, copy to the clipboard, cancel a
// long scan, and start commands while one runs.
#include "core/avi_writer.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/search_command.h"
#include "support/file_bytes.h"
#include "support/pipe_watchdog.h"
#include "support/tree_fixture.h"
#include "ui/animation_player.h"
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

#include <condition_variable>
#include <mutex>
#include <sys/stat.h>
#include <thread>

namespace {

// The real file system, made slow when asked, so a scan of a few dozen
// folders runs long enough to be interrupted by a click. It can also hold a
// scan in the middle: the row of a given file waits for its type until
// released.
class SlowFileSystem final : public FileSystem
{
public:
    static constexpr std::chrono::milliseconds kPerFolder { 8 };
    std::atomic<bool> slow { false };

    void holdAt(const QByteArray &fileName)
    {
        const std::lock_guard lock(m_holdMutex);
        m_holdAt = fileName;
    }
    bool holding() const
    {
        const std::lock_guard lock(m_holdMutex);
        return m_holding;
    }
    void release()
    {
        {
            const std::lock_guard lock(m_holdMutex);
            m_holdAt.clear();
        }
        m_released.notify_all();
    }

    bool fileExists(const QString &path) const override { return m_real.fileExists(path); }
    bool folderExists(const QString &path) const override { return m_real.folderExists(path); }
    bool createFolder(const QString &path) override { return m_real.createFolder(path); }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        if (slow)
            std::this_thread::sleep_for(kPerFolder);
        return m_real.listFolder(path);
    }
    std::optional<Drive> drive(const QString &path) const override { return m_real.drive(path); }
    QString typeDescription(const QByteArray &name, bool isFolder) const override
    {
        std::unique_lock lock(m_holdMutex);
        if (!isFolder && !m_holdAt.isEmpty() && name == m_holdAt) {
            m_holding = true;
            // Not for ever: a scan held on the window's own thread would
            // never see the release.
            m_released.wait_for(lock, std::chrono::seconds(20),
                                [this] { return m_holdAt.isEmpty(); });
            m_holding = false;
        }
        lock.unlock();
        return m_real.typeDescription(name, isFolder);
    }

private:
    PosixFileSystem m_real;
    mutable std::mutex m_holdMutex;
    mutable std::condition_variable m_released;
    QByteArray m_holdAt;
    mutable bool m_holding = false;
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
    QTableView *view() { return control<QTableView>(QStringLiteral("lstItems")); }
    bool animationShown() { return control<QFrame>(QStringLiteral("fraAniBack"))->isVisible(); }
    ResultList &list() { return m_run->window->resultList(); }
    int tab() { return control<QTabWidget>(QStringLiteral("tabData"))->currentIndex(); }
    QStringList exported()
    {
        return QDir(m_dir->path() + QStringLiteral("/export")).entryList(QDir::Files);
    }

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
                QVERIFY(m_tree->createFile(QStringLiteral("f%1/file%2.txt").arg(folder).arg(file),
                                           "x"));
        m_fileSystem.slow = true;
    }

    void search(const QString &folder)
    {
        m_run->dialogs.folderAnswers.push_back(folder);
        button(QStringLiteral("cmdsearch"))->click();
    }

    // Six folders of two files each; a scan held at the first file of f2 has
    // made the rows of f0 and f1 and the row of f2.
    void makeSixFolders()
    {
        for (int folder = 0; folder < 6; ++folder)
            for (int file = 0; file < 2; ++file)
                QVERIFY(m_tree->createFile(
                    QStringLiteral("f%1/file%1_%2.txt").arg(folder).arg(file), "x"));
        m_fileSystem.holdAt("file2_0.txt");
        control<QCheckBox>(QStringLiteral("chkOnlyThisDir"))->setChecked(false);
    }

    // Runs `whileHeld` once the search is held, then lets it go on.
    void searchHeld(const std::function<void()> &whileHeld)
    {
        bool ran = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] {
            if (!m_fileSystem.holding())
                return;
            watch.stop();
            const auto goOn = qScopeGuard([&] { m_fileSystem.release(); });
            whileHeld();
            ran = true;
        });
        watch.start(1);
        search(m_tree->root());
        m_fileSystem.release();
        QVERIFY(ran);
    }

    QStringList folderRowTexts()
    {
        QStringList texts;
        for (int row = 0; row < list().count(); ++row)
            if (list().isFolderRow(row))
                texts << list().text(row);
        return texts;
    }

    bool noCommandLeftBehind()
    {
        return !m_run->window->longCommandRunning() && QApplication::overrideCursor() == nullptr;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TreeFixture> m_tree;
    SlowFileSystem m_fileSystem;
    std::unique_ptr<ProgramRun> m_run;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
        m_tree = std::make_unique<TreeFixture>();
        QVERIFY(m_tree->isValid());
        m_fileSystem.slow = false;
        m_run = std::make_unique<ProgramRun>(m_dir->path(), &m_fileSystem);
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
        QCOMPARE(m_run->dialogs.calls[0].title, QStringLiteral("gus.sdg"));
        const QString folder = m_tree->root() + u'/';
        QCOMPARE(control<QLineEdit>(QStringLiteral("txt_DBPathName"))->text(), folder);
        QCOMPARE(text(QStringLiteral("lblNewFile")),
                 QStringLiteral("Searching for '*' in '") + folder
                     + QStringLiteral("' (recursive)"));

        QStringList texts;
        for (int row = 0; row < list().count(); ++row)
            texts << (list().isFolderRow(row) ? QStringLiteral("<folder>") : list().text(row));
        QCOMPARE(texts,
                 QStringLiteral("<folder>,    a.txt,    b.dat,<folder>,    c.txt,    d.txt")
                     .split(u','));
        QCOMPARE(text(QStringLiteral("lbl_Status")), QStringLiteral("6 items"));
        // The rows reached the view, which is shown again; the animation is gone.
        QCOMPARE(view()->model()->rowCount(), 6);
        QVERIFY(view()->isVisible() && !animationShown());
        QVERIFY(noCommandLeftBehind());
    }

    void generateWritesPageAndPreviewsIt()
    {
        makeSmallTree();
        search(m_tree->root());
        button(QStringLiteral("cmdMach_0"))->click();

        const QString page = m_dir->path() + QStringLiteral("/export/")
            + QFileInfo(m_tree->root()).fileName() + QStringLiteral(".html");
        QVERIFY(QFileInfo::exists(page));
        QCOMPARE(m_run->window->outputFile(), page);
        QCOMPARE(text(QStringLiteral("lblNewFile")), QStringLiteral("List ready."));
        QCOMPARE(tab(), frm_main::kTabPreview);
        QVERIFY(noCommandLeftBehind());

        QWebEngineView *browser = m_run->window->iebrowser();
        QVERIFY(browser->isVisible());
        QCOMPARE(browser->url(), QUrl::fromLocalFile(page));
        // The generator's bar ends full, in its own colour.
        const QImage bar = control(QStringLiteral("picProgress"))->grab().toImage();
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
        button(QStringLiteral("cmdMach_1"))->click();

        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(m_run->dialogs.calls[0].kind, QStringLiteral("yesno"));
        QCOMPARE(m_run->dialogs.calls[0].filter,
                 QStringLiteral("Array not generated. Read folder again?"));
        QVERIFY(noCommandLeftBehind());
        QCOMPARE(list().count(), answer ? 6 : 0);
        QCOMPARE(exported().size(), answer ? 1 : 0);
        QCOMPARE(m_run->window->outputFile().isEmpty(), !answer);
        QCOMPARE(browser->isVisible(), answer);
        QCOMPARE(text(QStringLiteral("lblNewFile")),
                 answer ? QStringLiteral("List ready.") : QString());
        if (answer)
            QCOMPARE(text(QStringLiteral("lbl_Status")), QStringLiteral("6 items"));
    }

    void unwritableExportFolderSaysSo()
    {
        makeSmallTree();
        // Under a regular file no folder can be made, whoever runs the test.
        QVERIFY(m_tree->createFile("blocker"));
        m_run->state.exportFolder = m_tree->path("blocker") + QStringLiteral("/export/");
        search(m_tree->root());
        button(QStringLiteral("cmdMach_0"))->click();

        const QString status = text(QStringLiteral("lblNewFile"));
        QVERIFY2(status.startsWith(QStringLiteral("List not written: ")), qPrintable(status));
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
        QVERIFY(QDir().mkpath(m_dir->path() + QStringLiteral("/export")));
        const QString page = m_dir->path() + QStringLiteral("/export/")
            + QFileInfo(m_tree->root()).fileName() + QStringLiteral(".html");
        QVERIFY(::mkfifo(QFile::encodeName(page).constData(), 0600) == 0);
        search(m_tree->root());
        PipeWatchdog watchdog(QFile::encodeName(page));
        button(QStringLiteral("cmdMach_0"))->click();
        QVERIFY(!watchdog.stop());

        QCOMPARE(text(QStringLiteral("lblNewFile")),
                 QStringLiteral("List not written: ") + page
                     + QStringLiteral(" (not a regular file)"));
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
        control<QCheckBox>(QStringLiteral("chkFileTag_0"))->setChecked(sizeTicked);
        QGuiApplication::clipboard()->setText(QStringLiteral("old text"));
        m_run->dialogs.yesNoAnswers.push_back(withFiles);
        button(QStringLiteral("cmdcopy"))->click();

        QCOMPARE(m_run->dialogs.calls.size(), 2);
        QCOMPARE(m_run->dialogs.calls[1].kind, QStringLiteral("yesno"));
        QCOMPARE(m_run->dialogs.calls[1].title, QStringLiteral(" K I V "));
        QCOMPARE(m_run->dialogs.calls[1].filter, QStringLiteral("print files in output?"));

        // Sizes in KiB: the files 1, 2, 3 and 4; "sub" holds 7, the top folder 10.
        const auto line = [&](const QString &text, const char *size) -> QString {
            return QStringLiteral("\r\n") + text + (withFiles ? QStringLiteral("\t") : QString())
                + (sizeTicked ? QStringLiteral("\t%1\t").arg(QLatin1String(size)) : QString());
        };
        QString expected = m_tree->root() + QStringLiteral("/\r\n") + line(list().text(0), "10");
        if (withFiles)
            expected
                += line(QStringLiteral("    a.txt"), "1") + line(QStringLiteral("    b.dat"), "2");
        expected += line(list().text(3), "7");
        if (withFiles)
            expected
                += line(QStringLiteral("    c.txt"), "3") + line(QStringLiteral("    d.txt"), "4");
        const QString actual = QGuiApplication::clipboard()->text();
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
            ++at;
        QVERIFY2(actual == expected,
                 qPrintable(QStringLiteral("first difference at %1: got \"%2\", expected \"%3\"")
                                .arg(at)
                                .arg(actual.mid(qMax(0, at - 10), 30),
                                     expected.mid(qMax(0, at - 10), 30))));
        // The bar is reset at the end: nothing in the clipboard colour is left.
        const QImage bar = control(QStringLiteral("picProgress"))->grab().toImage();
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
        if (button != QStringLiteral("cmdCancel_3")) {
            // The window is closed and the scan ended early instead of running on for it.
            QVERIFY(!m_run->window->isVisible());
            QCOMPARE(StoredValue(QStringLiteral("txt_DBPathName")), m_tree->root() + u'/');
            return;
        }
        QVERIFY(m_run->state.bgCancel);
        QCOMPARE(text(QStringLiteral("lbl_Status")), ItemCountText(list().count()));
        QVERIFY(view()->isVisible() && !animationShown());
        // The next search clears the flag and lists everything.
        m_fileSystem.slow = false;
        search(m_tree->root());
        QVERIFY(!m_run->state.bgCancel);
        QCOMPARE(list().count(), kWideTreeRows);
    }

    void windowGoesOnWhileTheScanRuns()
    {
        makeSixFolders();
        AviWriteSpec clip;
        clip.width = 8, clip.height = 8, clip.palette = { 0x000000, 0xff0000 };
        QVERIFY(writeAll(m_dir->path() + QStringLiteral("/animation/spin.avi"),
                         WriteAviClip(clip, { AviSourceFrame(64, 0), AviSourceFrame(64, 1) })));
        searchHeld([&] {
            // The scan waits on its own thread: the window plays the animation,
            // keeps the list hidden and refuses another command.
            QSignalSpy frames(control<AnimationPlayer>(QStringLiteral("ani_Movie")),
                              &AnimationPlayer::frameShown);
            QTRY_VERIFY(frames.count() >= 2);
            QVERIFY(!view()->isVisible() && animationShown());
            QVERIFY(m_run->window->longCommandRunning());
            button(QStringLiteral("cmdRefresh"))->click();
            // Ticked now, "only this folder" counts from the next folder row on.
            control<QCheckBox>(QStringLiteral("chkOnlyThisDir"))->click();
        });
        QCOMPARE(folderRowTexts(),
                 QStringLiteral("ROOT/f0,ROOT/f1,ROOT/f2,f3,f4,f5")
                     .replace(QStringLiteral("ROOT"), m_tree->root())
                     .split(u','));
        QCOMPARE(list().count(), 18);
        QVERIFY(view()->isVisible() && !animationShown() && noCommandLeftBehind());
    }

    void cancelDuringTheScanKeepsItsRows()
    {
        makeSixFolders();
        searchHeld([&] { button(QStringLiteral("cmdCancel_3"))->click(); });
        // The rows made before the cancel, down to the file whose row was
        // being made; the sizes of the folders finished before it.
        QStringList texts;
        for (int row = 0; row < list().count(); ++row)
            texts << list().text(row) + u'|' + list().subItem(row, 3);
        QCOMPARE(texts,
                 QStringLiteral("ROOT/f0|0,    file0_0.txt|0,    file0_1.txt|0,ROOT/f1|0,"
                                "    file1_0.txt|0,    file1_1.txt|0,ROOT/f2|,    file2_0.txt|0")
                     .replace(QStringLiteral("ROOT"), m_tree->root())
                     .split(u','));
        const ScanCounters &counters = m_run->window->counters();
        QCOMPARE(counters.FileCount, 5);
        QCOMPARE(counters.FolderCount, 4);
        QCOMPARE(text(QStringLiteral("lbl_Status")), QStringLiteral("8 items"));
        QVERIFY(view()->isVisible() && !animationShown() && noCommandLeftBehind());
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
        m_run->dialogs.fileAnswers = { m_dir->path() + QStringLiteral("/saved.kiv") };
        bool busy = false;
        QStringList refusals;
        QTimer::singleShot(kDuringScanMs, [&] {
            busy = m_run->window->longCommandRunning();
            search(other.root()); // a second search
            refusals << text(QStringLiteral("lblNewFile"));
            for (const char *name : { "cmdRefresh", "cmdReadFolderAgain", "cmdMach_0", "cmdMach_1",
                                      "cmdcopy", "cmdBrowseSettingsPath", "cmdsave_0" }) {
                button(QLatin1String(name))->click();
                refusals << text(QStringLiteral("lblNewFile"));
            }
        });
        search(m_tree->root());

        QVERIFY(busy);
        const QString running = QStringLiteral(": a search is running.");
        QCOMPARE(refusals,
                 QStringLiteral("Search not started@\nRe-read not started@\nRe-read not started@\n"
                                "Generation not started@\nGeneration not started@\n"
                                "Copy not started@\nSettings folder not chosen@\n"
                                "Settings list not refreshed@")
                     .replace(u'@', running)
                     .split(u'\n'));
        QCOMPARE(text(QStringLiteral("lblNewFile")),
                 QStringLiteral("Searching for '*' in '") + m_tree->root()
                     + QStringLiteral("/' (recursive)"));
        // Only the first search and the save asked anything; the others did not start.
        QCOMPARE(m_run->dialogs.calls.size(), 2);
        QCOMPARE(m_run->dialogs.calls[1].kind, QStringLiteral("save"));
        QVERIFY(QFileInfo::exists(m_dir->path() + QStringLiteral("/saved.kiv")));
        QCOMPARE(control<QLineEdit>(QStringLiteral("txt_DBPathName"))->text(),
                 m_tree->root() + u'/');
        QCOMPARE(list().count(), kWideTreeRows);
        QCOMPARE(text(QStringLiteral("lbl_Status")), ItemCountText(kWideTreeRows));
        QVERIFY(exported().isEmpty());
        QVERIFY(noCommandLeftBehind());

        // Once it has ended, the next search runs.
        m_run->dialogs.folderAnswers.clear();
        m_fileSystem.slow = false;
        search(other.root());
        QCOMPARE(list().count(), 2);
    }

    // A long status line is shortened in the middle where it is drawn, keeps
    // its whole text, and never widens the window.
    void longStatusLineIsShortenedInTheMiddle()
    {
        auto *line = control<StatusLine>(QStringLiteral("lblNewFile"));
        const QSize windowMinimum = m_run->window->minimumSizeHint();
        line->setText(QStringLiteral("List ready."));
        QCOMPARE(line->shownText(), QStringLiteral("List ready."));
        const QString longLine = QStringLiteral("Searching for '*' in '/")
            + QStringLiteral("a very long folder name/").repeated(40)
            + QStringLiteral("' (recursive)");
        line->setText(longLine);
        const QString shown = line->shownText();
        QVERIFY2(shown.startsWith(QStringLiteral("Searching for"))
                     && shown.endsWith(QStringLiteral("(recursive)"))
                     && shown.contains(QChar(0x2026)),
                 qPrintable(shown));
        QCOMPARE(line->text(), longLine);
        QCOMPARE(m_run->window->minimumSizeHint(), windowMinimum);
    }
};

QTEST_MAIN(TestWindowCommands)
#include "tst_window_commands.moc"
