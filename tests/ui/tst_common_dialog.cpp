// The dialog wrapper (open, save, font), the folder picker and the colour
// swatch rule, with scripted answers in place of a person.

#include "ui/browse_for_folder.h"
#include "ui/colour_swatch.h"
#include "ui/common_dialog.h"
#include "ui/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QtTest>

using namespace Qt::StringLiterals;

// The one dialog instance over scripted answers, with its two result texts.
struct DialogRun
{
    FakeUserDialogs dialogs;
    CommonDialog dialog { dialogs };
    QString fileName;
    QString fontSize;

    bool show(CommonDialog::Kind kind, bool setFilter, const QString &filterText = {},
              qint32 flags = 3, const QLocale &locale = QLocale())
    {
        return dialog.show(nullptr, setFilter, filterText, u"t"_s, flags, kind, fileName, fontSize,
                           locale);
    }
};

class TestCommonDialog : public QObject
{
    Q_OBJECT

private slots:
    void swatch()
    {
        QCOMPARE(SwatchColour(u"10203"), QColor(0x10, 0x20, 3)); // odd length
        QCOMPARE(SwatchColour(u"1g2h3i"), QColor(1, 2, 3)); // the digits before another character
        QCOMPARE(SwatchColour(u"01020304"), QColor(1, 2, 3)); // six characters at most
    }

    void qtFilter()
    {
        QCOMPARE(CommonDialog::QtFilter(u"Pictures|*.bmp;*.gif"_s), u"Pictures (*.bmp *.gif)"_s);
        QCOMPARE(CommonDialog::QtFilter(u"Texts (*.txt)|*.log"_s), u"Texts (*.txt) (*.log)"_s);
        // A description without patterns is dropped.
        QCOMPARE(CommonDialog::QtFilter(u"A (*.a)|*.a|Lonely"_s), u"A (*.a)"_s);
    }

    void fontSizeText()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(CommonDialog::FontSizeText(8.1, german), u"8,1"_s); // no float noise
        QCOMPARE(CommonDialog::FontSizeText(1200.5, german), u"1200,5"_s); // no grouping
        QCOMPARE(CommonDialog::FontSizeText(8.25, QLocale(QLocale::English, QLocale::UnitedStates)),
                 u"8.25"_s);
    }

    void fileDialogKeepsFilterAndLastFile()
    {
        DialogRun run;
        run.dialogs.fileAnswers = { u"/data/first.avi"_s, std::nullopt };
        run.fileName = u"/ignored/by/the/dialog.avi"_s;
        QVERIFY(run.show(CommonDialog::Kind::ShowOpen, true, u"Animation-Files (*.avi)|*.avi"_s));
        QCOMPARE(run.fileName, u"/data/first.avi"_s);
        QCOMPARE(run.dialogs.calls[0].kind, u"open"_s);
        QCOMPARE(run.dialogs.calls[0].start, QString());

        // Without the filter flag the last filter stays; the dialog opens on its last file; without
        // flag 2 it does not ask before overwriting; cancelled, the name stays.
        run.fileName = u"kept"_s;
        QVERIFY(!run.show(CommonDialog::Kind::ShowSave, false, u"Other (*.x)|*.x"_s, 1));
        QCOMPARE(run.dialogs.calls[1].kind, u"save"_s);
        QCOMPARE(run.dialogs.calls[1].filter, u"Animation-Files (*.avi)"_s);
        QCOMPARE(run.dialogs.calls[1].start, u"/data/first.avi"_s);
        QVERIFY(!run.dialogs.calls[1].confirmOverwrite);
        QCOMPARE(run.fileName, u"kept"_s);
    }

    void fontDialogGivesNameAndSizeAndReopensOnIt()
    {
        DialogRun run;
        QFont chosen(u"DejaVu Serif"_s);
        chosen.setPointSizeF(8.25);
        run.dialogs.fontAnswers = { chosen };
        const auto show = [&] {
            return run.show(CommonDialog::Kind::ShowFont, false, {}, 3,
                            QLocale(QLocale::German, QLocale::Germany));
        };
        QVERIFY(show());
        QCOMPARE(run.fileName, u"DejaVu Serif"_s);
        QCOMPARE(run.fontSize, u"8,25"_s);

        // Cancelled: the results stay, and the dialog opened on the last font.
        run.fileName = u"Arial"_s;
        QVERIFY(!show());
        QCOMPARE(run.fileName, u"Arial"_s);
        QCOMPARE(run.fontSize, u"8,25"_s);
        QCOMPARE(run.dialogs.calls[1].initialFont.family(), u"DejaVu Serif"_s);
        QCOMPARE(run.dialogs.calls[1].initialFont.pointSizeF(), 8.25);
    }

    void browseForFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
        QFile file(dir.filePath(u"file.txt"_s));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const auto browse = [](const std::optional<QString> &answer) {
            FakeUserDialogs dialogs;
            if (answer)
                dialogs.folderAnswers = { *answer };
            const QString result = BrowseForFolder(dialogs, nullptr, u"gus.sdg"_s);
            const bool askedOnce
                = dialogs.calls.size() == 1 && dialogs.calls[0].title == u"gus.sdg";
            return askedOnce ? result : u"<not asked once>"_s;
        };
        QCOMPARE(browse(dir.filePath(u"sub/"_s)), dir.filePath(u"sub"_s));
        QCOMPARE(browse(u"/"_s), u"/"_s); // the root keeps its separator
        QCOMPARE(browse(file.fileName()), QString()); // a file is not a folder
        QCOMPARE(browse(std::nullopt), QString()); // cancelled
    }
};

QTEST_MAIN(TestCommonDialog)
#include "tst_common_dialog.moc"
