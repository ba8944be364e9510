#include "app/settings_list.h"

#include "app/last_options.h"
#include "app/preference_store.h"
#include "scan/posix_file_system.h"
#include "support/pipe_watchdog.h"
#include "support/recording_option_controls.h"
#include "support/tree_fixture.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// A folder tree held in memory: each folder lists its files and subfolders in
// the order added (the enumeration order); unreadable folders cannot be listed.
class MemoryFileSystem : public FileSystem
{
public:
    MemoryFileSystem(std::initializer_list<const char *> paths = {})
    {
        m_folders["/"];
        for (const char *path : paths)
            add(path);
    }
    // Adds "a/b/c.kiv" below root, making the folders on the way.
    void add(const QByteArray &path)
    {
        QByteArray folder = "/";
        const QList<QByteArray> parts = path.split('/');
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QByteArray child = (folder == "/" ? QByteArray() : folder) + '/' + parts[i];
            const bool isFolder = i + 1 < parts.size();
            Listing &listing = m_folders[folder];
            if (!isFolder || !m_folders.count(child))
                (isFolder ? listing.subfolders : listing.files)
                    .push_back({ parts[i], isFolder, {} });
            folder = child;
        }
    }
    bool fileExists(const QString &) const override { return false; }
    bool folderExists(const QString &path) const override
    {
        return m_folders.count(QFile::encodeName(path)) > 0;
    }
    bool createFolder(const QString &) override { return false; }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        listed << path;
        if (chainDepth > 0 && path.count('/') == chainDepth)
            return Listing { { { "bottom.kiv", false, {} } }, {} };
        if (chainDepth > 0)
            return Listing { {}, { { "d", true, {} } } };
        const auto it = m_folders.find(path);
        if (it == m_folders.end() || unreadable.contains(path))
            return std::nullopt;
        return it->second;
    }
    std::optional<Drive> drive(const QString &) const override { return std::nullopt; }
    QString typeDescription(const QByteArray &, bool) const override { return {}; }

    mutable QList<QByteArray> listed;
    QList<QByteArray> unreadable;
    // > 0: an endless chain "/d/d/..." with one file at that depth, made up as listed.
    int chainDepth = 0;

private:
    std::map<QByteArray, Listing> m_folders;
};

// "folder|file name" per entry, blank-separated.
QString entriesOf(const SettingsList &list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.folderText(row) + u'|' + list.fileNameText(row);
    return entries.join(u' ');
}

// The window's side of the settings list, as the window wires it.
struct Window
{
    ProgramState state;
    RecordingOptionControls controls { &state };
    SettingsList list;
    PosixFileSystem posixFileSystem;
    FileSystem *fileSystem;
    SettingsYield yield;

    explicit Window(FileSystem *fs = nullptr)
        : fileSystem(fs ? fs : &posixFileSystem)
    {
        controls.onClearCurrent = [this] { list.clearCurrentEntry(); };
        controls.onRefresh
            = [this] { RefreshSettingsList(list, state, controls, *fileSystem, yield, kEnglish); };
    }
    // The settings folder text becomes `folder`, then the list is refreshed.
    void refresh(const QString &folder)
    {
        controls.texts[OptionText::SettingsPath] = folder;
        controls.refreshSettingsList();
    }
};

} // namespace

class TestSettingsList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    }

    void listing()
    {
        MemoryFileSystem fs {
            "set/b.kiv",     "set/A.KIV",    "set/x.txt",         "set/s1/z.kiv",
            "set/c.kiv.bak", "set/.kiv",     "set/s1/deep/d.kiv", "set/kiv",
            "set/a.kivx",    "set/s1/y.kiv", "set/locked/x.kiv",  "set/s2/c.kiv"
        };
        fs.unreadable << "/set/locked";
        ProgramState state;
        SettingsList list;
        ListSettingsFiles(list, state, fs, QStringLiteral("/set"), QStringLiteral(".kiv"), {},
                          kEnglish);
        // Files of a folder before those of its subfolders, depth first, each in
        // the file system's order; unreadable folders skipped; nothing sorted yet.
        QCOMPARE(entriesOf(list),
                 QStringLiteral("/set/|b.kiv /set/|A.KIV /set/|.kiv /set/s1/|z.kiv /set/s1/|y.kiv "
                                "/set/s1/deep/|d.kiv /set/s2/|c.kiv"));
        QVERIFY(!list.isSorted());
        // "*" takes every file; a missing folder gives none.
        SettingsList all, none;
        ListSettingsFiles(all, state, fs, QStringLiteral("/set/"), QStringLiteral("*"), {},
                          kEnglish);
        QCOMPARE(all.count(), 11);
        ListSettingsFiles(none, state, fs, QStringLiteral("/set/missing"), QStringLiteral(".kiv"),
                          {}, kEnglish);
        QCOMPARE(none.count(), 0);
    }

    void trailingSeparator()
    {
        for (const auto &[text, after, folder] :
             { std::tuple { QStringLiteral("/set"), QStringLiteral("/set/"),
                            QStringLiteral("/set/") },
               { QStringLiteral("/"), QStringLiteral("/"), QStringLiteral("/") },
               { QStringLiteral("/set/../set//"), QStringLiteral("/set/../set//"),
                 QStringLiteral("/set/") } }) { // steps cleaned in the list only
            MemoryFileSystem fs { folder == QLatin1String("/") ? "r.kiv" : "set/r.kiv" };
            Window window(&fs);
            window.refresh(text);
            QCOMPARE(window.controls.texts[OptionText::SettingsPath], after);
            QCOMPARE(window.list.count(), 1);
            QCOMPARE(window.list.folderText(0), folder);
            QCOMPARE(window.list.entry(0).folder, folder.toUtf8());
        }
    }

    // The picker cancelled or the folder text emptied: the list stays as it
    // was and the disk is not read.
    void emptyFolderTextKeepsList()
    {
        MemoryFileSystem fs { "r.kiv" };
        Window window(&fs);
        window.refresh(QStringLiteral("/"));
        fs.listed.clear();
        SettingsPathChosen(window.controls, QString());
        QCOMPARE(window.controls.texts[OptionText::SettingsPath], QString());
        QCOMPARE(window.controls.refreshes, 1);
        QVERIFY(!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish));
        QCOMPARE(window.list.count(), 1);
        QVERIFY(fs.listed.isEmpty());

        SettingsPathChosen(window.controls, QStringLiteral("/"));
        QCOMPARE(window.controls.refreshes, 2);
        QCOMPARE(window.list.count(), 1);
    }

    void sortedListKeepsOrder()
    {
        MemoryFileSystem fs { "set/b.kiv", "set/A.KIV", "set/s/a.kiv", "set/c.kiv", "set/t/B.kiv" };
        Window window(&fs);
        QAbstractItemModelTester tester(&window.list,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        // Sorted by name, letter case not counting; equal names in the order found.
        const QString expected
            = QStringLiteral("/set/|A.KIV /set/s/|a.kiv /set/|b.kiv /set/t/|B.kiv /set/|c.kiv");
        window.refresh(QStringLiteral("/set"));
        QCOMPARE(entriesOf(window.list), expected);
        window.list.setCurrentEntry(1);
        QCOMPARE(window.list.currentFilePath(), QStringLiteral("/set/s/a.kiv"));
        window.list.setCurrentEntry(5);
        QVERIFY(!window.list.currentEntry());
        // A second refresh fills the already sorted list entry by entry, none current.
        window.list.setCurrentEntry(0);
        window.controls.refreshSettingsList();
        QCOMPARE(entriesOf(window.list), expected);
        QVERIFY(!window.list.currentEntry());
        QCOMPARE(window.list.data(window.list.index(1, 1), Qt::DisplayRole).toString(),
                 QStringLiteral("/set/s/"));
    }

    // During a listing a second refresh is refused, and the cancel button stops it.
    void cancelAndSecondRefresh()
    {
        MemoryFileSystem fs { "set/a.kiv", "set/b.kiv", "set/c.kiv", "set/s/d.kiv" };
        Window window(&fs);
        int refused = 0;
        window.yield = [&] {
            if (!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish))
                ++refused;
            if (window.list.count() == 2)
                window.state.bgCancel = true;
        };
        window.refresh(QStringLiteral("/set"));
        QVERIFY(refused > 0);
        QVERIFY(!window.list.isListing());
        QCOMPARE(entriesOf(window.list), QStringLiteral("/set/|a.kiv /set/|b.kiv"));
        QCOMPARE(fs.listed, (QList<QByteArray> { "/set" }));
        QVERIFY(window.state.bgCancel); // the listing never clears the flag

        // Cancelled before it starts: the list is emptied, the disk never read.
        window.controls.refreshSettingsList();
        QCOMPARE(window.list.count(), 0);
        QCOMPARE(fs.listed.count(), 1);
    }

    void deepTree()
    {
        MemoryFileSystem fs;
        fs.chainDepth = 4000;
        Window window(&fs);
        window.refresh(QStringLiteral("/"));
        QCOMPARE(window.list.count(), 1);
        QCOMPARE(window.list.fileNameText(0), QStringLiteral("bottom.kiv"));
        QCOMPARE(window.list.entry(0).folder.count('/'), qsizetype(fs.chainDepth + 1));
    }

    void undecodableNameIsApplied()
    {
        TreeFixture dir;
        const QByteArray name = "\xFF\xFE-old.kiv"; // not UTF-8: from an older system
        QVERIFY(dir.createFile(name, "[window]\r\nleft=77\r\ntop=88\r\n"));
        Window window;
        window.refresh(dir.root());
        QCOMPARE(window.list.count(), 1);
        QCOMPARE(window.list.entry(0).fileName, name);
        // "use setting" without a click does nothing at all.
        window.controls.log.clear();
        QVERIFY(!ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
        QCOMPARE(window.controls.log, QStringList());
        window.list.setCurrentEntry(0);
        QVERIFY(ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
        QCOMPARE(window.controls.position, QPoint(77, 88));
    }

    // A named pipe among the settings files is listed by its name but never
    // waited on: applying it reads no key, as a file that cannot be read.
    void namedPipeEntryIsNotWaitedOn()
    {
        TreeFixture dir;
        const QByteArray pipe = dir.pathBytes("pipe.kiv");
        QVERIFY(::mkfifo(pipe.constData(), 0600) == 0);
        Window window;
        window.state.sgGridColor = QStringLiteral("123456");
        PipeWatchdog watchdog(pipe);
        window.refresh(dir.root());
        QCOMPARE(window.list.count(), 1);
        window.list.setCurrentEntry(0);
        QVERIFY(ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
        QVERIFY(!watchdog.stop());
        QCOMPARE(window.state.sgGridColor, QString());
    }

    // A settings folder stored as empty (not missing) leaves the list as it was.
    void startUpWithEmptyStoredFolder()
    {
        Window window;
        window.state.makerName = QStringLiteral("Morbanta");
        window.state.shortName = QStringLiteral("kiv");
        window.state.programFolder = m_settingsDir.path() + u'/';
        PreferenceStore store;
        store.SaveValue(window.state.makerName, window.state.shortName,
                        QStringLiteral("txtSettingsPath"), {});
        window.list.addEntry("/old/", "stale.kiv");
        window.list.setCurrentEntry(0);
        RestoreLastOptions(window.state, store, window.controls, kEnglish);
        QCOMPARE(entriesOf(window.list), QStringLiteral("/old/|stale.kiv"));
        QVERIFY(!window.list.currentEntry());
    }
};

QTEST_GUILESS_MAIN(TestSettingsList)
#include "tst_settings_list.moc"
