#include "app/settings_file.h"

#include "support/file_bytes.h"
#include "support/program_options.h"
#include "support/recording_option_controls.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

// Options that differ from ProgramState's defaults in every field.
void fillState(ProgramState &state, const QString &tag)
{
    state.bgBorder = state.bgSkipEmptyDir = state.bgLink = state.bgToggle = true;
    state.bgRecursive = state.bgHover = false;
    state.bgFileTag = { true, false, true, false, true };
    state.sgBackgroundColor = tag + QStringLiteral("bg");
    state.sgGridColor = tag + QStringLiteral("grid");
    state.sgTextColor = tag + QStringLiteral("text");
    state.sgDirColor = tag + QStringLiteral("dir");
    state.sgDirFontColor = tag + QStringLiteral("dirfont");
    state.sgFileColor = tag + QStringLiteral("file");
    state.sgHeaderColor = tag + QStringLiteral("header");
    state.sgHoverColor = tag + QStringLiteral("hover");
    state.sgFont = tag + QStringLiteral("Font Face");
    state.sgFontSizeFILE = tag + QStringLiteral("8,5");
    state.sgFontSizeDIR = tag + QStringLiteral("9");
    state.sgAnimation = QStringLiteral("  /anim/") + tag + QStringLiteral("spin.avi ");
    state.sgListFont = tag + QStringLiteral("List Face");
    state.sgListFontsize = QStringLiteral("10,5");
}

// Every file of a folder with its bytes and modification time.
QStringList snapshot(const QString &folder)
{
    QStringList files;
    for (const QFileInfo &info : QDir(folder).entryInfoList(QDir::Files | QDir::System))
        files << info.fileName() + QString::fromUtf8(readAll(info.filePath()))
                + QString::number(info.lastModified().toMSecsSinceEpoch());
    return files;
}

void applyBytes(ProgramState &state, RecordingOptionControls &window, const QByteArray &bytes,
                const QLocale &locale = kEnglish)
{
    QTemporaryDir dir;
    QVERIFY(writeAll(dir.filePath(QStringLiteral("a.kiv")), bytes));
    ApplySettingsFile(state, window, dir.filePath(QStringLiteral("a.kiv")), locale);
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("my.kiv"));

        ProgramState saved;
        fillState(saved, QStringLiteral("s-"));
        saved.sgListFontsize = QStringLiteral("8,25");
        RecordingOptionControls savingWindow(&saved);
        savingWindow.texts[OptionText::DBPathName] = QStringLiteral("  /data/my folder/ ");
        savingWindow.texts[OptionText::EXT] = QStringLiteral(" *.txt\t");
        savingWindow.texts[OptionText::SettingsPath] = dir.path();
        savingWindow.position = { 2115, -345 };
        QVERIFY(SaveSettingsFile(saved, savingWindow, file).ok);
        QCOMPARE(savingWindow.refreshes, 1);

        ProgramState applied;
        fillState(applied, QStringLiteral("old-"));
        applied.bgBorder = applied.bgSkipEmptyDir = applied.bgLink = applied.bgToggle = false;
        applied.bgRecursive = applied.bgHover = true;
        applied.bgFileTag = { false, true, false, true, false };
        RecordingOptionControls window(&applied);
        window.listFontPoints = 0;
        ApplySettingsFile(applied, window, file, kGerman);

        // Every box and caption was set after its option and shows it.
        QCOMPARE(window.fieldAfterControl, QStringList());
        QCOMPARE(window.texts.size(), size_t(14));
        QCOMPARE(window.checks.size(), size_t(12));
        QCOMPARE(window.texts[OptionText::DBPathName], QStringLiteral("/data/my folder/"));
        QCOMPARE(window.texts[OptionText::EXT], QStringLiteral("*.txt"));
        saved.sgAnimation = saved.sgAnimation.trimmed();
        QCOMPARE(textOptions(applied), textOptions(saved));
        QCOMPARE(yesNoOptions(applied), yesNoOptions(saved));
        QCOMPARE(window.pageFontFace, saved.sgFont);
        QCOMPARE(window.listFontFace, saved.sgListFont);
        QCOMPARE(window.listFontCaption, saved.sgListFont); // the face alone, no size
        QCOMPARE(window.listFontPoints, 8.25);
        QCOMPARE(window.position, QPoint(2115, -345));
        QCOMPARE(window.refreshes, 0);
    }

    void newFileLayout()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("fresh.kiv"));
        ProgramState state;
        fillState(state, QStringLiteral("n-"));
        RecordingOptionControls window(&state);
        window.texts[OptionText::DBPathName] = QStringLiteral(" /p ");
        window.texts[OptionText::EXT] = QStringLiteral("kiv");
        window.position = { 30, 45 };
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        QCOMPARE(window.refreshes, 0); // no settings folder
        compareBytes(
            readAll(file),
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

    void savingOverExistingFileKeepsOtherLines()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("old.kiv"));
        const QByteArray before
            = "; kept comment\r\n[extra]\r\npath = not the folder\r\ncolour=red\r\n"
              "\r\n[Search]\r\nPATH = /old/folder\r\nmine=1\r\n[htm]\r\n"
              "sgFont=Old Face\r\n[window]\r\nleft = 10\r\n\r\n";
        QVERIFY(writeAll(file, before));

        ProgramState state;
        fillState(state, QStringLiteral("x-"));
        RecordingOptionControls window(&state);
        window.texts[OptionText::DBPathName] = QStringLiteral("/new/folder");
        window.position = { 600, 900 };
        QVERIFY(SaveSettingsFile(state, window, file).ok);

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

    // The page's filter box came after the first settings files: a file
    // holds its key only once it is ticked, and a file without the key
    // means no filter box.
    void filterBoxKeyOnlyOnceTicked()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("old.kiv"));
        ProgramState state;
        fillState(state, QStringLiteral("f-"));
        RecordingOptionControls window(&state);
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        const QByteArray old = readAll(file);
        QVERIFY(!old.contains("bgFilterBox"));

        // An older file loads and saves byte for byte, and unticks the box.
        state.bgFilterBox = true;
        ApplySettingsFile(state, window, file, kEnglish);
        QCOMPARE(state.bgFilterBox, false);
        QCOMPARE(window.checks.at(OptionCheck::FilterBox), false);
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        compareBytes(readAll(file), old);

        // Ticked, the key ends its section; unticked again, the file says so.
        state.bgFilterBox = true;
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        QByteArray ticked = old;
        ticked.replace("bgToggle=True\r\n", "bgToggle=True\r\nbgFilterBox=True\r\n");
        compareBytes(readAll(file), ticked);
        ProgramState applied;
        RecordingOptionControls appliedWindow(&applied);
        ApplySettingsFile(applied, appliedWindow, file, kEnglish);
        QCOMPARE(applied.bgFilterBox, true);
        QCOMPARE(appliedWindow.checks.at(OptionCheck::FilterBox), true);
        state.bgFilterBox = false;
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        compareBytes(readAll(file),
                     QByteArray(ticked).replace("bgFilterBox=True", "bgFilterBox=False"));
        ApplySettingsFile(applied, appliedWindow, file, kEnglish);
        QCOMPARE(applied.bgFilterBox, false);
    }

    // Saving over an older Latin-1 file: the lines the save does not touch
    // keep their bytes, and the changed lines are written in Latin-1 too.
    void savingOverLatin1FileKeepsItsBytes()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("alt.kiv"));
        const QByteArray kept = "; von M\xFCller\r\n[extra]\r\nname=M\xFCller\r\n\r\n";
        QVERIFY(writeAll(file, kept + "[search]\r\npath=/alt\r\n"));
        ProgramState state;
        fillState(state, QStringLiteral("l-"));
        RecordingOptionControls window(&state);
        window.texts[OptionText::DBPathName] = QStringLiteral("/daten/M\u00FCller");
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        const QByteArray after = readAll(file);
        const QByteArray start = kept + "[search]\r\npath=/daten/M\xFCller\r\next=\r\n";
        compareBytes(after.left(start.size()), start);
        QVERIFY(!after.contains("\xC3"));
    }

    void everyKeyMissing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QPoint>("position");
        const QPoint unmoved(1500, 3000);
        QTest::newRow("vanished file") << "missing" << unmoved;
        QTest::newRow("no readable key") << "other sections" << unmoved;
        QTest::newRow("window position only") << "window" << QPoint(300, 450);
    }
    // Unreadable files (pipes, folders, garbage) read as no keys at all: tst_ini_file.
    void everyKeyMissing()
    {
        QFETCH(QString, kind);
        QFETCH(QPoint, position);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("bad.kiv"));
        QVERIFY(writeAll(dir.filePath(QStringLiteral("neighbour.kiv")),
                         "[window]\r\nleft=1\r\ntop=2\r\n"));
        if (kind == QStringLiteral("other sections")) {
            QVERIFY(writeAll(file,
                             "[Search ]x\r\n[searching]\r\npath=/x\r\n[htm2]\r\nbgBorder=False\r\n"
                             "window]\r\nleft=5\r\n"));
        } else if (kind == QStringLiteral("window")) {
            QVERIFY(writeAll(file, "[window]\r\nleft=300\r\ntop=450\r\n"));
        }
        const QStringList before = snapshot(dir.path());

        ProgramState state;
        fillState(state, QStringLiteral("old-"));
        RecordingOptionControls window(&state);
        window.texts[OptionText::DBPathName] = QStringLiteral("/before");
        ApplySettingsFile(state, window, file, kEnglish);

        // The folder, the pattern and the twelve text options, each emptied.
        QCOMPARE(window.texts.size(), size_t(14));
        for (const auto &[box, text] : window.texts)
            QVERIFY2(text.isEmpty(), qPrintable(QString::number(int(box))));
        QCOMPARE(textOptions(state), QStringList(15, QString())); // every text option
        // Yes/no options keep what they were, and the boxes show it.
        ProgramState old;
        fillState(old, QStringLiteral("old-"));
        QCOMPARE(yesNoOptions(state), yesNoOptions(old));
        QCOMPARE(window.checks.size(), size_t(12));
        // Empty font texts empty the captions; the faces and size on screen stay.
        QCOMPARE(window.pageFontCaption, QString());
        QCOMPARE(window.pageFontFace, QStringLiteral("Screen Face"));
        QCOMPARE(window.listFontCaption, QString());
        QCOMPARE(window.listFontFace, QStringLiteral("List Face"));
        QCOMPARE(window.listFontPoints, 8.25);
        QCOMPARE(window.position, position);
        QCOMPARE(window.fieldAfterControl, QStringList());
        QCOMPARE(snapshot(dir.path()), before);
    }

    // Yes/no, position and list font size values, each row failing to read in its own way.
    void values_data()
    {
        QTest::addColumn<QByteArray>("yesNo");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::addColumn<QByteArray>("window");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<double>("points");
        const QPoint unmoved(1500, 3000);
        QTest::newRow("any letter case, German comma, both edges")
            << QByteArray("tRUE") << false << true << QByteArray("left=120\r\ntop=-60")
            << QStringLiteral("8,25") << kGerman << QPoint(120, -60) << 8.25;
        QTest::newRow("zero, English point, left only")
            << QByteArray("0") << true << false << QByteArray("left=7") << QStringLiteral("8.25")
            << kEnglish << QPoint(7, 3000) << 8.25;
        QTest::newRow("other number, words")
            << QByteArray("-1") << false << true << QByteArray("left=abc\r\ntop=12.5")
            << QStringLiteral("large") << kEnglish << unmoved << 7.0;
        QTest::newRow("word kept, too large")
            << QByteArray("yes") << true << true << QByteArray("left=99999999999")
            << QStringLiteral("1e9") << kEnglish << unmoved << 7.0;
        QTest::newRow("empty kept") << QByteArray("") << true << true << QByteArray("left=")
                                    << QString() << kEnglish << unmoved << 7.0;
    }
    void values()
    {
        QFETCH(QByteArray, yesNo);
        QFETCH(bool, before);
        QFETCH(bool, after);
        QFETCH(QByteArray, window);
        QFETCH(QString, size);
        QFETCH(QLocale, locale);
        QFETCH(QPoint, position);
        QFETCH(double, points);
        ProgramState state;
        state.bgHover = state.bgFileTag[3] = before;
        RecordingOptionControls controls(&state);
        controls.checks[OptionCheck::Hover] = !before;
        controls.listFontPoints = 7.0;
        applyBytes(state, controls,
                   "[search]\r\nsgListFont=Mono\r\nsgListFontsize=" + size.toUtf8()
                       + "\r\n[htm]\r\nbgHover=" + yesNo + "\r\nbgFileTag3=" + yesNo
                       + "\r\n[window]\r\n" + window + "\r\n",
                   locale);
        QCOMPARE(state.bgHover, after);
        QCOMPARE(controls.checks.at(OptionCheck::Hover), after);
        QCOMPARE(state.bgFileTag[3], after);
        QCOMPARE(controls.checks.at(OptionCheck::FileTag3), after);
        QCOMPARE(controls.position, position);
        QCOMPARE(state.sgListFontsize, size);
        QCOMPARE(controls.listFontPoints, points);
        QCOMPARE(controls.listFontCaption, QStringLiteral("Mono"));
    }

    void saveFailureWritesNothing()
    {
        QTemporaryDir dir;
        const QString blocker = dir.filePath(QStringLiteral("blocker"));
        QVERIFY(writeAll(blocker, "keep"));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("folder.kiv"))));
        const auto entries = [&] {
            return QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        };
        ProgramState state;
        fillState(state, QStringLiteral("f-"));
        RecordingOptionControls window(&state);
        window.texts[OptionText::SettingsPath] = dir.path();
        // A pipe is refused as not a regular file, at once, and stays a pipe.
        const QString pipe = dir.filePath(QStringLiteral("pipe.kiv"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        const QStringList entriesBefore = entries();
        for (const QString &target : { QString(blocker + QStringLiteral("/s.kiv")),
                                       dir.filePath(QStringLiteral("folder.kiv")), pipe }) {
            const RegularFile::WriteResult result = SaveSettingsFile(state, window, target);
            QVERIFY(!result.ok);
            QVERIFY2(!result.reason.isEmpty(), qPrintable(target));
            QCOMPARE(entries(), entriesBefore);
        }
        QCOMPARE(SaveSettingsFile(state, window, pipe).reason, RegularFile::notRegularText());
        QVERIFY(!QFileInfo(pipe).isFile() && QFileInfo(pipe).exists());
        QCOMPARE(window.refreshes, 4);
        QCOMPARE(readAll(blocker), QByteArray("keep"));
        QVERIFY(QDir(dir.filePath(QStringLiteral("folder.kiv"))).isEmpty());
    }

    // Settings files made before exclude lists existed: applied and saved
    // again, they keep every byte, with and without lines of their own.
    void fileWithoutExcludesKeepsItsBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("as the program writes it")
            << QByteArray("[search]\r\npath=/p\r\next=kiv\r\nbgSkipEmptyDir=True\r\n"
                          "sgAnimation=/anim/spin.avi\r\nsgListFont=Arial\r\nsgListFontsize=8\r\n"
                          "\r\n[htm]\r\nbgFileTag0=True\r\nbgFileTag1=False\r\nbgFileTag2=True\r\n"
                          "bgFileTag3=False\r\nbgFileTag4=True\r\nbgBorder=True\r\n"
                          "bgRecursive=False\r\nbgLink=True\r\nsgBackgroundColor=FFFFFF\r\n"
                          "sgGridColor=c0c0c0\r\nsgTextColor=000000\r\nsgFont=Arial\r\n"
                          "sgFontSizeFILE=8\r\nsgFontSizeDIR=9\r\nsgDirColor=eaeaea\r\n"
                          "sgDirFontColor=000000\r\nsgFileColor=ffffff\r\nsgHeaderColor=eaeaea\r\n"
                          "bgHover=False\r\nsgHoverColor=eaeaea\r\nbgToggle=True\r\n"
                          "\r\n[window]\r\nleft=30\r\ntop=45\r\n");
        QTest::newRow("with lines of its own")
            << QByteArray("; mine\r\n[search]\r\nPATH = /p\r\nother=1\r\n[extra]\r\nx=y\r\n"
                          "[window]\r\nleft=30\r\ntop=45\r\n");
    }
    void fileWithoutExcludesKeepsItsBytes()
    {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("old.kiv"));
        QVERIFY(writeAll(file, bytes));
        ProgramState state;
        fillState(state, QStringLiteral("x-"));
        state.sgExclude = QStringLiteral(".git");
        RecordingOptionControls window(&state);
        window.texts[OptionText::Exclude] = state.sgExclude;
        ApplySettingsFile(state, window, file, kEnglish);
        QCOMPARE(state.sgExclude, QString());
        QCOMPARE(window.texts[OptionText::Exclude], QString());
        QVERIFY(SaveSettingsFile(state, window, file).ok);
        // The second row's missing keys are added; its own lines stay as they were.
        const QByteArray after = readAll(file);
        if (QByteArray(QTest::currentDataTag()) == "as the program writes it")
            compareBytes(after, bytes);
        else
            QVERIFY(after.startsWith("; mine\r\n[search]\r\nPATH = /p\r\nother=1\r\n"));
        QVERIFY(!after.contains("sgExclude"));
    }

    // The exclude list goes at the end of [search], travels whole (past the
    // cut of the older keys), and a file that holds it keeps the line when
    // the list is emptied.
    void excludeListTravels()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("ex.kiv"));
        ProgramState saved;
        fillState(saved, QStringLiteral("e-"));
        const QString longPattern = QStringLiteral("*.") + QString(300, u'x');
        saved.sgExclude = QStringLiteral(" .git; node_modules;") + longPattern + u' ';
        RecordingOptionControls savingWindow(&saved);
        QVERIFY(SaveSettingsFile(saved, savingWindow, file).ok);
        const QByteArray bytes = readAll(file);
        const QByteArray searchEnd = "sgListFontsize=10,5\r\nsgExclude=.git; node_modules;"
            + longPattern.toLatin1() + "\r\n\r\n[htm]\r\n";
        QVERIFY(bytes.contains(searchEnd));

        ProgramState applied;
        RecordingOptionControls window(&applied);
        ApplySettingsFile(applied, window, file, kEnglish);
        QCOMPARE(applied.sgExclude, saved.sgExclude.trimmed());
        QCOMPARE(window.texts[OptionText::Exclude], applied.sgExclude);
        QCOMPARE(window.fieldAfterControl, QStringList());

        applied.sgExclude.clear();
        QVERIFY(SaveSettingsFile(applied, window, file).ok);
        QByteArray emptied = bytes;
        emptied.replace(emptied.indexOf("sgExclude=") + 10, saved.sgExclude.trimmed().size(),
                        QByteArray());
        compareBytes(readAll(file), emptied);
        ApplySettingsFile(saved, savingWindow, file, kEnglish);
        QCOMPARE(saved.sgExclude, QString());
    }

    void findSettingsKey()
    {
        QCOMPARE(FindSettingsKey(u"path").value_or(-1), 0);
        QCOMPARE(FindSettingsKey(u"top").value_or(-1), 28);
        QCOMPARE(FindSettingsKey(u"SGFONTSIZEdir").value_or(-1), 19);
        // Preference-store names are not settings-file keys.
        QVERIFY(!FindSettingsKey(u"txt_DBPathName"));
        QVERIFY(!FindSettingsKey(u"txtSettingsPath"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
