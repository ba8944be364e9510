#include "core/avi_clip.h"
#include "core/avi_decoder.h"
#include "core/avi_writer.h"
#include "ui/animation_player.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The player as the window uses it: it starts on open, loops while shown,
// pauses when hidden, and reports clips it cannot play by number and
// description.

namespace {

// Frame f is filled with palette entry f + 1, so each frame is known by
// its colour.
QByteArray countingClip(int frames, quint32 rate)
{
    AviWriteSpec layout;
    layout.width = 6;
    layout.height = 4;
    layout.rate = rate;
    for (int i = 0; i < 256; ++i)
        layout.palette.push_back(quint32(i) * 0x010101u);
    std::vector<AviSourceFrame> source;
    for (int f = 0; f < frames; ++f)
        source.push_back(AviSourceFrame(6 * 4, quint32(f + 1)));
    return WriteAviClip(layout, source);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

quint32 grey(int level)
{
    return 0xff000000u | quint32(level) * 0x010101u;
}

} // namespace

class TestAviPlayer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openingStartsAtTheFirstFrameAndLoopsUntilReplaced();
    void hidingPausesAndShowingGoesOn();
    void failuresLeaveThePlayerEmptyWithNumberAndText_data();
    void failuresLeaveThePlayerEmptyWithNumberAndText();
    void defaultClipIsAnRle8SpinnerThatLoopsSmoothly();

private:
    QTemporaryDir m_dir;
};

void TestAviPlayer::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestAviPlayer::openingStartsAtTheFirstFrameAndLoopsUntilReplaced()
{
    const QString path = writeFile(m_dir, QStringLiteral("count.avi"), countingClip(3, 50));
    AnimationPlayer player;
    player.show();
    QSignalSpy shown(&player, &AnimationPlayer::frameShown);
    QVERIFY(!player.open(path));
    QVERIFY(player.hasClip());
    QVERIFY(player.isPlaying());
    QCOMPARE(player.clipPath(), path);
    QCOMPARE(player.frameCount(), qsizetype(3));
    QCOMPARE(player.frameIntervalMs(), 20); // 50 frames a second
    QCOMPARE(player.currentImage().pixel(0, 0), grey(1));

    // Frames follow in order and start again after the last.
    QTRY_VERIFY_WITH_TIMEOUT(shown.count() >= 5, 5000);
    QList<qsizetype> order;
    for (const QList<QVariant> &call : shown)
        order.append(call.at(0).value<qsizetype>());
    for (qsizetype i = 0; i < 5; ++i)
        QCOMPARE(order.at(i), i % 3);

    // Another clip replaces it, with its own size and rate.
    AviWriteSpec layout;
    layout.width = 3;
    layout.height = 2;
    layout.format = AviFrameFormat::Uncompressed;
    layout.bitCount = 24;
    layout.rate = 4;
    const QString second = writeFile(m_dir, QStringLiteral("second.avi"),
                                     WriteAviClip(layout, { AviSourceFrame(6, 0x123456) }));
    QVERIFY(!player.open(second));
    QCOMPARE(player.clipPath(), second);
    QCOMPARE(player.frameCount(), qsizetype(1));
    QCOMPARE(player.frameIntervalMs(), 250);
    QCOMPARE(player.currentImage().size(), QSize(3, 2));
    QCOMPARE(player.currentImage().pixel(2, 1), 0xff123456u);
}

void TestAviPlayer::hidingPausesAndShowingGoesOn()
{
    const QString path = writeFile(m_dir, QStringLiteral("pause.avi"), countingClip(4, 100));
    AnimationPlayer player;
    // Opened while hidden, as the search does before it shows the player.
    QVERIFY(!player.open(path));
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.currentFrame(), qsizetype(0));
    player.show();
    QVERIFY(player.isPlaying());
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

    AviWriteSpec sound;
    sound.width = 4;
    sound.height = 4;
    sound.palette = { 0, 0xffffff };
    sound.soundStream = true;
    QTest::newRow("missing file") << QByteArray() << int(AviErrorCode::FileUnreadable);
    QTest::newRow("sound stream") << WriteAviClip(sound, { AviSourceFrame(16, 1) })
                                  << int(AviErrorCode::SoundStream);
    QTest::newRow("not a clip") << QByteArray("plain text") << int(AviErrorCode::NotAvi);
}

void TestAviPlayer::failuresLeaveThePlayerEmptyWithNumberAndText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);

    const QString path = bytes.isEmpty() ? m_dir.filePath(QStringLiteral("nowhere.avi"))
                                         : writeFile(m_dir, QStringLiteral("bad.avi"), bytes);
    const QString good = writeFile(m_dir, QStringLiteral("good.avi"), countingClip(2, 10));
    AnimationPlayer player;
    player.show();
    QVERIFY(!player.open(good));
    const std::optional<AviError> error = player.open(path);
    QVERIFY(error);
    QCOMPARE(error->number(), code);
    QVERIFY(!player.hasClip());
    QVERIFY(!player.isPlaying());
    QVERIFY(player.currentImage().isNull());

    const QString expected = QStringLiteral("error playing avi.\r\n") + QString::number(code)
        + QChar(u' ') + AviError { AviErrorCode(code) }.description();
    QCOMPARE(AviTestLabelText(error), expected);

    // A clip that plays again afterwards leaves no text.
    QCOMPARE(AviTestLabelText(player.open(good)), QString());
    QVERIFY(player.isPlaying());
}

// The clip made at build time lies beside the program (and this test).
void TestAviPlayer::defaultClipIsAnRle8SpinnerThatLoopsSmoothly()
{
    const QString path
        = QCoreApplication::applicationDirPath() + QStringLiteral("/animation/spin.avi");
    const AviParseResult opened = LoadAviClip(path);
    QVERIFY2(opened.clip, qPrintable(path + QStringLiteral(": ") + opened.error.description()));
    const AviClip &clip = *opened.clip;
    QCOMPARE(clip.format, AviFrameFormat::Rle8);
    QVERIFY(clip.frames.size() >= 2);

    // The step from the last frame back to the first changes no more than
    // any step inside the clip: no jump where it loops.
    std::vector<std::vector<quint32>> pictures;
    AviFrameDecoder decoder(clip);
    for (qsizetype f = 0; f < qsizetype(clip.frames.size()); ++f) {
        QVERIFY(!decoder.decode(f));
        pictures.push_back(decoder.pixels());
    }
    auto changed = [](const std::vector<quint32> &a, const std::vector<quint32> &b) {
        qsizetype n = 0;
        for (size_t i = 0; i < a.size(); ++i)
            n += a[i] != b[i] ? 1 : 0;
        return n;
    };
    qsizetype largestStep = 0;
    for (size_t f = 1; f < pictures.size(); ++f) {
        const qsizetype step = changed(pictures[f - 1], pictures[f]);
        QVERIFY2(step > 0, "every frame moves");
        largestStep = std::max(largestStep, step);
    }
    QVERIFY(changed(pictures.back(), pictures.front()) <= largestStep);

    AnimationPlayer player;
    player.show();
    QVERIFY(!player.open(path));
    QVERIFY(player.isPlaying());
}

QTEST_MAIN(TestAviPlayer)
#include "tst_avi_player.moc"
