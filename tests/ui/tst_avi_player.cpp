#include "core/avi_clip.h"
#include "core/avi_decoder.h"
#include "core/avi_writer.h"
#include "support/file_bytes.h"
#include "ui/animation_player.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The player as the window uses it: it starts on open, loops while shown,
// pauses when hidden, and reports clips it cannot play by number and
// description.

namespace {

// Frame f is filled with grey level f + 1, so each frame is known by its colour.
QByteArray countingClip(int frames, quint32 rate, int width = 6)
{
    AviWriteSpec layout;
    layout.width = width;
    layout.height = 4;
    layout.rate = rate;
    for (int i = 0; i < 256; ++i)
        layout.palette.push_back(quint32(i) * 0x010101u);
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
    void openingStartsAtTheFirstFrameAndLoopsUntilReplaced();
    void hidingPausesAndShowingGoesOn();
    void failuresLeaveThePlayerEmptyWithNumberAndText_data();
    void failuresLeaveThePlayerEmptyWithNumberAndText();
    void defaultClipIsAnRle8Clip();

private:
    QTemporaryDir m_dir;
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        return writeAll(path, bytes) ? path : QString();
    }
};

void TestAviPlayer::openingStartsAtTheFirstFrameAndLoopsUntilReplaced()
{
    const QString path = write(QStringLiteral("count.avi"), countingClip(3, 50));
    AnimationPlayer player;
    player.show();
    QSignalSpy shown(&player, &AnimationPlayer::frameShown);
    QVERIFY(!player.open(path));
    QVERIFY(player.isPlaying());
    QCOMPARE(player.frameIntervalMs(), 20); // 50 frames a second
    QCOMPARE(player.currentImage().pixel(0, 0), 0xff010101u);

    // Frames follow in order and start again after the last.
    QTRY_VERIFY_WITH_TIMEOUT(shown.count() >= 5, 5000);
    for (qsizetype i = 0; i < 5; ++i)
        QCOMPARE(shown.at(i).at(0).value<qsizetype>(), i % 3);

    // Another clip replaces it, with its own size, length and rate.
    const QString second = write(QStringLiteral("second.avi"), countingClip(1, 4, 3));
    QVERIFY(!player.open(second));
    QCOMPARE(player.clipPath(), second);
    QCOMPARE(player.frameCount(), qsizetype(1));
    QCOMPARE(player.frameIntervalMs(), 250);
    QCOMPARE(player.currentImage().size(), QSize(3, 4));
}

void TestAviPlayer::hidingPausesAndShowingGoesOn()
{
    AnimationPlayer player;
    // Opened while hidden, as the search does before it shows the player.
    QVERIFY(!player.open(write(QStringLiteral("pause.avi"), countingClip(4, 100))));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.currentFrame(), qsizetype(0));
    player.show();
    QTRY_VERIFY(player.currentFrame() > 0);
    player.hide();
    QVERIFY(!player.isPlaying());
    const qsizetype paused = player.currentFrame();
    QTest::qWait(60);
    QCOMPARE(player.currentFrame(), paused);
    player.show();
    QVERIFY(player.isPlaying());
}

void TestAviPlayer::failuresLeaveThePlayerEmptyWithNumberAndText_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::addColumn<int>("code");
    QTest::newRow("missing file") << QByteArray() << int(AviErrorCode::FileUnreadable);
    QTest::newRow("not a clip") << QByteArray("plain text") << int(AviErrorCode::NotAvi);
}

void TestAviPlayer::failuresLeaveThePlayerEmptyWithNumberAndText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);
    const QString path = bytes.isEmpty() ? m_dir.filePath(QStringLiteral("nowhere.avi"))
                                         : write(QStringLiteral("bad.avi"), bytes);
    const QString good = write(QStringLiteral("good.avi"), countingClip(2, 10));
    AnimationPlayer player;
    player.show();
    QVERIFY(!player.open(good));
    const std::optional<AviError> error = player.open(path);
    QVERIFY(error);
    QCOMPARE(error->number(), code);
    QVERIFY(!player.hasClip() && !player.isPlaying());
    QVERIFY(player.currentImage().isNull());
    QCOMPARE(AviTestLabelText(error),
             QStringLiteral("error playing avi.\r\n") + QString::number(code) + QChar(u' ')
                 + AviError { AviErrorCode(code) }.description());

    // A clip that plays again afterwards leaves no text.
    QCOMPARE(AviTestLabelText(player.open(good)), QString());
    QVERIFY(player.isPlaying());
}

// The clip made at build time lies beside the program (and this test), and
// every frame of it decodes.
void TestAviPlayer::defaultClipIsAnRle8Clip()
{
    const QString path
        = QCoreApplication::applicationDirPath() + QStringLiteral("/animation/spin.avi");
    const AviParseResult opened = LoadAviClip(path);
    QVERIFY2(opened.clip, qPrintable(path + QStringLiteral(": ") + opened.error.description()));
    QCOMPARE(opened.clip->format, AviFrameFormat::Rle8);
    QVERIFY(opened.clip->frames.size() >= 2);
    AviFrameDecoder decoder(*opened.clip);
    for (qsizetype f = 0; f < qsizetype(opened.clip->frames.size()); ++f)
        QVERIFY(!decoder.decode(f));
}

QTEST_MAIN(TestAviPlayer)
#include "tst_avi_player.moc"
