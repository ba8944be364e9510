#undef QT_NO_CAST_FROM_ASCII
#include "app/settings_file.h"

#include "app/program_state.h"
#include "support/file_bytes.h"
#include "support/program_options.h"
#include "support/recording_option_controls.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

// Every file below a folder with its bytes and modification time.
QMap<QString, QPair<QByteArray, qint64>> snapshot(const QString &folder)
{
    QMap<QString, QPair<QByteArray, qint64>> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info(path);
        files.insert(path,
                     { info.isFile() ? readAll(path) : QByteArray("<special>"),
                       info.lastModified().toMSecsSinceEpoch() });
    }
    return files;
}

// Options that differ from ProgramState's defaults in every field.
void fillState(ProgramState &state, const QString &tag)
{
    state.bgBorder = true;
    state.bgRecursive = false;
    state.bgSkipEmptyDir = true;
    state.bgLink = true;
    state.bgFileTag = { true, false, true, false, true };
    state.bgHover = false;
    state.bgToggle = true;
    const QStringList texts { tag + "bg",        tag + "grid",    tag + "text",
                              tag + "dir",       tag + "dirfont", tag + "file",
                              tag + "header",    tag + "hover",   tag + "Font Face",
                              tag + "8,5",       tag + "9",       "  /anim/" + tag + "spin.avi ",
                              tag + "List Face", "10,5" };
    for (qsizetype i = 0; i < texts.size(); ++i)
        state.*kTextFields[i] = texts[i];
}

// What a file without any readable key does to options and controls whose
// earlier values came from fillState(state, "old-").
void verifyEveryKeyMissing(const ProgramState &state, const RecordingOptionControls &controls,
                           QPoint positionBefore)
{
    // The folder, the pattern and the eleven text options, each emptied.
    QCOMPARE(controls.texts.size(), size_t(13));
    for (const auto &[box, text] : controls.texts)
        QVERIFY2(text.isEmpty(), qPrintable(QString::number(int(box))));
    QCOMPARE(textOptions(state), QStringList(kTextFields.size(), QString()));
    // Yes/no options keep what they were, and the boxes show it.
    ProgramState old;
    fillState(old, "old-");
    QCOMPARE(yesNoOptions(state), yesNoOptions(old));
    QCOMPARE(controls.checks.size(), size_t(11));
    // Empty font texts empty the captions; the faces and size on screen stay.
    QCOMPARE(controls.pageFontCaption, QString());
    QCOMPARE(controls.pageFontFace, "Screen Face");
    QCOMPARE(controls.listFontCaption, QString());
    QCOMPARE(controls.listFontFace, "List Face");
    QCOMPARE(controls.listFontPoints, 8.25);
    QCOMPARE(controls.position, positionBefore);
    QCOMPARE(controls.fieldAfterControl, QStringList());
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void newFileLayout();
    void savingOverExistingFileKeepsOtherLines();
    void everyKeyMissing_data();
    void everyKeyMissing();
    void yesNoValues_data();
    void yesNoValues();
    void coordinates_data();
    void coordinates();
    void listFontSize_data();
    void listFontSize();
    void saveFailureWritesNothing_data();
    void saveFailureWritesNothing();
    void saveUsesNameExactly();
    void oddValuesCannotAddKeys();
    void findSettingsKey_data();
    void findSettingsKey();
};

void TestSettingsFile::roundTrip()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("my.kiv");

    ProgramState saved;
    fillState(saved, "s-");
    saved.sgListFontsize = "8,25";
    RecordingOptionControls savingWindow(&saved);
    savingWindow.texts[OptionText::DBPathName] = "  /data/my folder/ ";
    savingWindow.texts[OptionText::EXT] = " *.txt\t";
    savingWindow.texts[OptionText::SettingsPath] = dir.path();
    savingWindow.position = { 2115, -345 };
    QVERIFY(SaveSettingsFile(saved, savingWindow, file));
    QCOMPARE(savingWindow.refreshes, 1);

    ProgramState applied;
    fillState(applied, "old-");
    applied.bgBorder = applied.bgSkipEmptyDir = applied.bgLink = applied.bgToggle = false;
    applied.bgRecursive = applied.bgHover = true;
    applied.bgFileTag = { false, true, false, true, false };
    RecordingOptionControls window(&applied);
    window.listFontPoints = 0;
    ApplySettingsFile(applied, window, file, kGerman);

    // Every box and caption was set after its option and shows it.
    QCOMPARE(window.fieldAfterControl, QStringList());
    QCOMPARE(window.texts.size(), size_t(13));
    QCOMPARE(window.checks.size(), size_t(11));
    QCOMPARE(window.texts[OptionText::DBPathName], "/data/my folder/");
    QCOMPARE(window.texts[OptionText::EXT], "*.txt");
    saved.sgAnimation = saved.sgAnimation.trimmed();
    QCOMPARE(textOptions(applied), textOptions(saved));
    QCOMPARE(yesNoOptions(applied), yesNoOptions(saved));
    QCOMPARE(window.pageFontFace, saved.sgFont);
    QCOMPARE(window.listFontFace, saved.sgListFont);
    QCOMPARE(window.listFontCaption, saved.sgListFont); // the face alone, no size
    QCOMPARE(window.listFontPoints, 8.25);
    QCOMPARE(window.position, QPoint(2115, -345));
    QCOMPARE(window.refreshes, 0);
    // Options and controls follow the order of the table.
    QStringList kinds;
    for (const QString &call : window.log)
        kinds << call.section(u'=', 0, 0).section(u' ', 0, 1);
    const auto text = [](OptionText box) { return QString("text %1").arg(int(box)); };
    const auto check = [](OptionCheck box) { return QString("check %1").arg(int(box)); };
    const QStringList expected { text(OptionText::DBPathName),
                                 text(OptionText::EXT),
                                 check(OptionCheck::SkipEmptyDir),
                                 text(OptionText::Animation),
                                 "listCaption s-List",
                                 "listFace s-List",
                                 "listSize 8.25",
                                 check(OptionCheck::FileTag0),
                                 check(OptionCheck::FileTag1),
                                 check(OptionCheck::FileTag2),
                                 check(OptionCheck::FileTag3),
                                 check(OptionCheck::FileTag4),
                                 check(OptionCheck::Border),
                                 check(OptionCheck::Recursive),
                                 check(OptionCheck::Link),
                                 text(OptionText::BackgroundColor),
                                 text(OptionText::GridColor),
                                 text(OptionText::TextColor),
                                 "pageFont s-Font",
                                 text(OptionText::FontSizeFILE),
                                 text(OptionText::FontSizeDIR),
                                 text(OptionText::DirColor),
                                 text(OptionText::DirFontColor),
                                 text(OptionText::FileColor),
                                 text(OptionText::HeaderColor),
                                 check(OptionCheck::Hover),
                                 text(OptionText::HoverColor),
                                 check(OptionCheck::Toggle),
                                 "move 2115,-",
                                 "move -,-345" };
    QCOMPARE(kinds, expected);
}

void TestSettingsFile::newFileLayout()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("fresh.kiv");
    ProgramState state;
    fillState(state, "n-");
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = " /p ";
    window.texts[OptionText::EXT] = "kiv";
    window.position = { 30, 45 };
    QVERIFY(SaveSettingsFile(state, window, file));
    QCOMPARE(window.refreshes, 0); // no settings folder
    compareBytes(readAll(file),
                 "[search]\r\npath=/p\r\next=kiv\r\nbgSkipEmptyDir=True\r\n"
                 "sgAnimation=/anim/n-spin.avi\r\nsgListFont=n-List Face\r\nsgListFontsize=10,5\r\n"
                 "\r\n[htm]\r\nbgFileTag0=True\r\nbgFileTag1=False\r\nbgFileTag2=True\r\n"
                 "bgFileTag3=False\r\nbgFileTag4=True\r\nbgBorder=True\r\nbgRecursive=False\r\n"
                 "bgLink=True\r\nsgBackgroundColor=n-bg\r\nsgGridColor=n-grid\r\n"
                 "sgTextColor=n-text\r\nsgFont=n-Font Face\r\nsgFontSizeFILE=n-8,5\r\n"
                 "sgFontSizeDIR=n-9\r\nsgDirColor=n-dir\r\nsgDirFontColor=n-dirfont\r\n"
                 "sgFileColor=n-file\r\nsgHeaderColor=n-header\r\nbgHover=False\r\n"
                 "sgHoverColor=n-hover\r\nbgToggle=True\r\n"
                 "\r\n[window]\r\nleft=30\r\ntop=45\r\n");
}

void TestSettingsFile::savingOverExistingFileKeepsOtherLines()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("old.kiv");
    const QByteArray before = "; kept comment\r\n[extra]\r\npath = not the folder\r\ncolour=red\r\n"
                              "\r\n[Search]\r\nPATH = /old/folder\r\nmine=1\r\n[htm]\r\n"
                              "sgFont=Old Face\r\n[window]\r\nleft = 10\r\n\r\n";
    QVERIFY(writeAll(file, before));

    ProgramState state;
    fillState(state, "x-");
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = "/new/folder";
    window.position = { 600, 900 };
    QVERIFY(SaveSettingsFile(state, window, file));

    // Lines of the 29 keys are replaced where they stood; every other line
    // of the old file is still there, byte for byte and in its order.
    const QList<QByteArray> after = readAll(file).split('\n');
    QCOMPARE(after.mid(0, 9),
             (QList<QByteArray> { "; kept comment\r", "[extra]\r", "path = not the folder\r",
                                  "colour=red\r", "\r", "[Search]\r", "PATH = /new/folder\r",
                                  "mine=1\r", "ext=\r" }));
    const qsizetype htm = after.indexOf("[htm]\r");
    QVERIFY(htm > 8);
    QCOMPARE(after.at(htm + 1), QByteArray("sgFont=x-Font Face\r"));
    QCOMPARE(after.mid(after.indexOf("[window]\r") + 1),
             (QList<QByteArray> { "left = 600\r", "top=900\r", "\r", "" }));
    // The file's own lines plus the 26 keys it did not hold: nothing doubled.
    QCOMPARE(after.size(), before.count('\n') + 1 + 29 - 3);
    QCOMPARE(after.count("[search]\r") + after.count("[Search]\r"), 1);
}

void TestSettingsFile::everyKeyMissing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("position");
    const QPoint unmoved(1500, 3000);
    QTest::newRow("vanished file") << "missing" << unmoved;
    QTest::newRow("folder") << "folder" << unmoved;
    QTest::newRow("no readable key") << "other sections" << unmoved;
    QTest::newRow("pipe") << "pipe" << unmoved;
    QTest::newRow("unreadable file") << "unreadable" << unmoved;
    QTest::newRow("window position only") << "window" << QPoint(300, 450);
}

// Binary garbage and endless lines read as no keys at all: tst_ini_file.
void TestSettingsFile::everyKeyMissing()
{
    QFETCH(QString, kind);
    QFETCH(QPoint, position);

    QTemporaryDir dir;
    const QString file = dir.filePath("bad.kiv");
    QVERIFY(writeAll(dir.filePath("neighbour.kiv"), "[window]\r\nleft=1\r\ntop=2\r\n"));
    if (kind == "folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (kind == "other sections") {
        QVERIFY(writeAll(file,
                         "[Search ]x\r\n[searching]\r\npath=/x\r\n[htm2]\r\nbgBorder=False\r\n"
                         "window]\r\nleft=5\r\n"));
    } else if (kind == "pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    } else if (kind == "unreadable") {
        if (::geteuid() == 0)
            QSKIP("the superuser reads every file");
        QVERIFY(writeAll(file, "[window]\r\nleft=1\r\n"));
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    } else if (kind == "window") {
        QVERIFY(writeAll(file, "[window]\r\nleft=300\r\ntop=450\r\n"));
    }
    const auto before = snapshot(dir.path());

    ProgramState state;
    fillState(state, "old-");
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = "/before";
    ApplySettingsFile(state, window, file, kEnglish);

    verifyEveryKeyMissing(state, window, position);
    QVERIFY(snapshot(dir.path()) == before);
}

void TestSettingsFile::yesNoValues_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("before");
    QTest::addColumn<bool>("after");

    QTest::newRow("True") << QByteArray("True") << false << true;
    QTest::newRow("False") << QByteArray("False") << true << false;
    QTest::newRow("any letter case") << QByteArray("tRUE") << false << true;
    QTest::newRow("blanks around") << QByteArray("  false ") << true << false;
    QTest::newRow("zero") << QByteArray("0") << true << false;
    QTest::newRow("other number") << QByteArray("-1") << false << true;
    QTest::newRow("word kept (yes)") << QByteArray("yes") << true << true;
    QTest::newRow("word kept (no)") << QByteArray("Wahr") << false << false;
    QTest::newRow("empty kept") << QByteArray("") << true << true;
}

void TestSettingsFile::yesNoValues()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, before);
    QFETCH(bool, after);

    QTemporaryDir dir;
    const QString file = dir.filePath("b.kiv");
    QVERIFY(writeAll(file, "[htm]\r\nbgHover=" + stored + "\r\nbgFileTag3=" + stored + "\r\n"));
    ProgramState state;
    state.bgHover = before;
    state.bgFileTag[3] = before;
    RecordingOptionControls window(&state);
    window.checks[OptionCheck::Hover] = !before;
    ApplySettingsFile(state, window, file, kEnglish);
    QCOMPARE(state.bgHover, after);
    QCOMPARE(window.checks.at(OptionCheck::Hover), after);
    QCOMPARE(state.bgFileTag[3], after);
    QCOMPARE(window.checks.at(OptionCheck::FileTag3), after);
}

void TestSettingsFile::coordinates_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QPoint>("position");

    QTest::newRow("both") << QByteArray("[window]\r\nleft=120\r\ntop=-60\r\n") << QPoint(120, -60);
    QTest::newRow("blanks around")
        << QByteArray("[window]\r\nleft = 75 \r\ntop=\t9\r\n") << QPoint(75, 9);
    QTest::newRow("left only") << QByteArray("[window]\r\nleft=7\r\n") << QPoint(7, 3000);
    QTest::newRow("not numbers") << QByteArray("[window]\r\nleft=abc\r\ntop=12.5\r\n")
                                 << QPoint(1500, 3000);
    QTest::newRow("empty") << QByteArray("[window]\r\nleft=\r\ntop=\r\n") << QPoint(1500, 3000);
    QTest::newRow("too large for a number")
        << QByteArray("[window]\r\nleft=99999999999\r\n") << QPoint(1500, 3000);
}

void TestSettingsFile::coordinates()
{
    QFETCH(QByteArray, file);
    QFETCH(QPoint, position);

    QTemporaryDir dir;
    const QString path = dir.filePath("c.kiv");
    QVERIFY(writeAll(path, file));
    ProgramState state;
    RecordingOptionControls window(&state);
    ApplySettingsFile(state, window, path, kEnglish);
    QCOMPARE(window.position, position);
}

void TestSettingsFile::listFontSize_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("points");

    QTest::newRow("German decimal comma") << QString("8,25") << kGerman << 8.25;
    QTest::newRow("English decimal point") << QString("8.25") << kEnglish << 8.25;
    QTest::newRow("empty keeps the size") << QString() << kGerman << 7.0;
    QTest::newRow("word keeps the size") << QString("large") << kEnglish << 7.0;
    QTest::newRow("zero keeps the size") << QString("0") << kEnglish << 7.0;
    QTest::newRow("absurd size keeps the size") << QString("1e9") << kEnglish << 7.0;
}

void TestSettingsFile::listFontSize()
{
    QFETCH(QString, stored);
    QFETCH(QLocale, locale);
    QFETCH(double, points);

    QTemporaryDir dir;
    const QString path = dir.filePath("f.kiv");
    QVERIFY(writeAll(path,
                     "[search]\r\nsgListFont=Mono\r\nsgListFontsize=" + stored.toUtf8() + "\r\n"));
    ProgramState state;
    RecordingOptionControls window(&state);
    window.listFontPoints = 7.0;
    ApplySettingsFile(state, window, path, locale);
    QCOMPARE(state.sgListFontsize, stored);
    QCOMPARE(window.listFontPoints, points);
    QCOMPARE(window.listFontCaption, "Mono");
}

void TestSettingsFile::saveFailureWritesNothing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("settingsFolder");
    QTest::newRow("below a file") << "below file" << true;
    QTest::newRow("below a file, no settings folder") << "below file" << false;
    QTest::newRow("folder in the file's place") << "folder" << true;
    QTest::newRow("pipe in the file's place") << "pipe" << true;
    QTest::newRow("no name") << "empty" << true;
}

void TestSettingsFile::saveFailureWritesNothing()
{
    QFETCH(QString, kind);
    QFETCH(bool, settingsFolder);

    QTemporaryDir dir;
    const QString blocker = dir.filePath("blocker");
    QVERIFY(writeAll(blocker, "keep"));
    QString target;
    if (kind == "below file") {
        target = blocker + "/s.kiv";
    } else if (kind == "folder") {
        target = dir.filePath("folder.kiv");
        QVERIFY(QDir().mkpath(target));
    } else if (kind == "pipe") {
        target = dir.filePath("pipe.kiv");
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    }
    const auto entries = [&] {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    };
    const QStringList entriesBefore = entries();

    ProgramState state;
    fillState(state, "f-");
    RecordingOptionControls window(&state);
    if (settingsFolder)
        window.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(!SaveSettingsFile(state, window, target));
    QCOMPARE(window.refreshes, settingsFolder ? 1 : 0);
    QCOMPARE(entries(), entriesBefore);
    QCOMPARE(readAll(blocker), QByteArray("keep"));
    if (kind == "folder")
        QVERIFY(QDir(target).isEmpty());
}

void TestSettingsFile::saveUsesNameExactly()
{
    QTemporaryDir dir;
    ProgramState state;
    RecordingOptionControls window(&state);
    window.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(SaveSettingsFile(state, window, dir.filePath("noext")));
    QVERIFY(SaveSettingsFile(state, window, dir.filePath("UPPER.KIV")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
             (QStringList { "UPPER.KIV", "noext" }));
    QCOMPARE(window.refreshes, 2);
}

// Line breaks cannot start a key of their own; values are read back cut to
// the readable length.
void TestSettingsFile::oddValuesCannotAddKeys()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("nl.kiv");
    ProgramState state;
    state.sgFont = "Face\r\n[window]\r\nleft=0";
    state.sgHeaderColor = QString(300, u'h');
    RecordingOptionControls saving(&state);
    saving.texts[OptionText::DBPathName] = "/a\nb";
    saving.position = { 45, 60 };
    QVERIFY(SaveSettingsFile(state, saving, file));
    QCOMPARE(readAll(file).count("\r\n"), 29 + 3 + 2);

    ProgramState applied;
    RecordingOptionControls window(&applied);
    ApplySettingsFile(applied, window, file, kEnglish);
    QCOMPARE(window.position, QPoint(45, 60));
    QCOMPARE(window.texts[OptionText::DBPathName], "/a b");
    QCOMPARE(applied.sgFont, "Face  [window]  left=0");
    QCOMPARE(applied.sgHeaderColor, QString(249, u'h'));
    QCOMPARE(window.texts[OptionText::HeaderColor], QString(249, u'h'));
}

void TestSettingsFile::findSettingsKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: unknown

    QTest::newRow("first key") << QString("path") << 0;
    QTest::newRow("last key") << QString("top") << 28;
    QTest::newRow("any letter case") << QString("SGFONTSIZEdir") << 19;
    QTest::newRow("preference key of the folder") << QString("txt_DBPathName") << -1;
    QTest::newRow("preference key of a column") << QString("chkFileTag0") << -1;
    QTest::newRow("settings folder is not in a file") << QString("txtSettingsPath") << -1;
    QTest::newRow("section name") << QString("window") << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TestSettingsFile::findSettingsKey()
{
    QFETCH(QString, name);
    QFETCH(int, index);
    QCOMPARE(FindSettingsKey(name).value_or(-1), index);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
