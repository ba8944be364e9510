#undef QT_NO_CAST_FROM_ASCII
#include "app/settings_list.h"

#include "app/last_options.h"
#include "app/preference_store.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "scan/file_system.h"
#include "support/recording_option_controls.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

// A folder tree held in memory: each folder lists its files and subfolders
// in the order they were added (that order stands for the enumeration
// order). Folders marked unreadable cannot be listed.
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
            Listing &listing = m_folders[folder];
            const QByteArray child
                = folder == "/" ? QByteArray("/" + parts[i]) : QByteArray(folder + '/' + parts[i]);
            const bool isFolder = i + 1 < parts.size();
            auto &entries = isFolder ? listing.subfolders : listing.files;
            if (std::none_of(entries.begin(), entries.end(),
                             [&](const Entry &e) { return e.name == parts[i]; }))
                entries.push_back(Entry { parts[i], isFolder, {} });
            if (isFolder)
                m_folders[child];
            folder = child;
        }
    }
    void makeUnreadable(const QByteArray &folder) { m_unreadable << folder; }

    bool fileExists(const QString &) const override { return false; }
    bool folderExists(const QString &path) const override
    {
        return m_folders.count(QFile::encodeName(path)) > 0;
    }
    bool createFolder(const QString &) override { return false; }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        listed << path;
        const auto it = m_folders.find(path);
        if (it == m_folders.end() || m_unreadable.contains(path))
            return std::nullopt;
        return it->second;
    }
    std::optional<Drive> drive(const QString &) const override { return std::nullopt; }
    QString typeDescription(const QByteArray &, bool) const override { return {}; }

    mutable QList<QByteArray> listed;

private:
    std::map<QByteArray, Listing> m_folders;
    QList<QByteArray> m_unreadable;
};

// An endless chain of folders "/d/d/d/...", each holding one file, made up
// as it is listed so any depth costs no memory.
class ChainFileSystem : public MemoryFileSystem
{
public:
    explicit ChainFileSystem(int depth)
        : m_depth(depth)
    { }
    std::optional<Listing> listFolder(const QByteArray &path) const override
    {
        Listing listing;
        const qsizetype level = path.count('/');
        listing.files.push_back(Entry { level == m_depth ? "bottom.kiv" : "x.txt", false, {} });
        if (level < m_depth)
            listing.subfolders.push_back(Entry { "d", true, {} });
        return listing;
    }

private:
    int m_depth;
};

QStringList entriesOf(const SettingsList &list)
{
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.folderText(row) + u'|' + list.fileNameText(row);
    return entries;
}

bool touch(const QString &path)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly);
}

// The window's side of the settings list, as the window wires it.
struct Window
{
    ProgramState state;
    RecordingOptionControls controls { &state };
    SettingsList list;
    FileSystem *fileSystem = nullptr;
    SettingsYield yield;

    explicit Window(FileSystem *fs = nullptr)
        : fileSystem(fs)
    {
        controls.onClearCurrent = [this] { list.clearCurrentEntry(); };
        controls.onRefresh = [this] {
            if (fileSystem)
                RefreshSettingsList(list, state, controls, *fileSystem, yield, kEnglish);
            else
                RefreshSettingsList(list, state, controls, yield, kEnglish);
        };
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

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void model();
    void listingOrder();
    void listingOnDisk();
    void extensionMatch_data();
    void extensionMatch();
    void trailingSeparator_data();
    void trailingSeparator();
    void emptyFolderTextKeepsList();
    void sortedListKeepsOrder();
    void currentEntry();
    void cancel();
    void unreadableFolderIsSkipped();
    void yieldPoints();
    void secondRefreshWhileListingIsRefused();
    void deepTree();
    void browseForSettingsFolder();
    void saveClickApplyRoundTrip();
    void undecodableNameIsApplied();
    void startUp_data();
    void startUp();

private:
    QTemporaryDir m_settingsDir;
};

void TestSettingsList::model()
{
    MemoryFileSystem fs { "set/b.kiv", "set/a.kiv", "set/s/c.kiv", "set/s/a.kiv" };
    Window window(&fs);
    QAbstractItemModelTester tester(&window.list,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(window.list.columnCount(), 2);
    QCOMPARE(window.list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             "settings-file");
    QCOMPARE(window.list.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "path");
    QCOMPARE(SettingsList::kColumns[0].widthTwips, 7830);
    QCOMPARE(SettingsList::kColumns[1].widthTwips, 3230);
    QVERIFY(!window.list.isSorted());
    window.refresh("/set");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.rowCount(), 4);
    const auto cell = [&](int row, int column) {
        return window.list.data(window.list.index(row, column), Qt::DisplayRole).toString();
    };
    QCOMPARE(cell(0, 0), "a.kiv");
    QCOMPARE(cell(0, 1), "/set/");
    QCOMPARE(cell(1, 1), "/set/s/");
    window.list.clear();
    QCOMPARE(window.list.rowCount(), 0);
}

void TestSettingsList::listingOrder()
{
    MemoryFileSystem fs { "set/b.kiv",         "set/a.kiv",    "set/x.txt",   "set/s1/z.kiv",
                          "set/s1/deep/d.kiv", "set/s1/y.kiv", "set/s2/c.kiv" };
    ProgramState state;
    SettingsList list;
    ListSettingsFiles(list, state, fs, "/set", ".kiv", {}, kEnglish);
    // Files of a folder before those of its subfolders, depth first, each in
    // the file system's order; nothing sorted yet.
    QCOMPARE(entriesOf(list),
             QStringList({ "/set/|b.kiv", "/set/|a.kiv", "/set/s1/|z.kiv", "/set/s1/|y.kiv",
                           "/set/s1/deep/|d.kiv", "/set/s2/|c.kiv" }));
    QVERIFY(!list.isSorted());
}

void TestSettingsList::listingOnDisk()
{
    QTemporaryDir dir;
    for (const char *name : { "A.KIV", "b.kiv", "c.kiv.bak", "notes.txt", "sub1/same.kiv",
                              "sub2/same.kiv", "sub2/other.txt" })
        QVERIFY(touch(dir.filePath(name)));

    Window window;
    window.controls.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(RefreshSettingsList(window.list, window.state, window.controls, {}, kEnglish));
    const QString root = dir.path() + u'/';
    QCOMPARE(entriesOf(window.list),
             (QStringList { root + "|A.KIV", root + "|b.kiv", root + "sub1/|same.kiv",
                            root + "sub2/|same.kiv" }));
    QVERIFY(window.list.isSorted());
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], root);
    QVERIFY(!window.list.currentEntry());
}

void TestSettingsList::extensionMatch_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");

    QTest::newRow("lower case") << QString("my.kiv") << true;
    QTest::newRow("upper case") << QString("MY.KIV") << true;
    QTest::newRow("only the extension") << QString(".kiv") << true;
    QTest::newRow("blank before the extension") << QString("my settings .kiv") << true;
    QTest::newRow("backup copy") << QString("c.kiv.bak") << false;
    QTest::newRow("longer extension") << QString("a.kivx") << false;
    QTest::newRow("no dot") << QString("akiv") << false;
    QTest::newRow("shorter than the extension") << QString("kiv") << false;
}

void TestSettingsList::extensionMatch()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);

    MemoryFileSystem fs;
    fs.add("set/" + name.toUtf8());
    ProgramState state;
    SettingsList list;
    ListSettingsFiles(list, state, fs, "/set/", ".kiv", {}, kEnglish);
    QCOMPARE(list.count(), listed ? 1 : 0);

    // "*" takes every file.
    SettingsList all;
    ListSettingsFiles(all, state, fs, "/set/", "*", {}, kEnglish);
    QCOMPARE(all.count(), 1);
}

void TestSettingsList::trailingSeparator_data()
{
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("afterRefresh");
    QTest::addColumn<QString>("entryFolder");
    const auto row = [](const char *name, const char *text, const char *after, const char *folder) {
        QTest::newRow(name) << QString(text) << QString(after) << QString(folder);
    };
    row("without separator", "/set", "/set/", "/set/");
    row("with separator", "/set/", "/set/", "/set/");
    row("root keeps its one separator", "/", "/", "/");
    row("steps cleaned in the path column", "/set/../set//", "/set/../set//", "/set/");
}

void TestSettingsList::trailingSeparator()
{
    QFETCH(QString, folderText);
    QFETCH(QString, afterRefresh);
    QFETCH(QString, entryFolder);

    MemoryFileSystem fs { entryFolder == "/" ? "r.kiv" : "set/r.kiv" };
    Window window(&fs);
    window.refresh(folderText);
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], afterRefresh);
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.folderText(0), entryFolder);
    QCOMPARE(window.list.entry(0).folder, entryFolder.toUtf8());
}

void TestSettingsList::emptyFolderTextKeepsList()
{
    MemoryFileSystem fs { "r.kiv" };
    Window window(&fs);
    window.refresh("/");
    QCOMPARE(window.list.count(), 1);
    window.controls.texts[OptionText::SettingsPath] = QString();
    fs.listed.clear();
    QVERIFY(!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish));
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], QString());
    QVERIFY(fs.listed.isEmpty());
}

void TestSettingsList::sortedListKeepsOrder()
{
    MemoryFileSystem fs { "set/b.kiv", "set/A.KIV", "set/s/a.kiv", "set/c.kiv", "set/t/B.kiv" };
    Window window(&fs);
    // Sorted by name, letter case not counting; equal names in the order found.
    const QStringList expected { "/set/|A.KIV", "/set/s/|a.kiv", "/set/|b.kiv", "/set/t/|B.kiv",
                                 "/set/|c.kiv" };
    window.refresh("/set");
    QCOMPARE(entriesOf(window.list), expected);
    // A second refresh fills the already sorted list entry by entry.
    window.controls.refreshSettingsList();
    QCOMPARE(entriesOf(window.list), expected);
}

void TestSettingsList::currentEntry()
{
    MemoryFileSystem fs { "set/b.kiv", "set/a.kiv" };
    Window window(&fs);
    window.refresh("/set");
    QVERIFY(!window.list.currentEntry());
    QCOMPARE(window.list.currentFilePath(), QString());

    // "use setting" without a click does nothing at all.
    window.controls.log.clear();
    QVERIFY(!ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
    QCOMPARE(window.controls.log, QStringList());

    window.list.setCurrentEntry(1);
    QCOMPARE(window.list.currentFilePath(), "/set/b.kiv");
    window.list.setCurrentEntry(2);
    QVERIFY(!window.list.currentEntry());
    window.list.setCurrentEntry(0);
    QCOMPARE(window.list.currentFilePath(), "/set/a.kiv");

    window.controls.refreshSettingsList();
    QVERIFY(!window.list.currentEntry());
    window.list.setCurrentEntry(0);
    window.list.clearCurrentEntry();
    QVERIFY(!window.list.currentEntry());
}

void TestSettingsList::cancel()
{
    MemoryFileSystem fs { "set/a.kiv", "set/b.kiv", "set/c.kiv", "set/s/d.kiv" };
    Window window(&fs);
    window.yield = [&window] {
        if (window.list.count() == 2)
            window.state.bgCancel = true; // the cancel button, pressed during a yield
    };
    window.refresh("/set");
    QCOMPARE(entriesOf(window.list), QStringList({ "/set/|a.kiv", "/set/|b.kiv" }));
    QCOMPARE(fs.listed, (QList<QByteArray> { "/set" }));
    QVERIFY(window.state.bgCancel); // the listing never clears the flag

    // Cancelled before it starts: the list is emptied, the disk never read.
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 0);
    QCOMPARE(fs.listed.count(), 1);
    QVERIFY(window.state.bgCancel);
}

void TestSettingsList::unreadableFolderIsSkipped()
{
    MemoryFileSystem fs { "set/a.kiv", "set/locked/x.kiv", "set/open/y.kiv" };
    fs.makeUnreadable("/set/locked");
    Window window(&fs);
    window.refresh("/set/missing");
    QCOMPARE(window.list.count(), 0);
    QVERIFY(!window.list.isSorted()); // an empty result is not sorted
    window.refresh("/set");
    QCOMPARE(entriesOf(window.list), QStringList({ "/set/|a.kiv", "/set/open/|y.kiv" }));
}

void TestSettingsList::yieldPoints()
{
    MemoryFileSystem fs { "set/a.kiv", "set/n.txt", "set/s/b.kiv" };
    ProgramState state;
    SettingsList list;
    QStringList events;
    ListSettingsFiles(
        list, state, fs, "/set", ".kiv", [&] { events << QString("yield %1").arg(list.count()); },
        kEnglish);
    // Before each folder, before each file and after each added entry.
    QCOMPARE(events,
             QStringList(
                 { "yield 0", "yield 0", "yield 1", "yield 1", "yield 1", "yield 1", "yield 2" }));
}

void TestSettingsList::secondRefreshWhileListingIsRefused()
{
    MemoryFileSystem fs { "set/a.kiv", "set/b.kiv", "set/s/c.kiv" };
    Window window(&fs);
    int refused = 0;
    window.yield = [&] {
        if (!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish))
            ++refused;
    };
    window.refresh("/set");
    QVERIFY(refused > 0);
    QCOMPARE(entriesOf(window.list),
             QStringList({ "/set/|a.kiv", "/set/|b.kiv", "/set/s/|c.kiv" }));
    QVERIFY(!window.list.isListing());
}

void TestSettingsList::deepTree()
{
    const int depth = 4000;
    ChainFileSystem fs(depth);
    Window window(&fs);
    window.refresh("/");
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.fileNameText(0), "bottom.kiv");
    QCOMPARE(window.list.entry(0).folder.count('/'), qsizetype(depth + 1));
}

void TestSettingsList::browseForSettingsFolder()
{
    MemoryFileSystem fs { "set/a.kiv" };
    Window window(&fs);
    window.refresh("/set/");
    QCOMPARE(window.controls.refreshes, 1);

    // The picker was cancelled: the text empties, the list stays as it was.
    SettingsPathChosen(window.controls, QString());
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], QString());
    QCOMPARE(window.controls.refreshes, 1);
    QCOMPARE(window.list.count(), 1);

    SettingsPathChosen(window.controls, "/set");
    QCOMPARE(window.controls.refreshes, 2);
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], "/set/");
    QCOMPARE(window.list.count(), 1);
    QVERIFY(!window.list.currentEntry());
}

// Saving refreshes the list; using the clicked entry applies its file (what
// a file holds and how it is applied: tst_settings_file).
void TestSettingsList::saveClickApplyRoundTrip()
{
    QTemporaryDir dir;
    Window window;
    window.controls.texts[OptionText::SettingsPath] = dir.path();
    window.controls.texts[OptionText::DBPathName] = "/data/tree";
    window.controls.position = { 450, 600 };
    window.state.sgHeaderColor = "abcdef";

    QVERIFY(SaveSettingsFile(window.state, window.controls, dir.filePath("my.kiv")));
    QCOMPARE(entriesOf(window.list), QStringList { dir.path() + "/|my.kiv" });
    QVERIFY(!ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));

    window.controls.texts[OptionText::DBPathName] = "/elsewhere";
    window.controls.position = { 0, 0 };
    window.state.sgHeaderColor = "000000";
    window.list.setCurrentEntry(0);
    QVERIFY(ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
    QCOMPARE(window.controls.texts[OptionText::DBPathName], "/data/tree");
    QCOMPARE(window.controls.position, QPoint(450, 600));
    QCOMPARE(window.state.sgHeaderColor, "abcdef");
    QCOMPARE(window.controls.fieldAfterControl, QStringList());
}

void TestSettingsList::undecodableNameIsApplied()
{
    QTemporaryDir dir;
    const QByteArray name = "\xFF\xFE-old.kiv"; // not UTF-8: from an older system
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    const QByteArray content = "[window]\r\nleft=77\r\ntop=88\r\n";
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    const bool written = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    ::close(fd);
    QVERIFY(written);

    Window window;
    window.refresh(dir.path());
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.entry(0).fileName, name);
    QVERIFY(window.list.fileNameText(0).endsWith("-old.kiv"));
    window.list.setCurrentEntry(0);
    QVERIFY(ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
    QCOMPARE(window.controls.position, QPoint(77, 88));
}

void TestSettingsList::startUp_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("storedFolder"); // below the temporary folder
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("first run: the program folder")
        << false << QString() << QStringList({ "program/|p.kiv", "program/sub/|q.kiv" });
    QTest::newRow("stored settings folder")
        << true << QString("elsewhere") << QStringList({ "elsewhere/|e.kiv" });
    QTest::newRow("stored as empty: list untouched")
        << true << QString() << QStringList({ "old/|stale.kiv" });
}

void TestSettingsList::startUp()
{
    QFETCH(bool, stored);
    QFETCH(QString, storedFolder);
    QFETCH(QStringList, entries);

    QTemporaryDir dir;
    for (const char *name :
         { "program/p.kiv", "program/sub/q.kiv", "program/r.txt", "elsewhere/e.kiv" })
        QVERIFY(touch(dir.filePath(name)));
    Window window;
    window.state.makerName = "Morbanta";
    window.state.shortName = "kiv";
    window.state.programFolder = dir.filePath("program") + u'/';
    QSettings(window.state.makerName, window.state.shortName).clear();
    PreferenceStore store;
    if (stored) {
        store.SaveValue(window.state.makerName, window.state.shortName, "txtSettingsPath",
                        storedFolder.isEmpty() ? QString() : dir.filePath(storedFolder));
    }
    window.list.addEntry(dir.filePath("old").toUtf8(), "stale.kiv");
    window.list.setCurrentEntry(0);

    RestoreLastOptions(window.state, store, window.controls, kEnglish);
    QStringList expected;
    for (const QString &entry : entries)
        expected << dir.path() + u'/' + entry;
    QCOMPARE(entriesOf(window.list), expected);
    QVERIFY(!window.list.currentEntry());
    QSettings(window.state.makerName, window.state.shortName).clear();
}

QTEST_GUILESS_MAIN(TestSettingsList)
#include "tst_settings_list.moc"
