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

const QString kCrLf = QStringLiteral("\r\n");

} // namespace

class TestAviWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void playShowsTheFailureOrNothing();
    void defaultAndBrowseSetTheBoxAndTheField();
    void searchPlaysTheDefaultWhenTheClipIsMissing_data();
    void searchPlaysTheDefaultWhenTheClipIsMissing();
    void searchWithBothMissingShowsAnEmptyFrame();
    void searchWithAnUnplayableClipShowsAnEmptyPlayer();
    void searchCommandPlaysTheDefaultOrNothing_data();
    void searchCommandPlaysTheDefaultOrNothing();
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
             QStringLiteral("error playing avi.") + kCrLf + QStringLiteral("1 ")
                 + AviError { AviErrorCode::FileUnreadable }.description());
    QVERIFY(!ui.ani_Test->hasClip());

    ui.txtAnimation->setText(clip);
    ui.cmdAviTest->click();
    QCOMPARE(ui.lblAniTest->text(), QString());
    QCOMPARE(ui.ani_Test->clipPath(), clip);

    AviWriteSpec sound;
    sound.width = 2;
    sound.height = 2;
    sound.palette = { 0 };
    sound.soundStream = true;
    const QString noisy = m_program->filePath(QStringLiteral("noisy.avi"));
    QVERIFY(writeFile(noisy, WriteAviClip(sound, { AviSourceFrame(4, 0) })));
    ui.txtAnimation->setText(noisy);
    ui.cmdAviTest->click();
    QCOMPARE(ui.lblAniTest->text(),
             QStringLiteral("error playing avi.") + kCrLf + QStringLiteral("8 ")
                 + AviError { AviErrorCode::SoundStream }.description());
}

void TestAviWindow::defaultAndBrowseSetTheBoxAndTheField()
{
    const FrmMainControls &ui = m_run->window->ui();
    ui.txtAnimation->setText(QStringLiteral("typed.avi"));
    QCOMPARE(m_run->state.sgAnimation, QStringLiteral("typed.avi"));
    ui.cmdAviDeafult->click();
    QCOMPARE(ui.txtAnimation->text(), m_defaultClip);
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);

    // A cancelled file dialog changes nothing.
    ui.cmdBrowseForAni->click();
    QCOMPARE(ui.txtAnimation->text(), m_defaultClip);
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls.at(0).title, QStringLiteral("kiv - Animation"));

    const QString chosen = m_program->filePath(QStringLiteral("chosen.avi"));
    m_run->dialogs.fileAnswers.push_back(chosen);
    ui.cmdBrowseForAni->click();
    QCOMPARE(ui.txtAnimation->text(), chosen);
    QCOMPARE(m_run->state.sgAnimation, chosen);
}

void TestAviWindow::searchPlaysTheDefaultWhenTheClipIsMissing_data()
{
    QTest::addColumn<QString>("boxText");
    QTest::newRow("missing file") << QStringLiteral("gone/away.avi");
    QTest::newRow("empty") << QString();
}

void TestAviWindow::searchPlaysTheDefaultWhenTheClipIsMissing()
{
    QFETCH(QString, boxText);
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(writeFile(m_defaultClip, smallClip()));
    ui.txtAnimation->setText(boxText);
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);

    m_run->window->StartSearchAnimation();
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);
    QCOMPARE(ui.txtAnimation->text(), boxText); // the box is not updated
    QVERIFY(ui.fraAniBack->isVisible());
    QVERIFY(ui.ani_Movie->isVisible());
    QCOMPARE(ui.ani_Movie->clipPath(), m_defaultClip);
    QVERIFY(ui.ani_Movie->isPlaying());

    m_run->window->StopSearchAnimation();
    QVERIFY(!ui.fraAniBack->isVisible());
    QVERIFY(!ui.ani_Movie->isVisible());
    QVERIFY(!ui.ani_Movie->isPlaying());
    QCOMPARE(m_run->state.sgAnimation, m_defaultClip);
}

void TestAviWindow::searchWithBothMissingShowsAnEmptyFrame()
{
    const FrmMainControls &ui = m_run->window->ui();
    const QString clip = m_program->filePath(QStringLiteral("own.avi"));
    QVERIFY(writeFile(clip, smallClip()));
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);

    // A clip of one's own plays as it is.
    ui.txtAnimation->setText(clip);
    m_run->window->StartSearchAnimation();
    QCOMPARE(ui.ani_Movie->clipPath(), clip);
    QCOMPARE(m_run->state.sgAnimation, clip);
    m_run->window->StopSearchAnimation();

    // Then it goes, and there is no default clip either.
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

void TestAviWindow::searchWithAnUnplayableClipShowsAnEmptyPlayer()
{
    const FrmMainControls &ui = m_run->window->ui();
    const QString clip = m_program->filePath(QStringLiteral("text.avi"));
    QVERIFY(writeFile(clip, QByteArray("not a clip")));
    QVERIFY(writeFile(m_defaultClip, smallClip()));
    ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);
    ui.txtAnimation->setText(clip);
    m_run->window->StartSearchAnimation();
    // The file exists, so it stays the choice; it just does not play.
    QCOMPARE(m_run->state.sgAnimation, clip);
    QVERIFY(ui.ani_Movie->isVisible());
    QVERIFY(!ui.ani_Movie->hasClip());
    m_run->window->StopSearchAnimation();
}

void TestAviWindow::searchCommandPlaysTheDefaultOrNothing_data()
{
    QTest::addColumn<bool>("defaultPresent");
    QTest::newRow("default clip present") << true;
    QTest::newRow("default clip missing too") << false;
}

// The whole search command: the clip is chosen when the scan starts.
void TestAviWindow::searchCommandPlaysTheDefaultOrNothing()
{
    QFETCH(bool, defaultPresent);
    const FrmMainControls &ui = m_run->window->ui();
    if (defaultPresent)
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
    if (defaultPresent) {
        QCOMPARE(m_run->state.sgAnimation, m_defaultClip);
        QCOMPARE(ui.ani_Movie->clipPath(), m_defaultClip); // kept open for the next start
        QVERIFY(!shown.isEmpty());
    } else {
        QCOMPARE(m_run->state.sgAnimation, QString());
        QVERIFY(!ui.ani_Movie->hasClip());
        QVERIFY(shown.isEmpty());
    }
}

void TestAviWindow::infoButtonOpensTheInfoWindowModally()
{
    const FrmMainControls &ui = m_run->window->ui();
    QVERIFY(ui.cmdInfo->isEnabled());
    QList<zfrm_Info *> seen;
    QStringList texts;
    auto inspectAndClose = [&] {
        QTimer::singleShot(0, [&] {
            auto *info = qobject_cast<zfrm_Info *>(QApplication::activeModalWidget());
            QVERIFY(info);
            QCOMPARE(info->windowTitle(), QStringLiteral("Information"));
            QCOMPARE(info->parentWidget(), m_run->window.get());
            // The main window takes no input while it is open.
            QVERIFY(info->windowModality() != Qt::NonModal);
            QCOMPARE(QGuiApplication::modalWindow(), info->windowHandle());
            seen.append(info);
            texts.append(info->creditText());
            info->closeButton()->click();
        });
    };
    inspectAndClose();
    ui.cmdInfo->click();
    QVERIFY(!QApplication::activeModalWidget());
    inspectAndClose();
    ui.cmdInfo->click();
    QCOMPARE(seen.size(), 2);
    QCOMPARE(texts.at(0), texts.at(1));
    QVERIFY(texts.at(0).contains(m_run->state.versionText));
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
