#include "core/avi_clip.h"
#include "core/avi_writer.h"
#include "ui/animation_player.h"
#include "ui/zfrm_info.h"
#include "window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestAviWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void playShowsTheFailureOrNothing();
    void defaultAndBrowseSetTheBoxAndTheField();
    void searchAnimationChoosesItsClip_data();
    void searchAnimationChoosesItsClip();
    void searchWithBothMissingShowsAnEmptyFrame();
    void searchCommandPlaysTheDefault();
    void infoButtonOpensTheInfoWindowModally();
    void closingTheMainWindowClosesTheInfoWindow();

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

void TestAviWindow::cleanup()
{
    m_run.reset();
    m_program.reset();
    m_prefs.reset();
}

void TestAviWindow::playShowsTheFailureOrNothing()
{
    const FrmMainControls &ui = m_run->window->ui();
    const QString clip = m_program->filePath(QStringLiteral("test.avi"));
    QVERIFY(writeFile(clip, smallClip()));

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

void TestAviWindow::defaultAndBrowseSetTheBoxAndTheField()
{
    const FrmMainControls &ui = m_run->window->ui();
    ui.txtAnimation->setText(QStringLiteral("typed.avi"));
    QCOMPARE(m_run->state.sgAnimation, QStringLiteral("typed.avi"));
    ui.cmdAviDeafult->click();
    QCOMPARE(ui.txtAnimation->text(), m_defaultClip);
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);

    const QString chosen = m_program->filePath(QStringLiteral("chosen.avi"));
    m_run->dialogs.fileAnswers.push_back(chosen);
    ui.cmdBrowseForAni->click();
    QCOMPARE(ui.txtAnimation->text(), chosen);
    QCOMPARE(m_run->state.sgAnimation, chosen);
}

void TestAviWindow::searchAnimationChoosesItsClip_data()
{
    QTest::addColumn<QString>("boxText"); // a file name in the program folder when content is given
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("playsDefault");
    QTest::addColumn<bool>("plays");
    QTest::newRow("missing file") << "gone/away.avi" << QByteArray() << true << true;
    QTest::newRow("empty") << "" << QByteArray() << true << true;
    QTest::newRow("own clip") << "own.avi" << smallClip() << false << true;
    // The file exists, so it stays the choice; it just does not play.
    QTest::newRow("not a clip") << "text.avi" << QByteArray("not a clip") << false << false;
}

void TestAviWindow::searchAnimationChoosesItsClip()
{
    QFETCH(QString, boxText);
    QFETCH(QByteArray, content);
    QFETCH(bool, playsDefault);
    QFETCH(bool, plays);
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(writeFile(m_defaultClip, smallClip()));
    if (!content.isEmpty()) {
        boxText = m_program->filePath(boxText);
        QVERIFY(writeFile(boxText, content));
    }
    ui.txtAnimation->setText(boxText);
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);

    m_run->window->StartSearchAnimation();
    const QString chosen = playsDefault ? m_defaultClip : boxText;
    QCOMPARE(m_run->state.sgAnimation, chosen);
    QCOMPARE(ui.txtAnimation->text(), boxText); // the box is not updated
    QVERIFY(ui.fraAniBack->isVisible());
    QVERIFY(ui.ani_Movie->isVisible());
    QCOMPARE(ui.ani_Movie->hasClip(), plays);
    QCOMPARE(ui.ani_Movie->isPlaying(), plays);
    if (plays)
        QCOMPARE(ui.ani_Movie->clipPath(), chosen);

    m_run->window->StopSearchAnimation();
    QVERIFY(!ui.fraAniBack->isVisible());
    QVERIFY(!ui.ani_Movie->isVisible());
    QVERIFY(!ui.ani_Movie->isPlaying());
    QCOMPARE(m_run->state.sgAnimation, chosen);
}

void TestAviWindow::searchWithBothMissingShowsAnEmptyFrame()
{
    const FrmMainControls &ui = m_run->window->ui();
    const QString clip = m_program->filePath(QStringLiteral("own.avi"));
    QVERIFY(writeFile(clip, smallClip()));
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);
    ui.txtAnimation->setText(clip);
    m_run->window->StartSearchAnimation();
    m_run->window->StopSearchAnimation();

    // The clip that played goes, and there is no default clip either.
    QVERIFY(QFile::remove(clip));
    m_run->window->StartSearchAnimation();
    QCOMPARE(m_run->state.sgAnimation, QString());
    QCOMPARE(ui.txtAnimation->text(), clip);
    QVERIFY(ui.fraAniBack->isVisible());
    QVERIFY(ui.ani_Movie->isVisible());
    QVERIFY(!ui.ani_Movie->hasClip());
    QVERIFY(ui.ani_Movie->currentImage().isNull());
    m_run->window->StopSearchAnimation();
}

// The whole search command: the clip is chosen when the scan starts.
void TestAviWindow::searchCommandPlaysTheDefault()
{
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(writeFile(m_defaultClip, smallClip()));
    const QString folder = m_program->filePath(QStringLiteral("tree"));
    QVERIFY(writeFile(folder + QStringLiteral("/a.txt"), "a"));
    const QString missing = m_program->filePath(QStringLiteral("missing.avi"));
    ui.txtAnimation->setText(missing);
    m_run->dialogs.folderAnswers.push_back(folder);
    QSignalSpy shown(ui.ani_Movie, &AnimationPlayer::frameShown);

    m_run->window->cmdsearch_Click();
    QCOMPARE(ui.lbl_Status->text(), QStringLiteral("2 items")); // it did search
    QCOMPARE(ui.txtAnimation->text(), missing);
    QVERIFY(!ui.fraAniBack->isVisible());
    QVERIFY(!ui.ani_Movie->isPlaying());
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);
    QCOMPARE(ui.ani_Movie->clipPath(), m_defaultClip); // kept open for the next start
    QVERIFY(!shown.isEmpty());
}

void TestAviWindow::infoButtonOpensTheInfoWindowModally()
{
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(ui.cmdInfo->isEnabled());
    QString text;
    QTimer::singleShot(0, [&] {
        auto *info = qobject_cast<zfrm_Info *>(QApplication::activeModalWidget());
        QVERIFY(info);
        QCOMPARE(info->windowTitle(), QStringLiteral("Information"));
        QCOMPARE(info->parentWidget(), m_run->window.get());
        // The main window takes no input while it is open.
        QVERIFY(info->windowModality() != Qt::NonModal);
        QCOMPARE(QGuiApplication::modalWindow(), info->windowHandle());
        text = info->creditText();
        info->closeButton()->click();
    });
    ui.cmdInfo->click();
    QVERIFY(!QApplication::activeModalWidget());
    QVERIFY(text.contains(m_run->state.versionText));
}

void TestAviWindow::closingTheMainWindowClosesTheInfoWindow()
{
    QPointer<zfrm_Info> info;
    QTimer::singleShot(0, [&] {
        info = qobject_cast<zfrm_Info *>(QApplication::activeModalWidget());
        QVERIFY(info);
        m_run->window->close();
    });
    m_run->window->ui().cmdInfo->click();
    QVERIFY(!info); // unloaded and gone
    QVERIFY(!m_run->window->isVisible());
}

QTEST_MAIN(TestAviWindow)
#include "tst_avi_window.moc"
