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
    void filterStaysWithoutFilterFlag();
    void dialogOpensOnItsLastFile();
    void overwritePromptFollowsFlag_data();
    void overwritePromptFollowsFlag();
    void fontDialogGivesNameAndSize();
    void cancelledFontDialogLeavesResults();
    void fontDialogOpensOnItsLastFont();
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
    QTest::newRow("lower case") << "0a0b0c" << QColor(10, 11, 12);
    QTest::newRow("mixed case") << "aBcDeF" << QColor(0xab, 0xcd, 0xef);
    QTest::newRow("single last digit") << "F" << QColor(15, 0, 0);
    QTest::newRow("six digits") << "102030" << QColor(0x10, 0x20, 0x30);
    QTest::newRow("odd length") << "10203" << QColor(0x10, 0x20, 3);
    QTest::newRow("prefix digit per pair") << "1g2h3i" << QColor(1, 2, 3);
    QTest::newRow("stops at first other") << "g1FFFF" << QColor(0, 255, 255);
    QTest::newRow("blank inside") << "8 0000" << QColor(8, 0, 0);
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
    QTest::newRow("animation") << "Animation-Files (*.avi)|*.avi|All Files (*.*)|*.*"
                               << "Animation-Files (*.avi);;All Files (*)";
    QTest::newRow("settings") << "kiv-Settings (*.kiv)|*.kiv"
                              << "kiv-Settings (*.kiv)";
    QTest::newRow("description without patterns") << "Pictures|*.bmp;*.gif"
                                                  << "Pictures (*.bmp *.gif)";
    QTest::newRow("several patterns shown") << "Pictures (*.bmp;*.gif)|*.bmp;*.gif"
                                            << "Pictures (*.bmp *.gif)";
    QTest::newRow("pattern differs from description") << "Texts (*.txt)|*.log"
                                                      << "Texts (*.txt) (*.log)";
    QTest::newRow("description without pattern dropped") << "A (*.a)|*.a|Lonely"
                                                         << "A (*.a)";
    QTest::newRow("empty") << ""
                           << "";
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
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("whole de") << 8.0 << german << "8";
    QTest::newRow("quarter de") << 8.25 << german << "8,25";
    QTest::newRow("quarter en") << 8.25 << english << "8.25";
    QTest::newRow("tenth is not float noise") << 8.1 << german << "8,1";
    QTest::newRow("large has no grouping") << 1200.5 << german << "1200,5";
    QTest::newRow("half en") << 10.5 << english << "10.5";
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
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialogs.fileAnswers = { QStringLiteral("/tmp/chosen.kiv"), std::nullopt };

    QString fileName = QStringLiteral("before");
    QString fontSize = QStringLiteral("size before");
    QVERIFY(dialog.show(nullptr, true, QStringLiteral("kiv-Settings (*.kiv)|*.kiv"),
                        QStringLiteral("KIV Save Settings"), 3, CommonDialog::Kind(kind), fileName,
                        fontSize));
    QCOMPARE(fileName, QStringLiteral("/tmp/chosen.kiv"));
    QCOMPARE(fontSize, QStringLiteral("size before"));
    QCOMPARE(dialogs.calls.size(), 1);
    QCOMPARE(dialogs.calls[0].kind, callKind);
    QCOMPARE(dialogs.calls[0].title, QStringLiteral("KIV Save Settings"));
    QCOMPARE(dialogs.calls[0].filter, QStringLiteral("kiv-Settings (*.kiv)"));

    fileName = QStringLiteral("kept");
    QVERIFY(!dialog.show(nullptr, true, QStringLiteral("kiv-Settings (*.kiv)|*.kiv"),
                         QStringLiteral("KIV Save Settings"), 3, CommonDialog::Kind(kind), fileName,
                         fontSize));
    QCOMPARE(fileName, QStringLiteral("kept"));
    QCOMPARE(fontSize, QStringLiteral("size before"));
}

void TestCommonDialog::filterStaysWithoutFilterFlag()
{
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    QString name;
    QString size;
    (void)dialog.show(nullptr, true, QStringLiteral("Animation-Files (*.avi)|*.avi"),
                      QStringLiteral("t"), 3, CommonDialog::Kind::ShowOpen, name, size);
    (void)dialog.show(nullptr, false, QStringLiteral("Other (*.x)|*.x"), QStringLiteral("t"), 3,
                      CommonDialog::Kind::ShowOpen, name, size);
    QCOMPARE(dialogs.calls.size(), 2);
    QCOMPARE(dialogs.calls[1].filter, QStringLiteral("Animation-Files (*.avi)"));
    QCOMPARE(dialog.filter(), QStringLiteral("Animation-Files (*.avi)"));
}

void TestCommonDialog::dialogOpensOnItsLastFile()
{
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    dialogs.fileAnswers = { QStringLiteral("/data/first.avi") };
    QString name = QStringLiteral("/ignored/by/the/dialog.avi");
    QString size;
    QVERIFY(dialog.show(nullptr, false, {}, QStringLiteral("t"), 3, CommonDialog::Kind::ShowOpen,
                        name, size));
    QCOMPARE(dialogs.calls[0].start, QString());
    (void)dialog.show(nullptr, false, {}, QStringLiteral("t"), 3, CommonDialog::Kind::ShowSave,
                      name, size);
    QCOMPARE(dialogs.calls[1].start, QStringLiteral("/data/first.avi"));
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
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    QString name;
    QString size;
    (void)dialog.show(nullptr, false, {}, QStringLiteral("t"), flags, CommonDialog::Kind::ShowSave,
                      name, size);
    QCOMPARE(dialogs.calls[0].confirmOverwrite, confirm);
}

void TestCommonDialog::fontDialogGivesNameAndSize()
{
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(8.25);
    dialogs.fontAnswers = { chosen };
    QString name = QStringLiteral("Arial");
    QString size = QStringLiteral("8");
    QVERIFY(dialog.show(nullptr, false, {}, QStringLiteral("kiv - choose font"), 3,
                        CommonDialog::Kind::ShowFont, name, size,
                        QLocale(QLocale::German, QLocale::Germany)));
    QCOMPARE(name, QStringLiteral("DejaVu Serif"));
    QCOMPARE(size, QStringLiteral("8,25"));
    QCOMPARE(dialogs.calls[0].kind, QStringLiteral("font"));
    QCOMPARE(dialogs.calls[0].title, QStringLiteral("kiv - choose font"));
}

void TestCommonDialog::cancelledFontDialogLeavesResults()
{
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    QString name = QStringLiteral("Arial");
    QString size = QStringLiteral("8,25");
    QVERIFY(!dialog.show(nullptr, false, {}, QStringLiteral("t"), 3, CommonDialog::Kind::ShowFont,
                         name, size));
    QCOMPARE(name, QStringLiteral("Arial"));
    QCOMPARE(size, QStringLiteral("8,25"));
}

void TestCommonDialog::fontDialogOpensOnItsLastFont()
{
    FakeUserDialogs dialogs;
    CommonDialog dialog(dialogs);
    QFont chosen(QStringLiteral("DejaVu Sans Mono"));
    chosen.setPointSizeF(11);
    dialogs.fontAnswers = { chosen };
    QString name;
    QString size;
    QVERIFY(dialog.show(nullptr, false, {}, QStringLiteral("t"), 3, CommonDialog::Kind::ShowFont,
                        name, size));
    (void)dialog.show(nullptr, false, {}, QStringLiteral("t"), 3, CommonDialog::Kind::ShowFont,
                      name, size);
    QCOMPARE(dialogs.calls[1].initialFont.family(), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(dialogs.calls[1].initialFont.pointSizeF(), 11.0);
}

void TestCommonDialog::browseForFolder_data()
{
    QTest::addColumn<QString>("answer"); // relative to the temporary folder; "/" alone is the root
    QTest::addColumn<QString>("expected");
    QTest::newRow("folder") << "sub"
                            << "sub";
    QTest::newRow("trailing separator dropped") << "sub/"
                                                << "sub";
    QTest::newRow("cancel") << "<cancel>"
                            << "<empty>";
    QTest::newRow("a file is not a folder") << "file.txt"
                                            << "<empty>";
    QTest::newRow("missing folder") << "gone"
                                    << "<empty>";
    QTest::newRow("root keeps its separator") << "/"
                                              << "/";
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
