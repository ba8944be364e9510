#include "core/avi_writer.h"

#include <algorithm>

namespace {

constexpr int kMaxCount = 255; // one byte holds every count of the run-length code
constexpr int kMinLiteral = 3; // shorter stored runs would collide with the escapes
constexpr int kMinSkip = 4; // unchanged pixels worth a move instead of a repaint
constexpr quint32 kKeyFrame = 0x10;
constexpr quint32 kHasIndex = 0x10;

void put32(QByteArray &b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}

void put16(QByteArray &b, quint16 v)
{
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void putId(QByteArray &b, const char (&id)[5])
{
    b.append(id, 4);
}

// Starts a chunk and returns where its data begins; endChunk fills in the size.
qsizetype beginChunk(QByteArray &b, const char (&id)[5])
{
    putId(b, id);
    put32(b, 0);
    return b.size();
}

void endChunk(QByteArray &b, qsizetype dataStart)
{
    const auto size = quint32(b.size() - dataStart);
    for (int i = 0; i < 4; ++i)
        b[dataStart - 4 + i] = char((size >> (8 * i)) & 0xff);
    if (size & 1)
        b.append('\0');
}

qsizetype beginList(QByteArray &b, const char (&type)[5])
{
    const qsizetype start = beginChunk(b, "LIST");
    putId(b, type);
    return start;
}

void putRun(QByteArray &out, int count, quint32 value, bool fourBit)
{
    out.append(char(count));
    out.append(char(fourBit ? ((value & 0x0f) << 4 | (value & 0x0f)) : (value & 0xff)));
}

void putMove(QByteArray &out, int right, int up)
{
    while (right > 0 || up > 0) {
        const int dx = std::min(right, kMaxCount);
        const int dy = std::min(up, kMaxCount);
        out.append('\0');
        out.append('\2');
        out.append(char(dx));
        out.append(char(dy));
        right -= dx;
        up -= dy;
    }
}

// Pixels [0, n) of a row: runs of one value, stretches of differing values
// stored as they are, and runs of one for stretches too short to store.
void encodeSpan(QByteArray &out, const quint32 *px, int n, bool fourBit)
{
    auto runAt = [&](int i) {
        int run = 1;
        while (i + run < n && run < kMaxCount && px[i + run] == px[i])
            ++run;
        return run;
    };
    int i = 0;
    while (i < n) {
        const int run = runAt(i);
        if (run >= 2) {
            putRun(out, run, px[i], fourBit);
            i += run;
            continue;
        }
        int j = i + 1;
        while (j < n && j - i < kMaxCount && runAt(j) < 2)
            ++j;
        const int length = j - i;
        if (length < kMinLiteral) {
            for (int k = i; k < j; ++k)
                putRun(out, 1, px[k], fourBit);
        } else {
            out.append('\0');
            out.append(char(length));
            QByteArray stored;
            if (fourBit) {
                for (int k = 0; k < length; k += 2) {
                    const quint32 high = px[i + k] & 0x0f;
                    const quint32 low = k + 1 < length ? px[i + k + 1] & 0x0f : 0;
                    stored.append(char(high << 4 | low));
                }
            } else {
                for (int k = 0; k < length; ++k)
                    stored.append(char(px[i + k] & 0xff));
            }
            if (stored.size() & 1)
                stored.append('\0');
            out.append(stored);
        }
        i = j;
    }
}

QByteArray encodeUncompressed(const AviWriteSpec &layout, const AviSourceFrame &frame)
{
    const qsizetype stride = (qsizetype(layout.width) * layout.bitCount + 31) / 32 * 4;
    QByteArray out(stride * layout.height, '\0');
    for (int r = 0; r < layout.height; ++r) {
        const quint32 *in = frame.data() + size_t(layout.height - 1 - r) * size_t(layout.width);
        char *row = out.data() + stride * r;
        for (int x = 0; x < layout.width; ++x) {
            const quint32 v = in[x];
            switch (layout.bitCount) {
            case 4:
                row[x / 2] = char(quint8(row[x / 2]) | ((v & 0x0f) << (x % 2 == 0 ? 4 : 0)));
                break;
            case 8:
                row[x] = char(v & 0xff);
                break;
            case 24:
            case 32: {
                char *p = row + (layout.bitCount / 8) * x;
                p[0] = char(v & 0xff);
                p[1] = char((v >> 8) & 0xff);
                p[2] = char((v >> 16) & 0xff);
                break;
            }
            default:
                break;
            }
        }
    }
    return out;
}

void putBitmapHeader(QByteArray &b, const AviWriteSpec &layout, quint32 imageSize)
{
    const bool paletted = layout.bitCount <= 8;
    const qsizetype maxEntries = qsizetype(1) << std::min(layout.bitCount, 8);
    const qsizetype entries = paletted ? std::min(qsizetype(layout.palette.size()), maxEntries) : 0;
    quint32 compression = 0;
    if (layout.format == AviFrameFormat::Rle8)
        compression = 1;
    else if (layout.format == AviFrameFormat::Rle4)
        compression = 2;
    put32(b, 40);
    put32(b, quint32(layout.width));
    put32(b, quint32(layout.height));
    put16(b, 1);
    put16(b, quint16(layout.bitCount));
    put32(b, layout.compression.value_or(compression));
    put32(b, imageSize);
    put32(b, 0);
    put32(b, 0);
    put32(b, quint32(entries));
    put32(b, 0);
    for (qsizetype i = 0; i < entries; ++i) {
        const quint32 rgb = layout.palette[size_t(i)];
        b.append(char(rgb & 0xff));
        b.append(char((rgb >> 8) & 0xff));
        b.append(char((rgb >> 16) & 0xff));
        b.append('\0');
    }
}

void putStreamHeader(QByteArray &b, const char (&type)[5], const char (&handler)[5], quint32 scale,
                     quint32 rate, quint32 length, quint32 bufferSize, quint32 sampleSize,
                     int width, int height)
{
    putId(b, type);
    putId(b, handler);
    put32(b, 0); // flags
    put16(b, 0); // priority
    put16(b, 0); // language
    put32(b, 0); // initial frames
    put32(b, scale);
    put32(b, rate);
    put32(b, 0); // start
    put32(b, length);
    put32(b, bufferSize);
    put32(b, 0xffffffffu); // quality: default
    put32(b, sampleSize);
    put16(b, 0);
    put16(b, 0);
    put16(b, quint16(width));
    put16(b, quint16(height));
}

} // namespace

QByteArray EncodeRleFrame(int width, int height, bool fourBit, const AviSourceFrame &frame,
                          const AviSourceFrame *previous)
{
    QByteArray out;
    int pendingRows = 0;
    for (int y = 0; y < height; ++y) {
        const size_t rowStart = size_t(height - 1 - y) * size_t(width);
        const quint32 *cur = frame.data() + rowStart;
        const quint32 *prev = previous ? previous->data() + rowStart : nullptr;
        if (prev && std::equal(cur, cur + width, prev)) {
            ++pendingRows;
            continue;
        }
        putMove(out, 0, pendingRows);
        pendingRows = 0;
        if (!prev) {
            encodeSpan(out, cur, width, fourBit);
        } else {
            int i = 0;
            while (i < width) {
                int j = i;
                while (j < width && cur[j] == prev[j])
                    ++j;
                if (j == width)
                    break; // the rest of the row stays as it is
                putMove(out, j - i, 0);
                i = j;
                int end = i;
                while (end < width) {
                    if (cur[end] != prev[end]) {
                        ++end;
                        continue;
                    }
                    int k = end;
                    while (k < width && cur[k] == prev[k])
                        ++k;
                    if (k - end >= kMinSkip || k == width)
                        break;
                    end = k;
                }
                encodeSpan(out, cur + i, end - i, fourBit);
                i = end;
            }
        }
        out.append('\0');
        out.append('\0'); // end of row
    }
    out.append('\0');
    out.append('\1'); // end of picture
    return out;
}

QByteArray WriteAviClip(const AviWriteSpec &layout, const std::vector<AviSourceFrame> &frames)
{
    const size_t pixels = size_t(std::max(layout.width, 0)) * size_t(std::max(layout.height, 0));
    for (const AviSourceFrame &frame : frames) {
        if (frame.size() != pixels)
            return {};
    }
    const bool rle = layout.format != AviFrameFormat::Uncompressed;
    std::vector<QByteArray> encoded;
    encoded.reserve(frames.size());
    quint32 largest = 0;
    for (size_t i = 0; i < frames.size(); ++i) {
        if (rle) {
            const AviSourceFrame *previous
                = (layout.deltaFrames && i > 0) ? &frames[i - 1] : nullptr;
            encoded.push_back(EncodeRleFrame(layout.width, layout.height,
                                             layout.format == AviFrameFormat::Rle4, frames[i],
                                             previous));
        } else {
            encoded.push_back(encodeUncompressed(layout, frames[i]));
        }
        largest = std::max(largest, quint32(encoded.back().size()));
    }
    const quint32 microseconds
        = layout.rate == 0 ? 0 : quint32(quint64(layout.scale) * 1000000u / layout.rate);

    QByteArray b;
    const qsizetype riff = beginChunk(b, "RIFF");
    putId(b, "AVI ");

    const qsizetype headerList = beginList(b, "hdrl");
    const qsizetype mainHeader = beginChunk(b, "avih");
    put32(b, microseconds);
    put32(b, 0); // max bytes per second
    put32(b, 0); // padding granularity
    put32(b, layout.writeIndex ? kHasIndex : 0);
    put32(b, quint32(frames.size()));
    put32(b, 0); // initial frames
    put32(b, layout.soundStream ? 2 : 1);
    put32(b, largest);
    put32(b, quint32(layout.width));
    put32(b, quint32(layout.height));
    for (int i = 0; i < 4; ++i)
        put32(b, 0);
    endChunk(b, mainHeader);

    const qsizetype videoList = beginList(b, "strl");
    const qsizetype videoHeader = beginChunk(b, "strh");
    putStreamHeader(b, "vids", rle ? "mrle" : "DIB ", layout.scale, layout.rate,
                    quint32(frames.size()), largest, 0, layout.width, layout.height);
    endChunk(b, videoHeader);
    const qsizetype videoFormat = beginChunk(b, "strf");
    putBitmapHeader(b, layout, largest);
    endChunk(b, videoFormat);
    endChunk(b, videoList);

    constexpr quint32 kSampleRate = 8000;
    if (layout.soundStream) {
        const qsizetype soundList = beginList(b, "strl");
        const qsizetype soundHeader = beginChunk(b, "strh");
        putStreamHeader(b, "auds", "\0\0\0\0", 1, kSampleRate, kSampleRate, kSampleRate, 1, 0, 0);
        endChunk(b, soundHeader);
        const qsizetype soundFormat = beginChunk(b, "strf");
        put16(b, 1); // PCM
        put16(b, 1); // mono
        put32(b, kSampleRate);
        put32(b, kSampleRate);
        put16(b, 1); // block align
        put16(b, 8); // bits per sample
        put16(b, 0);
        endChunk(b, soundFormat);
        endChunk(b, soundList);
    }
    endChunk(b, headerList);

    struct IndexEntry
    {
        QByteArray id;
        quint32 flags;
        quint32 offset;
        quint32 size;
    };
    std::vector<IndexEntry> index;
    const qsizetype movie = beginList(b, "movi");
    const qsizetype movieType = movie; // offsets count from the list type
    for (size_t i = 0; i < encoded.size(); ++i) {
        const qsizetype at = b.size();
        const qsizetype data = rle ? beginChunk(b, "00dc") : beginChunk(b, "00db");
        b.append(encoded[i]);
        endChunk(b, data);
        const bool key = !rle || i == 0 || !layout.deltaFrames;
        index.push_back({ b.mid(at, 4), key ? kKeyFrame : 0, quint32(at - movieType),
                          quint32(encoded[i].size()) });
    }
    if (layout.soundStream) {
        const qsizetype at = b.size();
        const qsizetype data = beginChunk(b, "01wb");
        b.append(QByteArray(kSampleRate / 10, char(0x80)));
        endChunk(b, data);
        index.push_back({ b.mid(at, 4), kKeyFrame, quint32(at - movieType), kSampleRate / 10 });
    }
    endChunk(b, movie);

    if (layout.writeIndex) {
        const qsizetype indexChunk = beginChunk(b, "idx1");
        for (const IndexEntry &entry : index) {
            b.append(entry.id);
            put32(b, entry.flags);
            put32(b, entry.offset);
            put32(b, entry.size);
        }
        endChunk(b, indexChunk);
    }
    endChunk(b, riff);
    return b;
}
