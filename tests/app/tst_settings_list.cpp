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
    MemoryFileSystem() { m_folders[QByteArrayLiteral("/")]; }

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

QStringList texts(std::initializer_list<const char *> items)
{
    QStringList list;
    for (const char *item : items)
        list << QString::fromUtf8(item);
    return list;
}

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
    void columns();
    void listingOrder();
    void listingOnDisk();
    void extensionMatch_data();
    void extensionMatch();
    void trailingSeparator_data();
    void trailingSeparator();
    void emptyFolderTextKeepsList();
    void emptyResultStaysUnsorted();
    void sortedListKeepsOrder();
    void currentEntry();
    void cancelBeforeListing();
    void cancelWhileListing();
    void unreadableFolderIsSkipped();
    void yieldPoints();
    void secondRefreshWhileListingIsRefused();
    void deepTree();
    void browseForSettingsFolder();
    void saveClickApplyRoundTrip();
    void modelStaysConsistent();
    void undecodableNameIsApplied();
    void startUp_data();
    void startUp();

private:
    QTemporaryDir m_settingsDir;
};

void TestSettingsList::columns()
{
    SettingsList list;
    QCOMPARE(list.columnCount(), 2);
    QCOMPARE(list.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("settings-file"));
    QCOMPARE(list.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("path"));
    QCOMPARE(SettingsList::kColumns[0].widthTwips, 7830);
    QCOMPARE(SettingsList::kColumns[1].widthTwips, 3230);
    QCOMPARE(list.rowCount(), 0);
    QVERIFY(!list.isSorted());
}

void TestSettingsList::listingOrder()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/b.kiv", "set/a.kiv", "set/x.txt", "set/s1/z.kiv",
                              "set/s1/deep/d.kiv", "set/s1/y.kiv", "set/s2/c.kiv" })
        fs.add(path);
    ProgramState state;
    SettingsList list;
    ListSettingsFiles(list, state, fs, QStringLiteral("/set"), QStringLiteral(".kiv"), {},
                      kEnglish);
    // Files of a folder before those of its subfolders, depth first, each in
    // the file system's order; nothing sorted yet.
    QCOMPARE(entriesOf(list),
             texts({ "/set/|b.kiv", "/set/|a.kiv", "/set/s1/|z.kiv", "/set/s1/|y.kiv",
                     "/set/s1/deep/|d.kiv", "/set/s2/|c.kiv" }));
    QVERIFY(!list.isSorted());
}

void TestSettingsList::listingOnDisk()
{
    QTemporaryDir dir;
    for (const char *name : { "A.KIV", "b.kiv", "c.kiv.bak", "notes.txt", "sub1/same.kiv",
                              "sub2/same.kiv", "sub2/other.txt" })
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));

    Window window;
    window.controls.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(RefreshSettingsList(window.list, window.state, window.controls, {}, kEnglish));
    const QString root = dir.path() + u'/';
    QCOMPARE(entriesOf(window.list),
             (QStringList { root + u"|A.KIV", root + u"|b.kiv", root + u"sub1/|same.kiv",
                            root + u"sub2/|same.kiv" }));
    QVERIFY(window.list.isSorted());
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], root);
    QVERIFY(!window.list.currentEntry());
}

void TestSettingsList::extensionMatch_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("listed");

    QTest::newRow("lower case") << "my.kiv" << true;
    QTest::newRow("upper case") << "MY.KIV" << true;
    QTest::newRow("mixed case") << "My.KiV" << true;
    QTest::newRow("only the extension") << ".kiv" << true;
    QTest::newRow("blank before the extension") << "my settings .kiv" << true;
    QTest::newRow("backup copy") << "c.kiv.bak" << false;
    QTest::newRow("longer extension") << "a.kivx" << false;
    QTest::newRow("no dot") << "akiv" << false;
    QTest::newRow("shorter than the extension") << "kiv" << false;
    QTest::newRow("other file") << "notes.txt" << false;
}

void TestSettingsList::extensionMatch()
{
    QFETCH(QString, name);
    QFETCH(bool, listed);

    MemoryFileSystem fs;
    fs.add("set/" + name.toUtf8());
    ProgramState state;
    SettingsList list;
    ListSettingsFiles(list, state, fs, QStringLiteral("/set/"), QStringLiteral(".kiv"), {},
                      kEnglish);
    QCOMPARE(list.count(), listed ? 1 : 0);

    // "*" takes every file.
    SettingsList all;
    ListSettingsFiles(all, state, fs, QStringLiteral("/set/"), QStringLiteral("*"), {}, kEnglish);
    QCOMPARE(all.count(), 1);
}

void TestSettingsList::trailingSeparator_data()
{
    QTest::addColumn<QString>("folderText");
    QTest::addColumn<QString>("afterRefresh");
    QTest::addColumn<QString>("entryFolder");

    QTest::newRow("without separator") << "/set"
                                       << "/set/"
                                       << "/set/";
    QTest::newRow("with separator") << "/set/"
                                    << "/set/"
                                    << "/set/";
    QTest::newRow("root keeps its one separator") << "/"
                                                  << "/"
                                                  << "/";
    QTest::newRow("steps cleaned in the path column") << "/set/../set//"
                                                      << "/set/../set//"
                                                      << "/set/";
}

void TestSettingsList::trailingSeparator()
{
    QFETCH(QString, folderText);
    QFETCH(QString, afterRefresh);
    QFETCH(QString, entryFolder);

    MemoryFileSystem fs;
    fs.add(entryFolder == u"/" ? "r.kiv" : "set/r.kiv");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = folderText;
    window.controls.refreshSettingsList();
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], afterRefresh);
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.folderText(0), entryFolder);
    QCOMPARE(window.list.entry(0).folder, entryFolder.toUtf8());
}

void TestSettingsList::emptyFolderTextKeepsList()
{
    MemoryFileSystem fs;
    fs.add("r.kiv");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 1);
    window.controls.texts[OptionText::SettingsPath] = QString();
    fs.listed.clear();
    QVERIFY(!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish));
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], QString());
    QVERIFY(fs.listed.isEmpty());
}

void TestSettingsList::emptyResultStaysUnsorted()
{
    MemoryFileSystem fs;
    fs.add("set/notes.txt");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 0);
    QVERIFY(!window.list.isSorted());
}

void TestSettingsList::sortedListKeepsOrder()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/b.kiv", "set/A.KIV", "set/s/a.kiv", "set/c.kiv", "set/t/B.kiv" })
        fs.add(path);
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    // Sorted by name, letter case not counting; equal names in the order found.
    const QStringList expected
        = texts({ "/set/|A.KIV", "/set/s/|a.kiv", "/set/|b.kiv", "/set/t/|B.kiv", "/set/|c.kiv" });
    window.controls.refreshSettingsList();
    QCOMPARE(entriesOf(window.list), expected);
    // A second refresh fills the already sorted list entry by entry.
    window.controls.refreshSettingsList();
    QCOMPARE(entriesOf(window.list), expected);
}

void TestSettingsList::currentEntry()
{
    MemoryFileSystem fs;
    fs.add("set/b.kiv");
    fs.add("set/a.kiv");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.controls.refreshSettingsList();
    QVERIFY(!window.list.currentEntry());
    QCOMPARE(window.list.currentFilePath(), QString());

    // "use setting" without a click does nothing at all.
    window.controls.log.clear();
    QVERIFY(!ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
    QCOMPARE(window.controls.log, QStringList());

    window.list.setCurrentEntry(1);
    QCOMPARE(window.list.currentFilePath(), QStringLiteral("/set/b.kiv"));
    window.list.setCurrentEntry(2);
    QVERIFY(!window.list.currentEntry());
    window.list.setCurrentEntry(0);
    QCOMPARE(window.list.currentFilePath(), QStringLiteral("/set/a.kiv"));

    window.controls.refreshSettingsList();
    QVERIFY(!window.list.currentEntry());
    window.list.setCurrentEntry(0);
    window.list.clearCurrentEntry();
    QVERIFY(!window.list.currentEntry());
}

void TestSettingsList::cancelBeforeListing()
{
    MemoryFileSystem fs;
    fs.add("set/a.kiv");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 1);

    window.state.bgCancel = true;
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 0);
    QVERIFY(fs.listed.count() == 1); // only the first refresh read the disk
    QVERIFY(window.state.bgCancel); // the listing never clears the flag
}

void TestSettingsList::cancelWhileListing()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/a.kiv", "set/b.kiv", "set/c.kiv", "set/s/d.kiv" })
        fs.add(path);
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.yield = [&window] {
        if (window.list.count() == 2)
            window.state.bgCancel = true; // the cancel button, pressed during a yield
    };
    window.controls.refreshSettingsList();
    QCOMPARE(entriesOf(window.list), texts({ "/set/|a.kiv", "/set/|b.kiv" }));
    QCOMPARE(fs.listed, (QList<QByteArray> { "/set" }));
    QVERIFY(window.state.bgCancel);
}

void TestSettingsList::unreadableFolderIsSkipped()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/a.kiv", "set/locked/x.kiv", "set/open/y.kiv" })
        fs.add(path);
    fs.makeUnreadable("/set/locked");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set/missing");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 0);

    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.controls.refreshSettingsList();
    QCOMPARE(entriesOf(window.list), texts({ "/set/|a.kiv", "/set/open/|y.kiv" }));
}

void TestSettingsList::yieldPoints()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/a.kiv", "set/n.txt", "set/s/b.kiv" })
        fs.add(path);
    ProgramState state;
    SettingsList list;
    QStringList events;
    ListSettingsFiles(
        list, state, fs, QStringLiteral("/set"), QStringLiteral(".kiv"),
        [&] { events << QStringLiteral("yield %1").arg(list.count()); }, kEnglish);
    // Before each folder, before each file and after each added entry.
    QCOMPARE(
        events,
        texts({ "yield 0", "yield 0", "yield 1", "yield 1", "yield 1", "yield 1", "yield 2" }));
}

void TestSettingsList::secondRefreshWhileListingIsRefused()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/a.kiv", "set/b.kiv", "set/s/c.kiv" })
        fs.add(path);
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    int refused = 0;
    window.yield = [&] {
        if (!RefreshSettingsList(window.list, window.state, window.controls, fs, {}, kEnglish))
            ++refused;
    };
    window.controls.refreshSettingsList();
    QVERIFY(refused > 0);
    QCOMPARE(entriesOf(window.list), texts({ "/set/|a.kiv", "/set/|b.kiv", "/set/s/|c.kiv" }));
    QVERIFY(!window.list.isListing());
}

void TestSettingsList::deepTree()
{
    const int depth = 4000;
    ChainFileSystem fs(depth);
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/");
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.fileNameText(0), QStringLiteral("bottom.kiv"));
    QCOMPARE(window.list.entry(0).folder.count('/'), qsizetype(depth + 1));
}

void TestSettingsList::browseForSettingsFolder()
{
    MemoryFileSystem fs;
    fs.add("set/a.kiv");
    Window window(&fs);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set/");
    window.controls.refreshSettingsList();
    QCOMPARE(window.controls.refreshes, 1);

    // The picker was cancelled: the text empties, the list stays as it was.
    SettingsPathChosen(window.controls, QString());
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], QString());
    QCOMPARE(window.controls.refreshes, 1);
    QCOMPARE(window.list.count(), 1);

    SettingsPathChosen(window.controls, QStringLiteral("/set"));
    QCOMPARE(window.controls.refreshes, 2);
    QCOMPARE(window.controls.texts[OptionText::SettingsPath], QStringLiteral("/set/"));
    QCOMPARE(window.list.count(), 1);
    QVERIFY(!window.list.currentEntry());
}

void TestSettingsList::saveClickApplyRoundTrip()
{
    QTemporaryDir dir;
    Window window;
    window.controls.texts[OptionText::SettingsPath] = dir.path();
    window.controls.texts[OptionText::DBPathName] = QStringLiteral(" /data/tree ");
    window.controls.texts[OptionText::EXT] = QStringLiteral("html");
    window.controls.position = { 450, 600 };
    window.state.bgLink = true;
    window.state.bgFileTag = { false, true, false, true, false };
    window.state.sgHeaderColor = QStringLiteral("abcdef");
    window.state.sgFont = QStringLiteral("Page Face");
    window.state.sgListFont = QStringLiteral("List Face");
    window.state.sgListFontsize = QStringLiteral("9.5");
    window.state.sgAnimation = QStringLiteral("/clips/spin.avi ");

    QVERIFY(
        SaveSettingsFile(window.state, window.controls, dir.filePath(QStringLiteral("my.kiv"))));
    QCOMPARE(entriesOf(window.list), (QStringList { dir.path() + u'/' + u'|' + u"my.kiv" }));
    QVERIFY(!ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));

    // Everything changes before the entry is applied.
    window.controls.texts[OptionText::DBPathName] = QStringLiteral("/elsewhere");
    window.controls.texts[OptionText::EXT] = QStringLiteral("*");
    window.controls.position = { 0, 0 };
    window.state.bgLink = false;
    window.state.bgFileTag = { true, false, true, false, true };
    window.state.sgHeaderColor = QStringLiteral("000000");
    window.state.sgFont.clear();
    window.state.sgListFont.clear();
    window.state.sgListFontsize.clear();
    window.state.sgAnimation.clear();

    window.list.setCurrentEntry(0);
    QVERIFY(ApplyCurrentSettingsEntry(window.list, window.state, window.controls, kEnglish));
    QCOMPARE(window.controls.texts[OptionText::DBPathName], QStringLiteral("/data/tree"));
    QCOMPARE(window.controls.texts[OptionText::EXT], QStringLiteral("html"));
    QCOMPARE(window.controls.position, QPoint(450, 600));
    QCOMPARE(window.state.bgLink, true);
    QVERIFY(window.state.bgFileTag == (std::array<bool, 5> { false, true, false, true, false }));
    QCOMPARE(window.state.sgHeaderColor, QStringLiteral("abcdef"));
    QCOMPARE(window.state.sgFont, QStringLiteral("Page Face"));
    QCOMPARE(window.state.sgListFont, QStringLiteral("List Face"));
    QCOMPARE(window.controls.listFontPoints, 9.5);
    QCOMPARE(window.state.sgAnimation, QStringLiteral("/clips/spin.avi"));
    QCOMPARE(window.controls.fieldAfterControl, QStringList());
}

void TestSettingsList::modelStaysConsistent()
{
    MemoryFileSystem fs;
    for (const char *path : { "set/b.kiv", "set/a.kiv", "set/s/c.kiv", "set/s/a.kiv" })
        fs.add(path);
    Window window(&fs);
    QAbstractItemModelTester tester(&window.list,
                                    QAbstractItemModelTester::FailureReportingMode::QtTest);
    window.controls.texts[OptionText::SettingsPath] = QStringLiteral("/set");
    window.controls.refreshSettingsList();
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.rowCount(), 4);
    QCOMPARE(window.list.data(window.list.index(0, 0), Qt::DisplayRole).toString(),
             QStringLiteral("a.kiv"));
    QCOMPARE(window.list.data(window.list.index(0, 1), Qt::DisplayRole).toString(),
             QStringLiteral("/set/"));
    QCOMPARE(window.list.data(window.list.index(1, 1), Qt::DisplayRole).toString(),
             QStringLiteral("/set/s/"));
    window.list.clear();
    QCOMPARE(window.list.rowCount(), 0);
}

void TestSettingsList::undecodableNameIsApplied()
{
    QTemporaryDir dir;
    const QByteArray name = "\xFF\xFE-old.kiv"; // not UTF-8: from an older system
    QFile file;
    const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    QVERIFY(file.write("[window]\r\nleft=77\r\ntop=88\r\n") > 0);
    file.close();

    Window window;
    window.controls.texts[OptionText::SettingsPath] = dir.path();
    window.controls.refreshSettingsList();
    QCOMPARE(window.list.count(), 1);
    QCOMPARE(window.list.entry(0).fileName, name);
    QVERIFY(window.list.fileNameText(0).endsWith(u"-old.kiv"));
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
        << false << QString() << texts({ "program/|p.kiv", "program/sub/|q.kiv" });
    QTest::newRow("stored settings folder") << true << "elsewhere" << texts({ "elsewhere/|e.kiv" });
    QTest::newRow("stored as empty: list untouched") << true << "" << texts({ "old/|stale.kiv" });
}

void TestSettingsList::startUp()
{
    QFETCH(bool, stored);
    QFETCH(QString, storedFolder);
    QFETCH(QStringList, entries);

    QTemporaryDir dir;
    for (const char *name :
         { "program/p.kiv", "program/sub/q.kiv", "program/r.txt", "elsewhere/e.kiv" })
        QVERIFY(touch(dir.filePath(QString::fromLatin1(name))));
    Window window;
    window.state.makerName = QStringLiteral("Morbanta");
    window.state.shortName = QStringLiteral("kiv");
    window.state.programFolder = dir.filePath(QStringLiteral("program")) + u'/';
    QSettings(window.state.makerName, window.state.shortName).clear();
    PreferenceStore store;
    if (stored) {
        store.SaveValue(window.state.makerName, window.state.shortName,
                        QStringLiteral("txtSettingsPath"),
                        storedFolder.isEmpty() ? QString() : dir.filePath(storedFolder));
    }
    window.list.addEntry(dir.filePath(QStringLiteral("old")).toUtf8(), "stale.kiv");
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
