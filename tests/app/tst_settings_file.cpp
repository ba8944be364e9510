#include "app/settings_file.h"

#include "app/program_state.h"
#include "support/file_bytes.h"
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

// The names of the keys a settings file holds, per section, in order.
const QList<QPair<QString, QStringList>> kExpectedSections {
    { QStringLiteral("search"),
      { QStringLiteral("path"), QStringLiteral("ext"), QStringLiteral("bgSkipEmptyDir"),
        QStringLiteral("sgAnimation"), QStringLiteral("sgListFont"),
        QStringLiteral("sgListFontsize") } },
    { QStringLiteral("htm"),
      { QStringLiteral("bgFileTag0"),        QStringLiteral("bgFileTag1"),
        QStringLiteral("bgFileTag2"),        QStringLiteral("bgFileTag3"),
        QStringLiteral("bgFileTag4"),        QStringLiteral("bgBorder"),
        QStringLiteral("bgRecursive"),       QStringLiteral("bgLink"),
        QStringLiteral("sgBackgroundColor"), QStringLiteral("sgGridColor"),
        QStringLiteral("sgTextColor"),       QStringLiteral("sgFont"),
        QStringLiteral("sgFontSizeFILE"),    QStringLiteral("sgFontSizeDIR"),
        QStringLiteral("sgDirColor"),        QStringLiteral("sgDirFontColor"),
        QStringLiteral("sgFileColor"),       QStringLiteral("sgHeaderColor"),
        QStringLiteral("bgHover"),           QStringLiteral("sgHoverColor"),
        QStringLiteral("bgToggle") } },
    { QStringLiteral("window"), { QStringLiteral("left"), QStringLiteral("top") } },
};

const QList<OptionText> kTextBoxesOfFile {
    OptionText::DBPathName,      OptionText::EXT,         OptionText::Animation,
    OptionText::BackgroundColor, OptionText::GridColor,   OptionText::TextColor,
    OptionText::FontSizeFILE,    OptionText::FontSizeDIR, OptionText::DirColor,
    OptionText::DirFontColor,    OptionText::FileColor,   OptionText::HeaderColor,
    OptionText::HoverColor,
};

// What a file without any readable key does to options and controls whose
// earlier values came from fillState(state, "old-").
void verifyEveryKeyMissing(const ProgramState &state, const RecordingOptionControls &controls,
                           QPoint positionBefore)
{
    for (const OptionText box : kTextBoxesOfFile) {
        QVERIFY2(controls.texts.count(box) == 1, qPrintable(QString::number(int(box))));
        QCOMPARE(controls.texts.at(box), QString());
    }
    for (const QString *field :
         { &state.sgBackgroundColor, &state.sgGridColor, &state.sgTextColor, &state.sgDirColor,
           &state.sgDirFontColor, &state.sgFileColor, &state.sgHeaderColor, &state.sgHoverColor,
           &state.sgFont, &state.sgFontSizeFILE, &state.sgFontSizeDIR, &state.sgAnimation,
           &state.sgListFont, &state.sgListFontsize })
        QCOMPARE(*field, QString());
    // Yes/no options keep what they were, and the boxes show it.
    QCOMPARE(state.bgBorder, true);
    QCOMPARE(state.bgRecursive, false);
    QCOMPARE(state.bgSkipEmptyDir, true);
    QCOMPARE(state.bgLink, true);
    QVERIFY(state.bgFileTag == (std::array<bool, 5> { true, false, true, false, true }));
    QCOMPARE(state.bgHover, false);
    QCOMPARE(state.bgToggle, true);
    QCOMPARE(controls.checks.size(), size_t(11));
    QCOMPARE(controls.checks.at(OptionCheck::Border), true);
    QCOMPARE(controls.checks.at(OptionCheck::Recursive), false);
    QCOMPARE(controls.checks.at(OptionCheck::FileTag1), false);
    QCOMPARE(controls.checks.at(OptionCheck::FileTag4), true);
    // Empty font texts empty the captions; the faces and size on screen stay.
    QCOMPARE(controls.pageFontCaption, QString());
    QCOMPARE(controls.pageFontFace, QStringLiteral("Screen Face"));
    QCOMPARE(controls.listFontCaption, QString());
    QCOMPARE(controls.listFontFace, QStringLiteral("List Face"));
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
    void windowOnlyFile();
    void everyKeyMissing_data();
    void everyKeyMissing();
    void controlsFollowTableOrder();
    void yesNoValues_data();
    void yesNoValues();
    void coordinates_data();
    void coordinates();
    void listFontSize_data();
    void listFontSize();
    void longValueIsCut();
    void saveFailureWritesNothing_data();
    void saveFailureWritesNothing();
    void saveUsesNameExactly();
    void lineBreaksCannotAddKeys();
    void findSettingsKey_data();
    void findSettingsKey();
};

void TestSettingsFile::roundTrip()
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
    QVERIFY(SaveSettingsFile(saved, savingWindow, file));
    QCOMPARE(savingWindow.refreshes, 1);

    ProgramState applied;
    fillState(applied, QStringLiteral("old-"));
    applied.bgBorder = false;
    applied.bgRecursive = true;
    applied.bgSkipEmptyDir = false;
    applied.bgLink = false;
    applied.bgFileTag = { false, true, false, true, false };
    applied.bgHover = true;
    applied.bgToggle = false;
    RecordingOptionControls window(&applied);
    ApplySettingsFile(applied, window, file, kGerman);

    QCOMPARE(window.fieldAfterControl, QStringList());
    QCOMPARE(window.texts[OptionText::DBPathName], QStringLiteral("/data/my folder/"));
    QCOMPARE(window.texts[OptionText::EXT], QStringLiteral("*.txt"));
    QCOMPARE(applied.sgAnimation, saved.sgAnimation.trimmed());
    QCOMPARE(window.texts[OptionText::Animation], saved.sgAnimation.trimmed());
    QCOMPARE(applied.bgBorder, saved.bgBorder);
    QCOMPARE(applied.bgRecursive, saved.bgRecursive);
    QCOMPARE(applied.bgSkipEmptyDir, saved.bgSkipEmptyDir);
    QCOMPARE(applied.bgLink, saved.bgLink);
    QVERIFY(applied.bgFileTag == saved.bgFileTag);
    QCOMPARE(applied.bgHover, saved.bgHover);
    QCOMPARE(applied.bgToggle, saved.bgToggle);
    for (int i = 0; i < 5; ++i)
        QCOMPARE(window.checks[FileTagCheck(i)], saved.bgFileTag[size_t(i)]);
    QCOMPARE(window.checks[OptionCheck::Toggle], saved.bgToggle);
    const QList<QPair<QString ProgramState::*, OptionText>> texts {
        { &ProgramState::sgBackgroundColor, OptionText::BackgroundColor },
        { &ProgramState::sgGridColor, OptionText::GridColor },
        { &ProgramState::sgTextColor, OptionText::TextColor },
        { &ProgramState::sgFontSizeFILE, OptionText::FontSizeFILE },
        { &ProgramState::sgFontSizeDIR, OptionText::FontSizeDIR },
        { &ProgramState::sgDirColor, OptionText::DirColor },
        { &ProgramState::sgDirFontColor, OptionText::DirFontColor },
        { &ProgramState::sgFileColor, OptionText::FileColor },
        { &ProgramState::sgHeaderColor, OptionText::HeaderColor },
        { &ProgramState::sgHoverColor, OptionText::HoverColor },
    };
    for (const auto &[field, box] : texts) {
        QCOMPARE(applied.*field, saved.*field);
        QCOMPARE(window.texts[box], saved.*field);
    }
    QCOMPARE(applied.sgFont, saved.sgFont);
    QCOMPARE(window.pageFontCaption, saved.sgFont);
    QCOMPARE(window.pageFontFace, saved.sgFont);
    QCOMPARE(applied.sgListFont, saved.sgListFont);
    QCOMPARE(window.listFontFace, saved.sgListFont);
    QCOMPARE(window.listFontCaption, saved.sgListFont); // the face alone, no size
    QCOMPARE(applied.sgListFontsize, QStringLiteral("8,25"));
    QCOMPARE(window.listFontPoints, 8.25);
    QCOMPARE(window.position, QPoint(2115, -345));
    QCOMPARE(window.refreshes, 0);
}

void TestSettingsFile::newFileLayout()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("fresh.kiv"));
    ProgramState state;
    fillState(state, QStringLiteral("n-"));
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = QStringLiteral(" /p ");
    window.texts[OptionText::EXT] = QStringLiteral("kiv");
    window.position = { 30, 45 };
    QVERIFY(SaveSettingsFile(state, window, file));
    QCOMPARE(window.refreshes, 0); // no settings folder

    const QMap<QString, QString> values {
        { QStringLiteral("path"), QStringLiteral("/p") },
        { QStringLiteral("ext"), QStringLiteral("kiv") },
        { QStringLiteral("bgSkipEmptyDir"), QStringLiteral("True") },
        { QStringLiteral("sgAnimation"), QStringLiteral("/anim/n-spin.avi") },
        { QStringLiteral("sgListFont"), QStringLiteral("n-List Face") },
        { QStringLiteral("sgListFontsize"), QStringLiteral("10,5") },
        { QStringLiteral("bgFileTag0"), QStringLiteral("True") },
        { QStringLiteral("bgFileTag1"), QStringLiteral("False") },
        { QStringLiteral("bgFileTag2"), QStringLiteral("True") },
        { QStringLiteral("bgFileTag3"), QStringLiteral("False") },
        { QStringLiteral("bgFileTag4"), QStringLiteral("True") },
        { QStringLiteral("bgBorder"), QStringLiteral("True") },
        { QStringLiteral("bgRecursive"), QStringLiteral("False") },
        { QStringLiteral("bgLink"), QStringLiteral("True") },
        { QStringLiteral("sgBackgroundColor"), QStringLiteral("n-bg") },
        { QStringLiteral("sgGridColor"), QStringLiteral("n-grid") },
        { QStringLiteral("sgTextColor"), QStringLiteral("n-text") },
        { QStringLiteral("sgFont"), QStringLiteral("n-Font Face") },
        { QStringLiteral("sgFontSizeFILE"), QStringLiteral("n-8,5") },
        { QStringLiteral("sgFontSizeDIR"), QStringLiteral("n-9") },
        { QStringLiteral("sgDirColor"), QStringLiteral("n-dir") },
        { QStringLiteral("sgDirFontColor"), QStringLiteral("n-dirfont") },
        { QStringLiteral("sgFileColor"), QStringLiteral("n-file") },
        { QStringLiteral("sgHeaderColor"), QStringLiteral("n-header") },
        { QStringLiteral("bgHover"), QStringLiteral("False") },
        { QStringLiteral("sgHoverColor"), QStringLiteral("n-hover") },
        { QStringLiteral("bgToggle"), QStringLiteral("True") },
        { QStringLiteral("left"), QStringLiteral("30") },
        { QStringLiteral("top"), QStringLiteral("45") },
    };
    QByteArray expected;
    for (const auto &[section, keys] : kExpectedSections) {
        if (!expected.isEmpty())
            expected += "\r\n";
        expected += '[' + section.toUtf8() + "]\r\n";
        for (const QString &key : keys)
            expected += key.toUtf8() + '=' + values.value(key).toUtf8() + "\r\n";
    }
    compareBytes(readAll(file), expected);
}

void TestSettingsFile::savingOverExistingFileKeepsOtherLines()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("old.kiv"));
    const QList<QByteArray> before {
        "; kept comment",
        "[extra]",
        "path = not the folder",
        "colour=red",
        "",
        "[Search]",
        "PATH = /old/folder",
        "mine=1",
        "[htm]",
        "sgFont=Old Face",
        "[window]",
        "left = 10",
        "",
        "",
    };
    QVERIFY(writeAll(file, before.join("\r\n")));

    ProgramState state;
    fillState(state, QStringLiteral("x-"));
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = QStringLiteral("/new/folder");
    window.position = { 600, 900 };
    QVERIFY(SaveSettingsFile(state, window, file));

    const QList<QByteArray> after = readAll(file).split('\n');
    // Lines of the 29 keys are replaced where they stood; every other line
    // of the old file is still there, byte for byte and in its order.
    QCOMPARE(after.at(0), QByteArray("; kept comment\r"));
    QCOMPARE(after.at(1), QByteArray("[extra]\r"));
    QCOMPARE(after.at(2), QByteArray("path = not the folder\r"));
    QCOMPARE(after.at(3), QByteArray("colour=red\r"));
    QCOMPARE(after.at(4), QByteArray("\r"));
    QCOMPARE(after.at(5), QByteArray("[Search]\r"));
    QCOMPARE(after.at(6), QByteArray("PATH = /new/folder\r"));
    QCOMPARE(after.at(7), QByteArray("mine=1\r"));
    QCOMPARE(after.at(8), QByteArray("ext=\r"));
    const qsizetype htm = after.indexOf("[htm]\r");
    QVERIFY(htm > 8);
    QCOMPARE(after.at(htm + 1), QByteArray("sgFont=x-Font Face\r"));
    const qsizetype windowSection = after.indexOf("[window]\r");
    QCOMPARE(after.at(windowSection + 1), QByteArray("left = 600\r"));
    QCOMPARE(after.at(windowSection + 2), QByteArray("top=900\r"));
    QCOMPARE(after.at(windowSection + 3), QByteArray("\r"));
    QCOMPARE(after.size(), windowSection + 5);
    QCOMPARE(after.back(), QByteArray());
    // The file's own lines plus the 26 keys it did not hold: nothing doubled.
    QCOMPARE(after.size(), qsizetype(before.size() + 29 - 3));
    QCOMPARE(after.count("[search]\r") + after.count("[Search]\r"), 1);
}

void TestSettingsFile::windowOnlyFile()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("window.kiv"));
    QVERIFY(writeAll(file, "[window]\r\nleft=300\r\ntop=450\r\n"));
    ProgramState state;
    fillState(state, QStringLiteral("old-"));
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = QStringLiteral("/before");
    ApplySettingsFile(state, window, file, kEnglish);
    verifyEveryKeyMissing(state, window, QPoint(300, 450));
}

void TestSettingsFile::everyKeyMissing_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("vanished file") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("binary garbage") << "garbage";
    QTest::newRow("one line of 10 MB") << "long line";
    QTest::newRow("no readable key") << "other sections";
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("unreadable file") << "unreadable";
}

void TestSettingsFile::everyKeyMissing()
{
    QFETCH(QString, kind);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("bad.kiv"));
    QVERIFY(
        writeAll(dir.filePath(QStringLiteral("neighbour.kiv")), "[window]\r\nleft=1\r\ntop=2\r\n"));
    if (kind == u"folder") {
        QVERIFY(QDir().mkpath(file));
    } else if (kind == u"garbage") {
        QByteArray garbage(256 * 1024, '\0');
        quint32 seed = 99;
        for (char &c : garbage) {
            seed = seed * 1664525u + 1013904223u;
            c = char(seed >> 24);
        }
        QVERIFY(writeAll(file, garbage));
    } else if (kind == u"long line") {
        QVERIFY(writeAll(file, QByteArray(10 * 1024 * 1024, 'q')));
    } else if (kind == u"other sections") {
        QVERIFY(writeAll(file,
                         "[Search ]x\r\n[searching]\r\npath=/x\r\n[htm2]\r\nbgBorder=False\r\n"
                         "window]\r\nleft=5\r\n"));
    } else if (kind == u"pipe") {
        QVERIFY(::mkfifo(QFile::encodeName(file).constData(), 0600) == 0);
    } else if (kind == u"unreadable") {
        if (::geteuid() == 0)
            QSKIP("the superuser reads every file");
        QVERIFY(writeAll(file, "[window]\r\nleft=1\r\n"));
        QVERIFY(QFile::setPermissions(file, QFileDevice::WriteOwner));
    }
    const auto before = snapshot(dir.path());

    ProgramState state;
    fillState(state, QStringLiteral("old-"));
    RecordingOptionControls window(&state);
    window.texts[OptionText::DBPathName] = QStringLiteral("/before");
    ApplySettingsFile(state, window, file, kEnglish);

    verifyEveryKeyMissing(state, window, QPoint(1500, 3000));
    QVERIFY(snapshot(dir.path()) == before);
}

void TestSettingsFile::controlsFollowTableOrder()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("order.kiv"));
    ProgramState state;
    fillState(state, QStringLiteral("o-"));
    RecordingOptionControls saving(&state);
    QVERIFY(SaveSettingsFile(state, saving, file));

    ProgramState applied;
    RecordingOptionControls window(&applied);
    ApplySettingsFile(applied, window, file, kGerman);
    QStringList kinds;
    for (const QString &call : window.log)
        kinds << call.section(u'=', 0, 0).section(u' ', 0, 1);
    const auto text = [](OptionText box) { return QStringLiteral("text %1").arg(int(box)); };
    const auto check = [](OptionCheck box) { return QStringLiteral("check %1").arg(int(box)); };
    const QStringList expected {
        text(OptionText::DBPathName),
        text(OptionText::EXT),
        check(OptionCheck::SkipEmptyDir),
        text(OptionText::Animation),
        QStringLiteral("listCaption o-List"),
        QStringLiteral("listFace o-List"),
        QStringLiteral("listSize 10.5"),
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
        QStringLiteral("pageFont o-Font"),
        text(OptionText::FontSizeFILE),
        text(OptionText::FontSizeDIR),
        text(OptionText::DirColor),
        text(OptionText::DirFontColor),
        text(OptionText::FileColor),
        text(OptionText::HeaderColor),
        check(OptionCheck::Hover),
        text(OptionText::HoverColor),
        check(OptionCheck::Toggle),
        QStringLiteral("move 1500,-"),
        QStringLiteral("move -,3000"),
    };
    QCOMPARE(kinds, expected);
    QCOMPARE(window.fieldAfterControl, QStringList());
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
    const QString file = dir.filePath(QStringLiteral("b.kiv"));
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
    const QString path = dir.filePath(QStringLiteral("c.kiv"));
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

    QTest::newRow("German decimal comma") << "8,25" << kGerman << 8.25;
    QTest::newRow("English decimal point") << "8.25" << kEnglish << 8.25;
    QTest::newRow("whole number") << "12" << kGerman << 12.0;
    QTest::newRow("empty keeps the size") << "" << kGerman << 7.0;
    QTest::newRow("word keeps the size") << "large" << kEnglish << 7.0;
    QTest::newRow("zero keeps the size") << "0" << kEnglish << 7.0;
    QTest::newRow("absurd size keeps the size") << "1e9" << kEnglish << 7.0;
}

void TestSettingsFile::listFontSize()
{
    QFETCH(QString, stored);
    QFETCH(QLocale, locale);
    QFETCH(double, points);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.kiv"));
    QVERIFY(writeAll(path,
                     "[search]\r\nsgListFont=Mono\r\nsgListFontsize=" + stored.toUtf8() + "\r\n"));
    ProgramState state;
    RecordingOptionControls window(&state);
    window.listFontPoints = 7.0;
    ApplySettingsFile(state, window, path, locale);
    QCOMPARE(state.sgListFontsize, stored);
    QCOMPARE(window.listFontPoints, points);
    QCOMPARE(window.listFontCaption, QStringLiteral("Mono"));
}

void TestSettingsFile::longValueIsCut()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.kiv"));
    ProgramState state;
    state.sgFont = QString(300, u'F');
    state.sgHeaderColor = QString(300, u'h');
    RecordingOptionControls saving(&state);
    QVERIFY(SaveSettingsFile(state, saving, path));

    ProgramState applied;
    RecordingOptionControls window(&applied);
    ApplySettingsFile(applied, window, path, kEnglish);
    QCOMPARE(applied.sgFont, QString(249, u'F'));
    QCOMPARE(window.pageFontCaption, QString(249, u'F'));
    QCOMPARE(applied.sgHeaderColor, QString(249, u'h'));
    QCOMPARE(window.texts[OptionText::HeaderColor], QString(249, u'h'));
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
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QVERIFY(writeAll(blocker, "keep"));
    QString target;
    if (kind == u"below file") {
        target = blocker + QStringLiteral("/s.kiv");
    } else if (kind == u"folder") {
        target = dir.filePath(QStringLiteral("folder.kiv"));
        QVERIFY(QDir().mkpath(target));
    } else if (kind == u"pipe") {
        target = dir.filePath(QStringLiteral("pipe.kiv"));
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0600) == 0);
    }
    const QStringList entriesBefore
        = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);

    ProgramState state;
    fillState(state, QStringLiteral("f-"));
    RecordingOptionControls window(&state);
    if (settingsFolder)
        window.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(!SaveSettingsFile(state, window, target));
    QCOMPARE(window.refreshes, settingsFolder ? 1 : 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             entriesBefore);
    QCOMPARE(readAll(blocker), QByteArray("keep"));
    if (kind == u"folder")
        QVERIFY(QDir(target).isEmpty());
}

void TestSettingsFile::saveUsesNameExactly()
{
    QTemporaryDir dir;
    ProgramState state;
    RecordingOptionControls window(&state);
    window.texts[OptionText::SettingsPath] = dir.path();
    QVERIFY(SaveSettingsFile(state, window, dir.filePath(QStringLiteral("noext"))));
    QVERIFY(SaveSettingsFile(state, window, dir.filePath(QStringLiteral("UPPER.KIV"))));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name),
             (QStringList { QStringLiteral("UPPER.KIV"), QStringLiteral("noext") }));
    QCOMPARE(window.refreshes, 2);
}

void TestSettingsFile::lineBreaksCannotAddKeys()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("nl.kiv"));
    ProgramState state;
    state.sgFont = QStringLiteral("Face\r\n[window]\r\nleft=0");
    RecordingOptionControls saving(&state);
    saving.texts[OptionText::DBPathName] = QStringLiteral("/a\nb");
    saving.position = { 45, 60 };
    QVERIFY(SaveSettingsFile(state, saving, file));
    QCOMPARE(readAll(file).count("\r\n"), 29 + 3 + 2);

    ProgramState applied;
    RecordingOptionControls window(&applied);
    ApplySettingsFile(applied, window, file, kEnglish);
    QCOMPARE(window.position, QPoint(45, 60));
    QCOMPARE(window.texts[OptionText::DBPathName], QStringLiteral("/a b"));
    QCOMPARE(applied.sgFont, QStringLiteral("Face  [window]  left=0"));
}

void TestSettingsFile::findSettingsKey_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index"); // -1: unknown

    int index = 0;
    for (const auto &[section, keys] : kExpectedSections) {
        for (const QString &key : keys) {
            QTest::addRow("%s", qPrintable(key)) << key << index;
            ++index;
        }
    }
    QTest::newRow("any letter case") << "SGFONTSIZEdir" << 19;
    QTest::newRow("preference key of the folder") << "txt_DBPathName" << -1;
    QTest::newRow("preference key of a column") << "chkFileTag0" << -1;
    QTest::newRow("settings folder is not in a file") << "txtSettingsPath" << -1;
    QTest::newRow("section name") << "window" << -1;
    QTest::newRow("empty") << "" << -1;
}

void TestSettingsFile::findSettingsKey()
{
    QFETCH(QString, name);
    QFETCH(int, index);

    const auto found = FindSettingsKey(name);
    QCOMPARE(found.value_or(-1), index);
    if (index < 0)
        return;
    int sectionStart = 0;
    for (const auto &[section, keys] : kExpectedSections) {
        if (index < sectionStart + keys.size()) {
            QCOMPARE(QString(kSettingsKeys[size_t(index)].section), section);
            break;
        }
        sectionStart += int(keys.size());
    }
    const SettingsKeyKind kind = kSettingsKeys[size_t(index)].kind;
    const QString key = kSettingsKeys[size_t(index)].key;
    const SettingsKeyKind expected = key.startsWith(u"bg") ? SettingsKeyKind::YesNo
        : key == u"left" || key == u"top"                  ? SettingsKeyKind::Coordinate
                                                           : SettingsKeyKind::Text;
    QVERIFY(kind == expected);
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
