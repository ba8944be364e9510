#include "core/avi_clip.h"
#include "core/avi_decoder.h"
#include "core/avi_writer.h"
#include "support/file_bytes.h"
#include "ui/animation_player.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The player: starts on open, loops while shown, pauses when hidden, reports failures.

namespace {

// Frame f is filled with grey level f + 1, so each frame is known by its colour.
QByteArray countingClip(int frames, quint32 rate, int width = 6)
{
    AviWriteSpec layout;
    layout.width = width, layout.height = 4, layout.rate = rate;
    layout.palette = { 0, 0x010101, 0x020202, 0x030303, 0x040404 };
    std::vector<AviSourceFrame> source;
    for (int f = 0; f < frames; ++f)
        source.push_back(AviSourceFrame(size_t(width) * 4, quint32(f + 1)));
    return WriteAviClip(layout, source);
}

} // namespace

class TestAviPlayer : public QObject
{
    Q_OBJECT

private slots:
    void openingStartsAtTheFirstFrameAndLoopsUntilReplaced()
    {
        AnimationPlayer player;
        player.show();
        QSignalSpy shown(&player, &AnimationPlayer::frameShown);
        QVERIFY(!player.open(write(QStringLiteral("count.avi"), countingClip(3, 50))));
        QVERIFY(player.isPlaying() && player.frameIntervalMs() == 20); // 50 frames a second
        QCOMPARE(player.currentImage().pixel(0, 0), 0xff010101u);
        // Frames follow in order and start again after the last.
        QTRY_VERIFY_WITH_TIMEOUT(shown.count() >= 5, 5000);
        for (qsizetype i = 0; i < 5; ++i)
            QCOMPARE(shown.at(i).at(0).value<qsizetype>(), i % 3);
        // Another clip replaces it, with its own size, length and rate.
        const QString second = write(QStringLiteral("second.avi"), countingClip(1, 4, 3));
        QVERIFY(!player.open(second));
        QVERIFY(player.clipPath() == second && player.frameCount() == 1
                && player.frameIntervalMs() == 250);
        QCOMPARE(player.currentImage().size(), QSize(3, 4));
    }

    void hidingPausesAndShowingGoesOn()
    {
        AnimationPlayer player;
        QVERIFY(!player.open(write(QStringLiteral("pause.avi"), countingClip(4, 100))));
        QVERIFY(!player.isPlaying()); // opened hidden, as the search does before showing it
        player.show();
        QTRY_VERIFY(player.currentFrame() > 0);
        player.hide();
        const qsizetype paused = player.currentFrame();
        QTest::qWait(60);
        QCOMPARE(player.currentFrame(), paused);
        player.show();
        QVERIFY(player.isPlaying());
    }

    void failureLeavesThePlayerEmptyWithNumberAndText()
    {
        const QString good = write(QStringLiteral("good.avi"), countingClip(2, 10));
        AnimationPlayer player;
        player.show();
        QVERIFY(!player.open(good));
        const auto error = player.open(write(QStringLiteral("bad.avi"), "plain text"));
        QVERIFY(error && error->number() == int(AviErrorCode::NotAvi));
        QVERIFY(!player.hasClip() && !player.isPlaying() && player.currentImage().isNull());
        QCOMPARE(AviTestLabelText(error),
                 QStringLiteral("error playing avi.\r\n3 ")
                     + AviError { AviErrorCode::NotAvi }.description());
        // A clip that plays again afterwards leaves no text.
        QCOMPARE(AviTestLabelText(player.open(good)), QString());
        QVERIFY(player.isPlaying());
    }

    // The clip made at build time lies beside the program, and every frame decodes.
    void defaultClipIsAnRle8Clip()
    {
        const QString path
            = QCoreApplication::applicationDirPath() + QStringLiteral("/animation/spin.avi");
        const AviParseResult opened = LoadAviClip(path);
        QVERIFY2(opened.clip, qPrintable(path + QStringLiteral(": ") + opened.error.description()));
        QVERIFY(opened.clip->format == AviFrameFormat::Rle8 && opened.clip->frames.size() >= 2);
        AviFrameDecoder decoder(*opened.clip);
        for (qsizetype f = 0; f < qsizetype(opened.clip->frames.size()); ++f)
            QVERIFY(!decoder.decode(f));
    }

private:
    QTemporaryDir m_dir;
    QString write(const QString &name, const QByteArray &bytes)
    {
        return writeAll(m_dir.filePath(name), bytes) ? m_dir.filePath(name) : QString();
    }
};

QTEST_MAIN(TestAviPlayer)
#include "tst_avi_player.moc"
