// The dialog wrapper (open, save, font), the folder picker and the colour
// swatch rule, with scripted answers in place of a person.

#include "ui/browse_for_folder.h"
#include "ui/colour_swatch.h"
#include "ui/common_dialog.h"
#include "ui/window_fixture.h"

#include <QDir>
#include <QFile>
#include <QtTest>

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
        return dialog.show(nullptr, setFilter, filterText, QStringLiteral("t"), flags, kind,
                           fileName, fontSize, locale);
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
        QCOMPARE(CommonDialog::QtFilter(QStringLiteral("Pictures|*.bmp;*.gif")),
                 QStringLiteral("Pictures (*.bmp *.gif)"));
        QCOMPARE(CommonDialog::QtFilter(QStringLiteral("Texts (*.txt)|*.log")),
                 QStringLiteral("Texts (*.txt) (*.log)"));
        // A description without patterns is dropped.
        QCOMPARE(CommonDialog::QtFilter(QStringLiteral("A (*.a)|*.a|Lonely")),
                 QStringLiteral("A (*.a)"));
    }

    void fontSizeText()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(CommonDialog::FontSizeText(8.1, german), QStringLiteral("8,1")); // no float noise
        QCOMPARE(CommonDialog::FontSizeText(1200.5, german),
                 QStringLiteral("1200,5")); // no grouping
        QCOMPARE(CommonDialog::FontSizeText(8.25, QLocale(QLocale::English, QLocale::UnitedStates)),
                 QStringLiteral("8.25"));
    }

    void fileDialogKeepsFilterAndLastFile()
    {
        DialogRun run;
        run.dialogs.fileAnswers = { QStringLiteral("/data/first.avi"), std::nullopt };
        run.fileName = QStringLiteral("/ignored/by/the/dialog.avi");
        QVERIFY(run.show(CommonDialog::Kind::ShowOpen, true,
                         QStringLiteral("Animation-Files (*.avi)|*.avi")));
        QCOMPARE(run.fileName, QStringLiteral("/data/first.avi"));
        QCOMPARE(run.dialogs.calls[0].kind, QStringLiteral("open"));
        QCOMPARE(run.dialogs.calls[0].start, QString());

        // Without the filter flag the last filter stays; the dialog opens on its last file; without
        // flag 2 it does not ask before overwriting; cancelled, the name stays.
        run.fileName = QStringLiteral("kept");
        QVERIFY(
            !run.show(CommonDialog::Kind::ShowSave, false, QStringLiteral("Other (*.x)|*.x"), 1));
        QCOMPARE(run.dialogs.calls[1].kind, QStringLiteral("save"));
        QCOMPARE(run.dialogs.calls[1].filter, QStringLiteral("Animation-Files (*.avi)"));
        QCOMPARE(run.dialogs.calls[1].start, QStringLiteral("/data/first.avi"));
        QVERIFY(!run.dialogs.calls[1].confirmOverwrite);
        QCOMPARE(run.fileName, QStringLiteral("kept"));
    }

    void fontDialogGivesNameAndSizeAndReopensOnIt()
    {
        DialogRun run;
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSizeF(8.25);
        run.dialogs.fontAnswers = { chosen };
        const auto show = [&] {
            return run.show(CommonDialog::Kind::ShowFont, false, {}, 3,
                            QLocale(QLocale::German, QLocale::Germany));
        };
        QVERIFY(show());
        QCOMPARE(run.fileName, QStringLiteral("DejaVu Serif"));
        QCOMPARE(run.fontSize, QStringLiteral("8,25"));

        // Cancelled: the results stay, and the dialog opened on the last font.
        run.fileName = QStringLiteral("Arial");
        QVERIFY(!show());
        QCOMPARE(run.fileName, QStringLiteral("Arial"));
        QCOMPARE(run.fontSize, QStringLiteral("8,25"));
        QCOMPARE(run.dialogs.calls[1].initialFont.family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(run.dialogs.calls[1].initialFont.pointSizeF(), 8.25);
    }

    void browseForFolder()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        QFile file(dir.filePath(QStringLiteral("file.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        const auto browse = [](const std::optional<QString> &answer) {
            FakeUserDialogs dialogs;
            if (answer)
                dialogs.folderAnswers = { *answer };
            const QString result = BrowseForFolder(dialogs, nullptr, QStringLiteral("gus.sdg"));
            const bool askedOnce
                = dialogs.calls.size() == 1 && dialogs.calls[0].title == u"gus.sdg";
            return askedOnce ? result : QStringLiteral("<not asked once>");
        };
        QCOMPARE(browse(dir.filePath(QStringLiteral("sub/"))), dir.filePath(QStringLiteral("sub")));
        QCOMPARE(browse(QStringLiteral("/")), QStringLiteral("/")); // the root keeps its separator
        QCOMPARE(browse(file.fileName()), QString()); // a file is not a folder
        QCOMPARE(browse(std::nullopt), QString()); // cancelled
    }
};

QTEST_MAIN(TestCommonDialog)
#include "tst_common_dialog.moc"
