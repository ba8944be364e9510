#include "core/avi_clip.h"
#include "core/avi_decoder.h"
#include "core/avi_writer.h"

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

// Long runs along each row, noisy stored stretches and a block that moves
// each frame, so runs, stored stretches, moves and row skips all occur.
// Values are palette indexes below colours, or 0xRRGGBB when colours is 0.
std::vector<AviSourceFrame> testFrames(int width, int height, int count, int colours)
{
    std::vector<AviSourceFrame> frames(size_t(count), AviSourceFrame(size_t(width * height)));
    quint32 seed = 12345;
    for (int f = 0; f < count; ++f) {
        for (int i = 0; i < width * height; ++i) {
            const int x = i % width, y = i / width;
            seed = seed * 1103515245u + 12345u;
            quint32 v = y % 5 == 2 && x % 11 < 6 ? seed >> 16 : quint32(y / 3 + 1);
            if (unsigned(x - (f * 3) % width) < 4 && unsigned(y - f % height) < 3)
                v = quint32(f + 7);
            frames[size_t(f)][size_t(i)] = colours ? v % quint32(colours) : v & 0xffffff;
        }
    }
    return frames;
}

// Decodes frame f and compares it with want (0xRRGGBB from the top); empty
// when they agree, else the first differing pixel.
QString decodeDifference(AviFrameDecoder &decoder, int f, std::vector<quint32> want, int width)
{
    if (decoder.decode(f))
        return QStringLiteral("frame %1 not decoded").arg(f);
    for (quint32 &rgb : want)
        rgb |= 0xff000000u;
    const std::vector<quint32> &got = decoder.pixels();
    if (got.size() != want.size())
        return QStringLiteral("frame %1: %2 pixels").arg(f).arg(got.size());
    const auto at = size_t(std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin());
    if (at == got.size())
        return {};
    return QStringLiteral("frame %1: pixel x=%2 y=%3 (from top): %4, expected %5")
        .arg(f)
        .arg(at % size_t(width))
        .arg(at / size_t(width))
        .arg(got[at], 8, 16, QChar(u'0'))
        .arg(want[at], 8, 16, QChar(u'0'));
}

void setLe32(QByteArray &bytes, qsizetype at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xff);
}

// A clip layout with a test palette when the format has one.
AviWriteSpec clipSpec(int width, int height, AviFrameFormat format = AviFrameFormat::Rle8,
                      int bitCount = 8)
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

} // namespace

class TestAviClip : public QObject
{
    Q_OBJECT

private slots:
    void writtenClipsDecodeEveryFrame_data()
    {
        QTest::addColumn<AviWriteSpec>("layout");
        QTest::addColumn<int>("frameCount");
        QTest::addColumn<QString>("damage"); // "", "broken index" or "no stream rate"
        QTest::addColumn<qint64>("frameTime"); // microseconds
        const auto row = [](const char *name, AviWriteSpec layout, int frameCount,
                            const char *damage = "", qint64 frameTime = 100000) {
            QTest::newRow(name) << layout << frameCount << QString::fromUtf8(damage) << frameTime;
        };
        const auto rle4 = AviFrameFormat::Rle4;
        const auto plain = AviFrameFormat::Uncompressed;
        const auto with = [](AviWriteSpec layout, auto change) {
            change(layout);
            return layout;
        };
        row("rle8 changes only, 7.5 frames a second",
            with(clipSpec(40, 30), [](AviWriteSpec &s) { s.rate = 15, s.scale = 2; }), 12, "",
            133333);
        row("rle8 whole frames",
            with(clipSpec(40, 30), [](AviWriteSpec &s) { s.deltaFrames = false; }), 5);
        row("rle8 rows longer than one count, odd size", clipSpec(601, 7), 4);
        row("rle8 without index",
            with(clipSpec(16, 12), [](AviWriteSpec &s) { s.writeIndex = false; }), 6);
        row("rle8 index pointing nowhere", clipSpec(16, 12), 6, "broken index");
        // Without a stream rate the main header's frame time counts.
        row("rle8 stream without a rate", clipSpec(16, 12), 2, "no stream rate");
        // Four billion frames a second is absurd, but not no rate at all.
        row("rle4 odd size, fastest rate",
            with(clipSpec(37, 23, rle4, 4), [](AviWriteSpec &s) { s.rate = 0xffffffffu; }), 9, "",
            1);
        row("rle4 tall, rows skipped", clipSpec(9, 700, rle4, 4), 3);
        // Odd widths make rows that need padding to four bytes.
        row("24 bits", clipSpec(11, 6, plain, 24), 4);
        row("32 bits", clipSpec(9, 5, plain, 32), 4);
    }

    void writtenClipsDecodeEveryFrame()
    {
        QFETCH(AviWriteSpec, layout);
        QFETCH(int, frameCount);
        QFETCH(QString, damage);
        QFETCH(qint64, frameTime);
        const auto frames
            = testFrames(layout.width, layout.height, frameCount, int(layout.palette.size()));
        QByteArray bytes = WriteAviClip(layout, frames);
        QCOMPARE(bytes.contains("idx1"), layout.writeIndex);
        if (damage == u"broken index")
            setLe32(bytes, bytes.indexOf("idx1") + 8 + 16 * 2 + 8,
                    0x00fffff0); // third entry's offset
        if (damage == u"no stream rate")
            setLe32(bytes, bytes.indexOf("strh") + 8 + 24, 0);
        const AviParseResult opened = OpenAviClip(bytes);
        QVERIFY2(opened.clip, qPrintable(opened.error.description()));
        QCOMPARE(qsizetype(opened.clip->frames.size()), qsizetype(frameCount));
        QCOMPARE(opened.clip->microsecondsPerFrame, frameTime);

        AviFrameDecoder decoder(*opened.clip);
        // Every frame in order, then as a loop plays on: back to the first, a jump forward.
        std::vector<int> order(size_t(frameCount), 0);
        std::iota(order.begin(), order.end(), 0);
        order.insert(order.end(), { 0, frameCount - 1, frameCount / 2 });
        for (int f : order) {
            std::vector<quint32> want = frames[size_t(f)];
            for (quint32 &v : want)
                v = layout.palette.empty() ? v : layout.palette[v];
            QCOMPARE(decodeDifference(decoder, f, want, layout.width), QString());
        }
    }

    void handAssembledFramesFollowTheCodes_data()
    {
        QTest::addColumn<QSize>("size"); // a negative width: 4 bits
        QTest::addColumn<QByteArray>("hex"); // bottom row first
        QTest::addColumn<QList<int>>("indexesFromTop"); // -1: untouched (black)
        // A run of two 5s, a move one right and one up, a single 6, end of row,
        // three stored pixels with a pad byte, end.
        QTest::newRow("rle8 run, move, end of row, stored, end")
            << QSize(4, 3) << QByteArray("020500020101010600000003070809000001")
            << QList<int> { 7, 8, 9, -1, -1, -1, -1, 6, 5, 5, -1, -1 };
        // A run of 4 bits alternates the two halves of its byte; stored pixels
        // are packed two to a byte.
        QTest::newRow("rle4 alternating run and stored nibbles")
            << QSize(-5, 2) << QByteArray("05120000000334500001")
            << QList<int> { 3, 4, 5, -1, -1, 1, 2, 1, 2, 1 };
    }

    void handAssembledFramesFollowTheCodes()
    {
        QFETCH(QSize, size);
        QFETCH(QByteArray, hex);
        QFETCH(QList<int>, indexesFromTop);
        // A clip with one hand-assembled frame, for the decoder alone.
        AviClip clip;
        clip.width = std::abs(size.width());
        clip.height = size.height();
        clip.format = size.width() < 0 ? AviFrameFormat::Rle4 : AviFrameFormat::Rle8;
        clip.bitCount = size.width() < 0 ? 4 : 8;
        clip.bottomUp = true;
        const std::vector<quint32> palette = testPalette(1 << clip.bitCount);
        for (quint32 rgb : palette)
            clip.palette.push_back(0xff000000u | rgb);
        clip.bytes = QByteArray::fromHex(hex);
        clip.frames.push_back({ 0, clip.bytes.size() });
        AviFrameDecoder decoder(clip);
        std::vector<quint32> want;
        for (int index : indexesFromTop)
            want.push_back(index < 0 ? 0 : palette[size_t(index)]);
        QCOMPARE(decodeDifference(decoder, 0, want, clip.width), QString());
    }

    void damagedClipsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("code");

        const AviWriteSpec layout = clipSpec(8, 8);
        const auto frames = testFrames(8, 8, 3, 256);
        const QByteArray good = WriteAviClip(layout, frames);
        QVERIFY(OpenAviClip(good).clip);
        const auto row = [](const char *name, const QByteArray &bytes, AviErrorCode code) {
            QTest::newRow(name) << bytes << int(code);
        };
        // A copy of a clip (the good one by default) with 32-bit fields
        // overwritten, each at the offset of a chunk id plus a distance.
        const auto patched
            = [&good](std::initializer_list<std::tuple<const char *, int, quint32>> fields,
                      QByteArray bytes = {}) {
                  bytes = bytes.isEmpty() ? good : bytes;
                  for (const auto &[id, distance, value] : fields)
                      setLe32(bytes, bytes.indexOf(id) + distance, value);
                  return bytes;
              };
        const auto written = [&layout, &frames](auto change) {
            AviWriteSpec changed = layout;
            change(changed);
            return WriteAviClip(changed, frames);
        };
        const auto renamed = [&good](const char *from, const char *to) {
            return QByteArray(good).replace(good.indexOf(from), 4, to);
        };

        row("empty file", QByteArray(), AviErrorCode::NotAvi);
        row("last byte missing", good.chopped(1), AviErrorCode::Truncated);
        row("frame chunk larger than the movie list", patched({ { "00dc", 4, 0x7ffffff0 } }),
            AviErrorCode::BadChunkSize);
        row("main header too short", patched({ { "avih", 4, 8 } }), AviErrorCode::BadHeader);
        row("zero frame rate", written([](AviWriteSpec &s) { s.rate = 0; }),
            AviErrorCode::ZeroFrameRate);
        // The bitmap header's width and height follow its chunk id at 12 and 16.
        row("100000 x 100000 frame", patched({ { "strf", 12, 100000 }, { "strf", 16, 100000 } }),
            AviErrorCode::UnsupportedFrameSize);
        row("zero height", patched({ { "strf", 16, 0 } }), AviErrorCode::UnsupportedFrameSize);
        row("run-length frames stored top-down", patched({ { "strf", 16, quint32(-8) } }),
            AviErrorCode::BadHeader);
        row("sound stream", written([](AviWriteSpec &s) { s.soundStream = true; }),
            AviErrorCode::SoundStream);
        row("another codec", written([](AviWriteSpec &s) { s.compression = 0x64697663; }), // "cvid"
            AviErrorCode::UnsupportedCodec);
        AviWriteSpec rle8At24 = clipSpec(8, 8, AviFrameFormat::Uncompressed, 24);
        rle8At24.compression = 1;
        row("run-length code with 24 bits", WriteAviClip(rle8At24, testFrames(8, 8, 1, 0)),
            AviErrorCode::UnsupportedCodec);
        row("no frames", WriteAviClip(layout, {}), AviErrorCode::NoFrames);
        row("no header list", renamed("hdrl", "xxxx"), AviErrorCode::MissingHeader);
        row("no video stream", renamed("vids", "txts"), AviErrorCode::NoVideoStream);
        // Codes 0, 250: a stored stretch longer than the frame's data.
        row("stored stretch beyond the frame", patched({ { "00dc", 8, 0xfa00 } }),
            AviErrorCode::DamagedFrame);
        const QByteArray plain = written([](AviWriteSpec &s) {
            s.format = AviFrameFormat::Uncompressed;
            s.writeIndex = false;
        });
        row("uncompressed frame shorter than its rows",
            patched({ { "00db", 4, 8 * 8 - 8 } }, plain), AviErrorCode::DamagedFrame);
    }

    void damagedClipsAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, code);
        const AviParseResult opened = OpenAviClip(bytes);
        QVERIFY(!opened.clip && !opened.error.description().isEmpty());
        QCOMPARE(opened.error.number(), code);
    }
};

QTEST_GUILESS_MAIN(TestAviClip)
#include "tst_avi_clip.moc"
