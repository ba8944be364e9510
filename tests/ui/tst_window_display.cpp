// What the main window shows as its options change: controls that stay in
// place, fonts that only an installed face changes, colour swatches that
// follow their text, and the pointer during a search.
#include "core/avi_clip.h"
#include "core/avi_writer.h"
#include "scan/result_list.h"
#include "support/file_bytes.h"
#include "support/tree_fixture.h"
#include "ui/animation_player.h"
#include "ui/colour_swatch.h"
#include "ui/result_list_view.h"
#include "window_fixture.h"

#include <QtWidgets>

namespace {

QByteArray SmallClip()
{
    AviWriteSpec layout;
    layout.width = 8, layout.height = 8, layout.palette = { 0x000000, 0xff0000 };
    return WriteAviClip(layout, { AviSourceFrame(64, 1), AviSourceFrame(64, 0) });
}

const char *const kMissingFace = "Quorvel Face That Is Not Installed";

} // namespace

class TestWindowDisplay : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir; // program folder and preferences
    std::unique_ptr<ProgramRun> m_run;

    const FrmMainControls &ui() const { return m_run->window->ui(); }
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }
    void store(const char *key, const QString &value)
    {
        m_run->store.SaveValue(QStringLiteral("Morbanta"), QStringLiteral("kiv"),
                               QString::fromUtf8(key), value);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
        m_run = std::make_unique<ProgramRun>(m_dir->path());
    }

    void cleanup()
    {
        m_run.reset();
        QApplication::setPalette(QPalette());
    }

    void animationGroupStaysInPlace()
    {
        QVERIFY(m_run->showAndActivate());
        ui().tabData->setCurrentIndex(frm_main::kTabSearchOptions);
        const QList<QWidget *> controls { ui().cmdAviTest, ui().cmdAviDeafult,
                                          m_run->window->findChild<QLabel *>(
                                              QStringLiteral("lblAviNote")),
                                          ui().cmdListFont, ui().ani_Test };
        const auto places = [&] {
            QCoreApplication::processEvents(); // the layout's own requests
            QList<QRect> rects;
            for (const QWidget *control : controls)
                rects << QRect(control->mapTo(m_run->window.get(), QPoint()), control->size());
            return rects;
        };
        const QList<QRect> before = places();

        ui().txtAnimation->setText(path("missing.avi"));
        ui().cmdAviTest->click();
        QCOMPARE(ui().lblAniTest->text(),
                 QStringLiteral("error playing avi.\r\n1 ")
                     + AviError { AviErrorCode::FileUnreadable }.description());
        QVERIFY(!ui().ani_Test->hasClip());
        QCOMPARE(places(), before);
        // The label shows its text whole, also the longest the player gives.
        QLabel *label = ui().lblAniTest;
        QVERIFY(label->isVisible());
        QVERIFY(label->heightForWidth(label->width()) <= label->height());
        label->setText(AviTestLabelText(AviError { AviErrorCode::UnsupportedCodec }));
        QVERIFY(label->heightForWidth(label->width()) <= label->height());

        // A clip that plays empties the label; nothing moves back either.
        QVERIFY(writeAll(path("test.avi"), SmallClip()));
        ui().txtAnimation->setText(path("test.avi"));
        ui().cmdAviTest->click();
        QVERIFY(label->text().isEmpty() && ui().ani_Test->clipPath() == path("test.avi"));
        QCOMPARE(places(), before);
    }

    void unknownFaceLeavesTheFonts()
    {
        const QFont listFont = ui().lstItems->font();
        const QFont pageFontButton = ui().cmdFont->font();
        QVERIFY(!QFontDatabase::hasFamily(QString::fromUtf8(kMissingFace)));
        store("sgListFont", QString::fromUtf8(kMissingFace));
        store("sgFont", QString::fromUtf8(kMissingFace));
        QVERIFY(m_run->showAndActivate());
        // The options hold what was read; the faces stay as they were.
        QCOMPARE(m_run->state.sgListFont, QString::fromUtf8(kMissingFace));
        QCOMPARE(m_run->state.sgFont, QString::fromUtf8(kMissingFace));
        QCOMPARE(ui().lstItems->font().family(), listFont.family());
        QCOMPARE(ui().cmdFont->font().family(), pageFontButton.family());
        QCOMPARE(ui().cmdListFont->text(), QString::fromUtf8(kMissingFace) + QStringLiteral(", 8"));
        QCOMPARE(ui().cmdFont->text(), QString::fromUtf8(kMissingFace));

        // An installed face does change them.
        const QString installed = QStringLiteral("DejaVu Serif");
        QVERIFY(QFontDatabase::hasFamily(installed) && listFont.family() != installed);
        m_run->window->setListFontFace(installed);
        m_run->window->showPageFont(installed);
        QCOMPARE(ui().lstItems->font().family(), installed);
        QCOMPARE(ui().cmdFont->font().family(), installed);
    }

    void swatchesFollowTheirText()
    {
        // A dark theme: a box whose handler never ran shows this dark base.
        QPalette dark;
        dark.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        QApplication::setPalette(dark);
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(m_run->showAndActivate());
        const QList<QLineEdit *> boxes { ui().txtBackgroundColor, ui().txtGridColor,
                                         ui().txtTextColor,       ui().txtHeaderColor,
                                         ui().txtDirColor,        ui().txtDirFontColor,
                                         ui().txtFileColor,       ui().txtHoverColor };
        // Restored texts equal to what the boxes showed before ("FFFFFF") set
        // their swatches too.
        for (const QLineEdit *box : boxes)
            QCOMPARE(box->palette().color(QPalette::Base), SwatchColour(box->text()));
        QCOMPARE(ui().txtGridColor->text(), QStringLiteral("FFFFFF"));
        QCOMPARE(ui().txtGridColor->palette().color(QPalette::Base), QColor(Qt::white));

        // Set from code to the text it shows: field and swatch follow.
        m_run->state.sgGridColor.clear();
        m_run->window->setOptionText(OptionText::GridColor, QStringLiteral("FFFFFF"));
        QCOMPARE(m_run->state.sgGridColor, QStringLiteral("FFFFFF"));

        // "default" when the box already shows the default clip: the option
        // becomes that path again (a search may have emptied it).
        const QString defaultClip = path("animation/spin.avi");
        ui().cmdAviDeafult->click();
        QCOMPARE(ui().txtAnimation->text(), defaultClip);
        m_run->state.sgAnimation.clear();
        ui().cmdAviDeafult->click();
        QCOMPARE(m_run->state.sgAnimation, defaultClip);
    }

    void busyPointerAfterThePicker()
    {
        QVERIFY(m_run->showAndActivate());
        TreeFixture tree;
        QVERIFY(tree.isValid() && tree.createFile(QStringLiteral("a.txt"), "a"));
        const Qt::CursorShape notSeen = Qt::BitmapCursor;
        Qt::CursorShape inPicker = notSeen;
        Qt::CursorShape duringSearch = notSeen;
        const auto shape = [] {
            const QCursor *cursor = QApplication::overrideCursor();
            return cursor ? cursor->shape() : Qt::ArrowCursor;
        };
        m_run->dialogs.whileFolderPickerOpen = [&] {
            inPicker = shape();
            // Runs at the search's first let-events-run, after the picker closed.
            QTimer::singleShot(0, [&] { duringSearch = shape(); });
        };
        m_run->dialogs.folderAnswers = { tree.root() };
        ui().cmdsearch->click();
        QCOMPARE(m_run->window->resultList().count(), 2);
        QCOMPARE(inPicker, Qt::ArrowCursor); // no busy pointer over the picker
        QCOMPARE(duringSearch, Qt::BusyCursor); // the arrow with hourglass
        QCOMPARE(QApplication::overrideCursor(), nullptr); // reset at the end

        // A cancelled picker leaves no busy pointer behind either.
        inPicker = notSeen;
        ui().cmdsearch->click();
        QCOMPARE(inPicker, Qt::ArrowCursor);
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestWindowDisplay)
#include "tst_window_display.moc"
