#include "core/avi_clip.h"
#include "core/avi_decoder.h"
#include "core/avi_writer.h"

#include <QTemporaryDir>
#include <QTest>

// Clips are made here with the project's own writer; the decoder must give
// back every pixel of every frame. Hand-assembled frames check the
// run-length codes against their definition, independent of the writer.

namespace {

// Distinct colours, so a wrong palette index shows as a wrong colour.
std::vector<quint32> testPalette(int entries)
{
    std::vector<quint32> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back(quint32(i) << 16 | quint32(255 - i) << 8 | quint32((i * 7) & 0xff));
    return palette;
}

// Frames with long runs, noisy stretches, a moving block and parts that
// stay the same from frame to frame, so runs, stored stretches, moves and
// row skips all occur. Values are palette indexes below colours, or
// 0xRRGGBB when colours is 0.
std::vector<AviSourceFrame> testFrames(int width, int height, int count, int colours)
{
    std::vector<AviSourceFrame> frames;
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    auto value = [colours](quint32 v) { return colours ? v % quint32(colours) : v & 0xffffff; };
    for (int f = 0; f < count; ++f) {
        AviSourceFrame frame(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                quint32 v = value(quint32(y / 3 + 1)); // runs along each row
                if (y % 5 == 2 && x % 11 < 6)
                    v = value(next()); // stored stretches
                const int blockX = (f * 3) % std::max(1, width);
                if (x >= blockX && x < blockX + 4 && y >= f % std::max(1, height)
                    && y < f % std::max(1, height) + 3)
                    v = value(quint32(f + 7)); // moves each frame
                frame[size_t(y) * size_t(width) + size_t(x)] = v;
            }
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

QString firstDifference(const std::vector<quint32> &got, const std::vector<quint32> &want,
                        int width)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1, expected %2").arg(got.size()).arg(want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        if (got[i] != want[i])
            return QStringLiteral("pixel x=%1 y=%2 (from top): %3, expected %4")
                .arg(qsizetype(i) % width)
                .arg(qsizetype(i) / width)
                .arg(got[i], 8, 16, QChar(u'0'))
                .arg(want[i], 8, 16, QChar(u'0'));
    }
    return {};
}

// Decodes frame f and compares it with its source; empty when they agree.
QString decodeDifference(AviFrameDecoder &decoder, const std::vector<AviSourceFrame> &frames,
                         const std::vector<quint32> &palette, int width, int f)
{
    if (decoder.decode(f))
        return QStringLiteral("frame %1 not decoded").arg(f);
    std::vector<quint32> want;
    for (quint32 v : frames[size_t(f)])
        want.push_back(0xff000000u | (palette.empty() ? v : palette[v]));
    const QString difference = firstDifference(decoder.pixels(), want, width);
    return difference.isEmpty() ? difference : QStringLiteral("frame %1: ").arg(f) + difference;
}

void setLe32(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// A clip layout with a test palette when the format has one.
AviWriteSpec clipSpec(int width, int height, AviFrameFormat format, int bitCount)
{
    AviWriteSpec layout;
    layout.width = width;
    layout.height = height;
    layout.format = format;
    layout.bitCount = bitCount;
    if (bitCount <= 8)
        layout.palette = testPalette(1 << bitCount);
    return layout;
}

AviWriteSpec rleSpec(int width, int height, bool fourBit)
{
    return clipSpec(width, height, fourBit ? AviFrameFormat::Rle4 : AviFrameFormat::Rle8,
                    fourBit ? 4 : 8);
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

class TestAviClip : public QObject
{
    Q_OBJECT

private slots:
    void writtenClipsDecodeEveryFrame_data();
    void writtenClipsDecodeEveryFrame();
    void handAssembledFramesFollowTheCodes_data();
    void handAssembledFramesFollowTheCodes();
    void damagedClipsAreRefused_data();
    void damagedClipsAreRefused();
    void frameRateComesFromTheStream();
    void loadReadsAFileAndRefusesAMissingOne();
    void errorNumbersHaveTheirOwnDescriptions();
};

void TestAviClip::writtenClipsDecodeEveryFrame_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("frameCount");
    QTest::addColumn<bool>("deltaFrames");
    QTest::addColumn<QString>("index"); // "with", "none" or "broken" (an entry pointing nowhere)
    const auto row
        = [](const char *name, AviFrameFormat format, int bitCount, int width, int height,
             int frameCount, bool deltaFrames = true, const char *index = "with") {
              QTest::newRow(name) << int(format) << bitCount << width << height << frameCount
                                  << deltaFrames << QString::fromUtf8(index);
          };
    const auto rle8 = AviFrameFormat::Rle8;
    const auto rle4 = AviFrameFormat::Rle4;
    const auto plain = AviFrameFormat::Uncompressed;
    row("rle8 changes only", rle8, 8, 40, 30, 12);
    row("rle8 whole frames", rle8, 8, 40, 30, 5, false);
    row("rle8 odd size", rle8, 8, 37, 23, 9);
    row("rle8 rows longer than one count", rle8, 8, 600, 7, 4);
    row("rle8 one pixel", rle8, 8, 1, 1, 3);
    row("rle8 without index", rle8, 8, 16, 12, 6, true, "none");
    row("rle8 index pointing nowhere", rle8, 8, 16, 12, 6, true, "broken");
    row("rle4 changes only", rle4, 4, 40, 30, 12);
    row("rle4 whole frames", rle4, 4, 40, 30, 5, false);
    row("rle4 odd size", rle4, 4, 37, 23, 9);
    row("rle4 rows longer than one count", rle4, 4, 600, 7, 4);
    row("rle4 tall, rows skipped", rle4, 4, 9, 700, 3);
    // Odd widths make rows that need padding to four bytes.
    row("8 bits", plain, 8, 13, 7, 4);
    row("24 bits", plain, 24, 11, 6, 4);
    row("24 bits, one column", plain, 24, 1, 4, 4);
    row("32 bits", plain, 32, 9, 5, 4);
    row("4 bits", plain, 4, 7, 5, 4);
}

void TestAviClip::writtenClipsDecodeEveryFrame()
{
    QFETCH(int, format);
    QFETCH(int, bitCount);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, frameCount);
    QFETCH(bool, deltaFrames);
    QFETCH(QString, index);

    AviWriteSpec layout = clipSpec(width, height, AviFrameFormat(format), bitCount);
    layout.deltaFrames = deltaFrames;
    layout.writeIndex = index != u"none";
    const auto frames = testFrames(width, height, frameCount, int(layout.palette.size()));
    QByteArray bytes = WriteAviClip(layout, frames);
    QCOMPARE(bytes.contains("idx1"), layout.writeIndex);
    if (index == u"broken")
        setLe32(bytes, bytes.indexOf("idx1") + 8 + 16 * 2 + 8, 0x00fffff0); // third entry's offset
    const AviParseResult opened = OpenAviClip(bytes);
    QVERIFY2(opened.clip, qPrintable(opened.error.description()));
    const AviClip &clip = *opened.clip;
    QCOMPARE(clip.width, width);
    QCOMPARE(clip.height, height);
    QCOMPARE(clip.format, AviFrameFormat(format));
    QCOMPARE(qsizetype(clip.frames.size()), qsizetype(frameCount));

    AviFrameDecoder decoder(clip);
    for (int f = 0; f < frameCount; ++f)
        QCOMPARE(decodeDifference(decoder, frames, layout.palette, width, f), QString());
    // Playing loops: back to the first frame, then a jump forward.
    for (int f : { 0, frameCount - 1, frameCount / 2 })
        QCOMPARE(decodeDifference(decoder, frames, layout.palette, width, f), QString());
}

void TestAviClip::handAssembledFramesFollowTheCodes_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("bottomUp");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<int>>("indexesFromTop"); // -1: untouched (black)

    const int rle8 = int(AviFrameFormat::Rle8);
    const int rle4 = int(AviFrameFormat::Rle4);
    const int plain = int(AviFrameFormat::Uncompressed);
    // Bottom row first: a run of two 5s, a move one right and one up, a
    // single 6, end of row, three stored pixels with a pad byte, end.
    QTest::newRow("rle8 run, move, end of row, stored, end")
        << 4 << 3 << rle8 << true
        << bytesOf({ 2, 5, 0, 2, 1, 1, 1, 6, 0, 0, 0, 3, 7, 8, 9, 0, 0, 1 })
        << QList<int> { 7, 8, 9, -1, -1, -1, -1, 6, 5, 5, -1, -1 };
    // A run of 4 bits alternates the two halves of its byte; stored pixels
    // are packed two to a byte.
    QTest::newRow("rle4 alternating run and stored nibbles")
        << 5 << 2 << rle4 << true << bytesOf({ 5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 1 })
        << QList<int> { 3, 4, 5, -1, -1, 1, 2, 1, 2, 1 };
    // A run past the right edge is cut off; the end of the data ends the
    // picture even without an end code.
    QTest::newRow("rle8 run past the edge, no end code")
        << 3 << 2 << rle8 << true << bytesOf({ 9, 4 }) << QList<int> { -1, -1, -1, 4, 4, 4 };
    // A move beyond the top ends the picture.
    QTest::newRow("rle8 move beyond the top")
        << 2 << 2 << rle8 << true << bytesOf({ 1, 3, 0, 2, 0, 9, 2, 8 })
        << QList<int> { -1, -1, 3, -1 };
    QTest::newRow("8 bits stored top-down")
        << 2 << 2 << plain << false << bytesOf({ 1, 2, 0, 0, 3, 4, 0, 0 })
        << QList<int> { 1, 2, 3, 4 };
    QTest::newRow("8 bits stored bottom-up")
        << 2 << 2 << plain << true << bytesOf({ 1, 2, 0, 0, 3, 4, 0, 0 })
        << QList<int> { 3, 4, 1, 2 };
}

void TestAviClip::handAssembledFramesFollowTheCodes()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, format);
    QFETCH(bool, bottomUp);
    QFETCH(QByteArray, data);
    QFETCH(QList<int>, indexesFromTop);

    // A clip with one hand-assembled frame, for the decoder alone.
    AviClip clip;
    clip.width = width;
    clip.height = height;
    clip.format = AviFrameFormat(format);
    clip.bitCount = clip.format == AviFrameFormat::Rle4 ? 4 : 8;
    clip.bottomUp = bottomUp;
    for (quint32 rgb : testPalette(1 << clip.bitCount))
        clip.palette.push_back(0xff000000u | rgb);
    clip.microsecondsPerFrame = 100000;
    clip.bytes = data;
    clip.frames.push_back({ 0, data.size() });
    AviFrameDecoder decoder(clip);
    QVERIFY(!decoder.decode(0));
    std::vector<quint32> want;
    for (int index : indexesFromTop)
        want.push_back(index < 0 ? 0xff000000u : clip.palette[size_t(index)]);
    const QString difference = firstDifference(decoder.pixels(), want, width);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
}

void TestAviClip::damagedClipsAreRefused_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("code");

    const AviWriteSpec layout = rleSpec(8, 8, false);
    const auto frames = testFrames(8, 8, 3, 256);
    const QByteArray good = WriteAviClip(layout, frames);
    QVERIFY(OpenAviClip(good).clip);

    QTest::newRow("empty file") << QByteArray() << int(AviErrorCode::NotAvi);
    QTest::newRow("text file") << QByteArray("hello, this is not a clip")
                               << int(AviErrorCode::NotAvi);
    QTest::newRow("only the RIFF id") << QByteArray("RIFF") << int(AviErrorCode::Truncated);
    QTest::newRow("wave file") << QByteArray("RIFF\x04\0\0\0WAVE", 12) << int(AviErrorCode::NotAvi);
    QTest::newRow("cut in half") << good.left(good.size() / 2) << int(AviErrorCode::Truncated);
    QTest::newRow("last byte missing") << good.chopped(1) << int(AviErrorCode::Truncated);

    // A copy of the good clip with one 32-bit field overwritten.
    const auto patched = [&good](qsizetype at, quint32 value) {
        QByteArray bytes = good;
        setLe32(bytes, at, value);
        return bytes;
    };
    const qsizetype bitmap = good.indexOf("strf") + 8; // the bitmap header
    QTest::newRow("frame chunk larger than the movie list")
        << patched(good.indexOf("00dc") + 4, 0x7ffffff0) << int(AviErrorCode::BadChunkSize);
    QTest::newRow("format chunk larger than its list")
        << patched(good.indexOf("strf") + 4, 0xfffffff0) << int(AviErrorCode::BadChunkSize);
    QTest::newRow("header list larger than the file")
        << patched(good.indexOf("LIST") + 4, quint32(good.size()))
        << int(AviErrorCode::BadChunkSize);
    QTest::newRow("main header too short")
        << patched(good.indexOf("avih") + 4, 8) << int(AviErrorCode::BadHeader);
    AviWriteSpec stopped = layout;
    stopped.rate = 0;
    QTest::newRow("zero frame rate")
        << WriteAviClip(stopped, frames) << int(AviErrorCode::ZeroFrameRate);

    QByteArray huge = patched(bitmap + 4, 100000);
    setLe32(huge, bitmap + 8, 100000);
    QTest::newRow("100000 x 100000 frame") << huge << int(AviErrorCode::UnsupportedFrameSize);
    QTest::newRow("5000 pixels wide")
        << patched(bitmap + 4, 5000) << int(AviErrorCode::UnsupportedFrameSize);
    QTest::newRow("zero height") << patched(bitmap + 8, 0)
                                 << int(AviErrorCode::UnsupportedFrameSize);
    QTest::newRow("negative width")
        << patched(bitmap + 4, quint32(-8)) << int(AviErrorCode::UnsupportedFrameSize);
    QTest::newRow("run-length frames stored top-down")
        << patched(bitmap + 8, quint32(-8)) << int(AviErrorCode::BadHeader);

    AviWriteSpec withSound = layout;
    withSound.soundStream = true;
    QTest::newRow("sound stream") << WriteAviClip(withSound, frames)
                                  << int(AviErrorCode::SoundStream);
    AviWriteSpec otherCodec = layout;
    otherCodec.compression = 0x64697663; // "cvid"
    QTest::newRow("another codec")
        << WriteAviClip(otherCodec, frames) << int(AviErrorCode::UnsupportedCodec);
    AviWriteSpec rle8At24 = layout;
    rle8At24.compression = 1;
    rle8At24.format = AviFrameFormat::Uncompressed;
    rle8At24.bitCount = 24;
    QTest::newRow("run-length code with 24 bits")
        << WriteAviClip(rle8At24, testFrames(8, 8, 1, 0)) << int(AviErrorCode::UnsupportedCodec);
    QTest::newRow("no frames") << WriteAviClip(layout, {}) << int(AviErrorCode::NoFrames);

    QByteArray noHeader = good;
    noHeader.replace(noHeader.indexOf("hdrl"), 4, "xxxx");
    QTest::newRow("no header list") << noHeader << int(AviErrorCode::MissingHeader);
    QByteArray noVideo = good;
    noVideo.replace(noVideo.indexOf("vids"), 4, "txts");
    QTest::newRow("no video stream") << noVideo << int(AviErrorCode::NoVideoStream);

    // A stored stretch longer than the frame's data.
    QByteArray damagedRle = good;
    const qsizetype frameData = damagedRle.indexOf("00dc") + 8;
    damagedRle[frameData] = '\0';
    damagedRle[frameData + 1] = char(250);
    QTest::newRow("stored stretch beyond the frame")
        << damagedRle << int(AviErrorCode::DamagedFrame);

    // An uncompressed frame shorter than its rows.
    AviWriteSpec plain = layout;
    plain.format = AviFrameFormat::Uncompressed;
    plain.writeIndex = false;
    QByteArray shortFrame = WriteAviClip(plain, { frames[0] });
    const qsizetype plainFrame = shortFrame.indexOf("00db") + 4;
    setLe32(shortFrame, plainFrame, 8 * 8 - 8);
    QTest::newRow("uncompressed frame too short") << shortFrame << int(AviErrorCode::DamagedFrame);
}

void TestAviClip::damagedClipsAreRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, code);

    const AviParseResult opened = OpenAviClip(bytes);
    QVERIFY(!opened.clip);
    QCOMPARE(opened.error.number(), code);
    QVERIFY(!opened.error.description().isEmpty());
}

void TestAviClip::frameRateComesFromTheStream()
{
    AviWriteSpec layout = rleSpec(4, 4, false);
    layout.rate = 15;
    layout.scale = 2; // 7.5 frames a second
    const AviParseResult opened = OpenAviClip(WriteAviClip(layout, testFrames(4, 4, 2, 256)));
    QVERIFY(opened.clip);
    QCOMPARE(opened.clip->microsecondsPerFrame, qint64(133333));

    // A stream without a rate falls back to the main header's frame time.
    QByteArray bytes = WriteAviClip(rleSpec(4, 4, false), testFrames(4, 4, 2, 256));
    const qsizetype streamHeader = bytes.indexOf("strh") + 8;
    setLe32(bytes, streamHeader + 24, 0);
    const AviParseResult fallback = OpenAviClip(bytes);
    QVERIFY(fallback.clip);
    QCOMPARE(fallback.clip->microsecondsPerFrame, qint64(100000));

    // Four billion frames a second is absurd, but not no rate at all.
    AviWriteSpec fast = rleSpec(4, 4, false);
    fast.rate = 0xffffffffu;
    const AviParseResult hurried = OpenAviClip(WriteAviClip(fast, testFrames(4, 4, 2, 256)));
    QVERIFY2(hurried.clip, qPrintable(hurried.error.description()));
    QCOMPARE(hurried.clip->microsecondsPerFrame, qint64(1));
}

void TestAviClip::loadReadsAFileAndRefusesAMissingOne()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("clip.avi"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WriteAviClip(rleSpec(6, 6, true), testFrames(6, 6, 3, 16)));
    file.close();
    const AviParseResult loaded = LoadAviClip(path);
    QVERIFY2(loaded.clip, qPrintable(loaded.error.description()));
    QCOMPARE(qsizetype(loaded.clip->frames.size()), qsizetype(3));

    const AviParseResult missing = LoadAviClip(dir.filePath(QStringLiteral("missing.avi")));
    QVERIFY(!missing.clip);
    QCOMPARE(missing.error.code, AviErrorCode::FileUnreadable);
}

void TestAviClip::errorNumbersHaveTheirOwnDescriptions()
{
    QSet<QString> seen;
    for (int n = int(AviErrorCode::FileUnreadable); n <= int(AviErrorCode::TooManyFrames); ++n) {
        const AviError error { AviErrorCode(n) };
        QVERIFY(!error.description().isEmpty());
        QVERIFY2(!seen.contains(error.description()), qPrintable(error.description()));
        seen.insert(error.description());
    }
}

QTEST_GUILESS_MAIN(TestAviClip)
#include "tst_avi_clip.moc"
