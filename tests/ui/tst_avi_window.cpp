#include "core/avi_clip.h"
#include "core/avi_writer.h"
#include "support/file_bytes.h"
#include "ui/animation_player.h"
#include "ui/zfrm_info.h"
#include "window_fixture.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

// The animation controls of the main window, the search animation around a
// scan, and the info button.

namespace {

QByteArray smallClip()
{
    AviWriteSpec layout;
    layout.width = 8;
    layout.height = 8;
    layout.palette = { 0x000000, 0xff0000, 0x00ff00 };
    return WriteAviClip(layout, { AviSourceFrame(64, 1), AviSourceFrame(64, 2) });
}

} // namespace

class TestAviWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup() { m_run.reset(); }
    void playShowsTheFailureOrNothing();
    void searchAnimationChoosesItsClip_data();
    void searchAnimationChoosesItsClip();
    void closingTheMainWindowClosesTheModalInfoWindow();

private:
    std::unique_ptr<QTemporaryDir> m_prefs;
    std::unique_ptr<QTemporaryDir> m_program;
    std::unique_ptr<ProgramRun> m_run;
    QString m_defaultClip;
};

void TestAviWindow::init()
{
    m_prefs = std::make_unique<QTemporaryDir>();
    m_program = std::make_unique<QTemporaryDir>();
    QVERIFY(m_prefs->isValid() && m_program->isValid());
    UseTemporaryPreferenceStore(*m_prefs);
    m_run = std::make_unique<ProgramRun>(m_program->path());
    QVERIFY(m_run->showAndActivate());
    m_defaultClip = m_program->path() + QStringLiteral("/animation/spin.avi");
}

void TestAviWindow::playShowsTheFailureOrNothing()
{
    const FrmMainControls &ui = m_run->window->ui();
    const QString clip = m_program->filePath(QStringLiteral("test.avi"));
    QVERIFY(writeAll(clip, smallClip()));
    ui.txtAnimation->setText(m_program->filePath(QStringLiteral("missing.avi")));
    ui.cmdAviTest->click();
    QCOMPARE(ui.lblAniTest->text(),
             QStringLiteral("error playing avi.\r\n1 ")
                 + AviError { AviErrorCode::FileUnreadable }.description());
    QVERIFY(!ui.ani_Test->hasClip());
    ui.txtAnimation->setText(clip);
    ui.cmdAviTest->click();
    QCOMPARE(ui.lblAniTest->text(), QString());
    QCOMPARE(ui.ani_Test->clipPath(), clip);
}

void TestAviWindow::searchAnimationChoosesItsClip_data()
{
    QTest::addColumn<QString>("boxText"); // a file name in the program folder when content is given
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("chosen"); // "default", "box" or "" (the default is missing too)
    QTest::addColumn<bool>("plays");
    QTest::newRow("missing file") << "gone/away.avi" << QByteArray() << "default" << true;
    QTest::newRow("own clip") << "own.avi" << smallClip() << "box" << true;
    // The file exists, so it stays the choice; it just does not play.
    QTest::newRow("not a clip") << "text.avi" << QByteArray("not a clip") << "box" << false;
    QTest::newRow("both missing: an empty frame") << "gone.avi" << QByteArray() << "" << false;
}

void TestAviWindow::searchAnimationChoosesItsClip()
{
    QFETCH(QString, boxText);
    QFETCH(QByteArray, content);
    QFETCH(QString, chosen);
    QFETCH(bool, plays);
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(chosen.isEmpty() || writeAll(m_defaultClip, smallClip()));
    if (!content.isEmpty()) {
        boxText = m_program->filePath(boxText);
        QVERIFY(writeAll(boxText, content));
    }
    // The clip of an earlier search stays open in the player until then.
    const QString earlier = m_program->filePath(QStringLiteral("earlier.avi"));
    QVERIFY(writeAll(earlier, smallClip()) && !ui.ani_Movie->open(earlier));
    ui.txtAnimation->setText(boxText);
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);
    chosen = chosen == u"default" ? m_defaultClip : chosen == u"box" ? boxText : QString();

    m_run->window->StartSearchAnimation();
    QCOMPARE(m_run->state.sgAnimation, chosen);
    QCOMPARE(ui.txtAnimation->text(), boxText); // the box is not updated
    QVERIFY(ui.fraAniBack->isVisible() && ui.ani_Movie->isVisible());
    QCOMPARE(ui.ani_Movie->isPlaying(), plays);
    QCOMPARE(ui.ani_Movie->currentImage().isNull(), !plays);
    QCOMPARE(ui.ani_Movie->clipPath(), plays ? chosen : QString());

    m_run->window->StopSearchAnimation();
    QVERIFY(!ui.fraAniBack->isVisible() && !ui.ani_Movie->isVisible());
    QVERIFY(!ui.ani_Movie->isPlaying());
    QCOMPARE(m_run->state.sgAnimation, chosen);
}

void TestAviWindow::closingTheMainWindowClosesTheModalInfoWindow()
{
    QPointer<zfrm_Info> info;
    QTimer::singleShot(0, [&] {
        info = qobject_cast<zfrm_Info *>(QApplication::activeModalWidget());
        QVERIFY(info);
        QCOMPARE(info->parentWidget(), m_run->window.get());
        QCOMPARE(info->creditText(), InfoCreditText(m_run->state)); // the program's start time
        // The main window takes no input while it is open.
        QCOMPARE(QGuiApplication::modalWindow(), info->windowHandle());
        m_run->window->close();
    });
    m_run->window->ui().cmdInfo->click();
    QVERIFY(!info); // unloaded and gone
    QVERIFY(!m_run->window->isVisible());
}

QTEST_MAIN(TestAviWindow)
#include "tst_avi_window.moc"
