#include "core/avi_writer.h"
#include "support/file_bytes.h"
#include "support/pipe_watchdog.h"
#include "ui/animation_player.h"
#include "ui/zfrm_info.h"
#include "window_fixture.h"

#include <QtWidgets>

#include <sys/stat.h>

// The main window's animation controls, the search animation and the info button.

static QByteArray smallClip()
{
    AviWriteSpec layout;
    layout.width = 8, layout.height = 8, layout.palette = { 0x000000, 0xff0000, 0x00ff00 };
    return WriteAviClip(layout, { AviSourceFrame(64, 1), AviSourceFrame(64, 2) });
}

class TestAviWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_program; // also holds the preferences
    std::unique_ptr<ProgramRun> m_run;
    QString path(const char *name) const { return m_program->filePath(QString::fromUtf8(name)); }

private slots:
    void init()
    {
        m_program = std::make_unique<QTemporaryDir>();
        UseTemporaryPreferenceStore(*m_program);
        m_run = std::make_unique<ProgramRun>(m_program->path());
        QVERIFY(m_program->isValid() && m_run->showAndActivate());
    }

    void cleanup() { m_run.reset(); }
    void searchAnimationChoosesItsClip_data()
    {
        QTest::addColumn<QString>(
            "boxText"); // a file name in the program folder when content is given
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("chosen"); // "default", "box" or "" (the default is missing too)
        QTest::addColumn<bool>("plays");
        QTest::newRow("missing file") << "gone/away.avi" << QByteArray() << "default" << true;
        QTest::newRow("not a clip: still chosen, not played")
            << "text.avi" << QByteArray("not a clip") << "box" << false;
        QTest::newRow("both missing: an empty frame") << "gone.avi" << QByteArray() << "" << false;
    }

    void searchAnimationChoosesItsClip()
    {
        QFETCH(QString, boxText);
        QFETCH(QByteArray, content);
        QFETCH(QString, chosen);
        QFETCH(bool, plays);
        const FrmMainControls &ui = m_run->window->ui();
        const QString defaultClip = path("animation/spin.avi");
        QVERIFY(chosen.isEmpty() || writeAll(defaultClip, smallClip()));
        if (!content.isEmpty())
            QVERIFY(writeAll(boxText = m_program->filePath(boxText), content));
        // The clip of an earlier search stays open in the player until then.
        QVERIFY(writeAll(path("earlier.avi"), smallClip())
                && !ui.ani_Movie->open(path("earlier.avi")));
        ui.txtAnimation->setText(boxText);
        ui.tabData->setCurrentIndex(frm_main::kTabSearchResult);
        chosen = chosen == u"default" ? defaultClip : chosen == u"box" ? boxText : QString();

        m_run->window->StartSearchAnimation();
        QCOMPARE(m_run->state.sgAnimation, chosen);
        QCOMPARE(ui.txtAnimation->text(), boxText); // the box is not updated
        QVERIFY(ui.fraAniBack->isVisible() && ui.ani_Movie->isVisible());
        QVERIFY(ui.ani_Movie->isPlaying() == plays
                && ui.ani_Movie->currentImage().isNull() == !plays);
        QCOMPARE(ui.ani_Movie->clipPath(), plays ? chosen : QString());
        m_run->window->StopSearchAnimation();
        QVERIFY(!ui.fraAniBack->isVisible() && !ui.ani_Movie->isVisible()
                && !ui.ani_Movie->isPlaying() && m_run->state.sgAnimation == chosen);
    }

    // A named pipe is no clip: "play" and the search animation refuse it at
    // once, like a file that cannot be read, and never wait for a writer.
    void namedPipeAsClipIsRefusedAtOnce()
    {
        const FrmMainControls &ui = m_run->window->ui();
        const QString pipe = path("pipe.avi");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        PipeWatchdog watchdog(QFile::encodeName(pipe));
        ui.txtAnimation->setText(pipe);
        ui.cmdAviTest->click();
        m_run->window->StartSearchAnimation();
        const bool played = ui.ani_Movie->isPlaying();
        m_run->window->StopSearchAnimation();
        QVERIFY(!watchdog.stop());
        QCOMPARE(ui.lblAniTest->text(),
                 QStringLiteral("error playing avi.\r\n1 ")
                     + AviError { AviErrorCode::FileUnreadable }.description());
        QVERIFY(!ui.ani_Test->hasClip() && !played);
        QCOMPARE(QFileInfo(pipe).isFile(), false);
    }

    void closingTheMainWindowClosesTheModalInfoWindow()
    {
        QPointer<zfrm_Info> info;
        QTimer::singleShot(0, [&] {
            info = qobject_cast<zfrm_Info *>(QApplication::activeModalWidget());
            QVERIFY(info && info->parentWidget() == m_run->window.get());
            QCOMPARE(info->creditText(), InfoCreditText(m_run->state)); // the program's start time
            QCOMPARE(QGuiApplication::modalWindow(), info->windowHandle()); // main window blocked
            m_run->window->close();
        });
        m_run->window->ui().cmdInfo->click();
        QVERIFY(!info && !m_run->window->isVisible()); // unloaded and gone
    }
};

QTEST_MAIN(TestAviWindow)
#include "tst_avi_window.moc"
