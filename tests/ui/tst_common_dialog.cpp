// The dialog wrapper (open, save, font), the folder picker and the colour
// swatch rule, with scripted answers in place of a person.

#include "ui/browse_for_folder.h"
#include "ui/colour_swatch.h"
#include "ui/common_dialog.h"
#include "ui/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void AddTextRow(const char *name, const char *given, const char *expected)
{
    QTest::newRow(name) << QString::fromUtf8(given) << QString::fromUtf8(expected);
}

// The one dialog instance over scripted answers, with its two result texts.
struct DialogRun
{
    FakeUserDialogs dialogs;
    CommonDialog dialog { dialogs };
    QString fileName;
    QString fontSize;

    bool show(CommonDialog::Kind kind, const QString &title, bool setFilter,
              const QString &filterText = {}, qint32 flags = 3, const QLocale &locale = QLocale())
    {
        return dialog.show(nullptr, setFilter, filterText, title, flags, kind, fileName, fontSize,
                           locale);
    }
};

} // namespace

class TestCommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void swatch_data();
    void swatch();
    void qtFilter_data();
    void qtFilter();
    void fontSizeText_data();
    void fontSizeText();
    void fileDialogConfirmAndCancel_data();
    void fileDialogConfirmAndCancel();
    void dialogKeepsItsFilterAndLastFile();
    void overwritePromptFollowsFlag_data();
    void overwritePromptFollowsFlag();
    void fontDialogGivesNameAndSizeAndReopensOnIt();
    void browseForFolder_data();
    void browseForFolder();
};

void TestCommonDialog::swatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("expected");
    QTest::newRow("orange") << "FF8000" << QColor(255, 128, 0);
    QTest::newRow("red from two digits") << "FF" << QColor(255, 0, 0);
    QTest::newRow("not hex") << "zz0000" << QColor(0, 0, 0);
    QTest::newRow("empty") << "" << QColor(0, 0, 0);
    QTest::newRow("mixed case") << "aBcDeF" << QColor(0xab, 0xcd, 0xef);
    QTest::newRow("single last digit") << "F" << QColor(15, 0, 0);
    QTest::newRow("odd length") << "10203" << QColor(0x10, 0x20, 3);
    QTest::newRow("prefix digit per pair") << "1g2h3i" << QColor(1, 2, 3);
    QTest::newRow("stops at first other") << "g1FFFF" << QColor(0, 255, 255);
    QTest::newRow("longer text uses six") << "01020304" << QColor(1, 2, 3);
    QTest::newRow("hash is not a digit") << "#FF800" << QColor(0, 0xf8, 0);
}

void TestCommonDialog::swatch()
{
    QFETCH(QString, text);
    QFETCH(QColor, expected);
    QCOMPARE(SwatchColour(text), expected);
}

void TestCommonDialog::qtFilter_data()
{
    QTest::addColumn<QString>("filterText");
    QTest::addColumn<QString>("expected");
    AddTextRow("animation", "Animation-Files (*.avi)|*.avi|All Files (*.*)|*.*",
               "Animation-Files (*.avi);;All Files (*)");
    AddTextRow("settings", "kiv-Settings (*.kiv)|*.kiv", "kiv-Settings (*.kiv)");
    AddTextRow("description without patterns", "Pictures|*.bmp;*.gif", "Pictures (*.bmp *.gif)");
    AddTextRow("several patterns shown", "Pictures (*.bmp;*.gif)|*.bmp;*.gif",
               "Pictures (*.bmp *.gif)");
    AddTextRow("pattern differs from description", "Texts (*.txt)|*.log", "Texts (*.txt) (*.log)");
    AddTextRow("description without pattern dropped", "A (*.a)|*.a|Lonely", "A (*.a)");
    AddTextRow("empty", "", "");
}

void TestCommonDialog::qtFilter()
{
    QFETCH(QString, filterText);
    QFETCH(QString, expected);
    QCOMPARE(CommonDialog::QtFilter(filterText), expected);
}

void TestCommonDialog::fontSizeText_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("whole de") << 8.0 << german << "8";
    QTest::newRow("quarter de") << 8.25 << german << "8,25";
    QTest::newRow("quarter en") << 8.25 << QLocale(QLocale::English, QLocale::UnitedStates)
                                << "8.25";
    QTest::newRow("tenth is not float noise") << 8.1 << german << "8,1";
    QTest::newRow("large has no grouping") << 1200.5 << german << "1200,5";
}

void TestCommonDialog::fontSizeText()
{
    QFETCH(double, points);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    QCOMPARE(CommonDialog::FontSizeText(points, locale), expected);
}

void TestCommonDialog::fileDialogConfirmAndCancel_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("callKind");
    QTest::newRow("open") << int(CommonDialog::Kind::ShowOpen) << "open";
    QTest::newRow("save") << int(CommonDialog::Kind::ShowSave) << "save";
}

void TestCommonDialog::fileDialogConfirmAndCancel()
{
    QFETCH(int, kind);
    QFETCH(QString, callKind);
    DialogRun run;
    run.dialogs.fileAnswers = { QStringLiteral("/tmp/chosen.kiv"), std::nullopt };
    run.fileName = QStringLiteral("before");
    run.fontSize = QStringLiteral("size before");
    const auto show = [&] {
        return run.show(CommonDialog::Kind(kind), QStringLiteral("KIV Save Settings"), true,
                        QStringLiteral("kiv-Settings (*.kiv)|*.kiv"));
    };
    QVERIFY(show());
    QCOMPARE(run.fileName, QStringLiteral("/tmp/chosen.kiv"));
    QCOMPARE(run.fontSize, QStringLiteral("size before"));
    QCOMPARE(run.dialogs.calls.size(), 1);
    QCOMPARE(run.dialogs.calls[0].kind, callKind);
    QCOMPARE(run.dialogs.calls[0].title, QStringLiteral("KIV Save Settings"));
    QCOMPARE(run.dialogs.calls[0].filter, QStringLiteral("kiv-Settings (*.kiv)"));

    run.fileName = QStringLiteral("kept");
    QVERIFY(!show());
    QCOMPARE(run.fileName, QStringLiteral("kept"));
    QCOMPARE(run.fontSize, QStringLiteral("size before"));
}

void TestCommonDialog::dialogKeepsItsFilterAndLastFile()
{
    DialogRun run;
    run.dialogs.fileAnswers = { QStringLiteral("/data/first.avi") };
    run.fileName = QStringLiteral("/ignored/by/the/dialog.avi");
    QVERIFY(run.show(CommonDialog::Kind::ShowOpen, QStringLiteral("t"), true,
                     QStringLiteral("Animation-Files (*.avi)|*.avi")));
    QCOMPARE(run.dialogs.calls[0].start, QString());
    // Without the filter flag the last filter stays; the dialog opens on its last file.
    (void)run.show(CommonDialog::Kind::ShowSave, QStringLiteral("t"), false,
                   QStringLiteral("Other (*.x)|*.x"));
    QCOMPARE(run.dialogs.calls[1].filter, QStringLiteral("Animation-Files (*.avi)"));
    QCOMPARE(run.dialog.filter(), QStringLiteral("Animation-Files (*.avi)"));
    QCOMPARE(run.dialogs.calls[1].start, QStringLiteral("/data/first.avi"));
}

void TestCommonDialog::overwritePromptFollowsFlag_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("3 asks") << 3 << true;
    QTest::newRow("2 asks") << 2 << true;
    QTest::newRow("1 does not") << 1 << false;
}

void TestCommonDialog::overwritePromptFollowsFlag()
{
    QFETCH(int, flags);
    QFETCH(bool, confirm);
    DialogRun run;
    (void)run.show(CommonDialog::Kind::ShowSave, QStringLiteral("t"), false, {}, flags);
    QCOMPARE(run.dialogs.calls[0].confirmOverwrite, confirm);
}

void TestCommonDialog::fontDialogGivesNameAndSizeAndReopensOnIt()
{
    DialogRun run;
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(8.25);
    run.dialogs.fontAnswers = { chosen };
    run.fileName = QStringLiteral("Arial");
    run.fontSize = QStringLiteral("8");
    const auto show = [&] {
        return run.show(CommonDialog::Kind::ShowFont, QStringLiteral("kiv - choose font"), false,
                        {}, 3, QLocale(QLocale::German, QLocale::Germany));
    };
    QVERIFY(show());
    QCOMPARE(run.fileName, QStringLiteral("DejaVu Serif"));
    QCOMPARE(run.fontSize, QStringLiteral("8,25"));
    QCOMPARE(run.dialogs.calls[0].kind, QStringLiteral("font"));
    QCOMPARE(run.dialogs.calls[0].title, QStringLiteral("kiv - choose font"));

    // Cancelled: the results stay, and the dialog opened on the last font.
    run.fileName = QStringLiteral("Arial");
    QVERIFY(!show());
    QCOMPARE(run.fileName, QStringLiteral("Arial"));
    QCOMPARE(run.fontSize, QStringLiteral("8,25"));
    QCOMPARE(run.dialogs.calls[1].initialFont.family(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(run.dialogs.calls[1].initialFont.pointSizeF(), 8.25);
}

void TestCommonDialog::browseForFolder_data()
{
    QTest::addColumn<QString>("answer"); // relative to the temporary folder; "/" alone is the root
    QTest::addColumn<QString>("expected");
    AddTextRow("folder", "sub", "sub");
    AddTextRow("trailing separator dropped", "sub/", "sub");
    AddTextRow("cancel", "<cancel>", "<empty>");
    AddTextRow("a file is not a folder", "file.txt", "<empty>");
    AddTextRow("missing folder", "gone", "<empty>");
    AddTextRow("root keeps its separator", "/", "/");
}

void TestCommonDialog::browseForFolder()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QFile file(dir.filePath(QStringLiteral("file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    const auto inTemp = [&](const QString &relative) {
        return relative == u"/" ? relative : dir.path() + u'/' + relative;
    };
    FakeUserDialogs dialogs;
    if (answer != u"<cancel>")
        dialogs.folderAnswers = { inTemp(answer) };
    const QString result = BrowseForFolder(dialogs, nullptr, QStringLiteral("gus.sdg"));
    QCOMPARE(result, expected == u"<empty>" ? QString() : inTemp(expected));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].title, QStringLiteral("gus.sdg"));
    QCOMPARE(dialogs.calls[0].start, QString());
}

QTEST_MAIN(TestCommonDialog)
#include "tst_common_dialog.moc"
