#include "core/avi_decoder.h"

#include <algorithm>

namespace {
constexpr quint32 kBlack = 0xff000000u;
} // namespace

AviFrameDecoder::AviFrameDecoder(const AviClip &clip)
    : m_clip(clip)
    , m_pixels(size_t(clip.width) * size_t(clip.height), kBlack)
{ }

std::optional<AviError> AviFrameDecoder::decode(qsizetype index)
{
    if (index < 0 || index >= qsizetype(m_clip.frames.size()))
        return AviError { AviErrorCode::NoFrames };
    if (index <= m_decoded || m_decoded < 0) {
        std::fill(m_pixels.begin(), m_pixels.end(), kBlack);
        m_decoded = -1;
    }
    while (m_decoded < index) {
        if (!decodeOne(m_clip.frameData(m_decoded + 1))) {
            m_decoded = -1; // the picture is half drawn: start afresh next time
            return AviError { AviErrorCode::DamagedFrame };
        }
        ++m_decoded;
    }
    return std::nullopt;
}

quint32 *AviFrameDecoder::row(int bottomUpRow)
{
    const int top = m_clip.height - 1 - bottomUpRow;
    return m_pixels.data() + size_t(top) * size_t(m_clip.width);
}

bool AviFrameDecoder::decodeOne(QByteArrayView data)
{
    if (data.isEmpty())
        return true; // a dropped frame shows the one before
    switch (m_clip.format) {
    case AviFrameFormat::Uncompressed:
        return decodeUncompressed(data);
    case AviFrameFormat::Rle8:
        return decodeRle(data, false);
    case AviFrameFormat::Rle4:
        return decodeRle(data, true);
    }
    return false;
}

bool AviFrameDecoder::decodeUncompressed(QByteArrayView data)
{
    const int width = m_clip.width;
    const int height = m_clip.height;
    const qsizetype stride = (qsizetype(width) * m_clip.bitCount + 31) / 32 * 4;
    if (data.size() < stride * height)
        return false;
    const auto *bytes = reinterpret_cast<const quint8 *>(data.data());
    for (int r = 0; r < height; ++r) {
        const quint8 *in = bytes + stride * r;
        quint32 *out = row(m_clip.bottomUp ? r : height - 1 - r);
        switch (m_clip.bitCount) {
        case 4:
            for (int x = 0; x < width; ++x) {
                const quint8 pair = in[x / 2];
                out[x] = m_clip.palette[(x % 2 == 0) ? pair >> 4 : pair & 0x0f];
            }
            break;
        case 8:
            for (int x = 0; x < width; ++x)
                out[x] = m_clip.palette[in[x]];
            break;
        case 24:
            for (int x = 0; x < width; ++x) {
                const quint8 *p = in + 3 * x;
                out[x] = kBlack | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
            }
            break;
        case 32:
            for (int x = 0; x < width; ++x) {
                const quint8 *p = in + 4 * x;
                out[x] = kBlack | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
            }
            break;
        default:
            return false;
        }
    }
    return true;
}

// Run-length frames: pairs of bytes. A count above zero repeats the second
// byte (for 4 bits: its two halves in turn); a zero count is followed by an
// escape: 0 ends the row, 1 ends the picture, 2 moves right and up by the
// next two bytes, 3 and more copy that many pixels stored as they are,
// padded to an even number of bytes. Rows run from the bottom up. Pixels
// that fall outside the picture are dropped; data that ends inside an
// instruction makes the frame damaged.
bool AviFrameDecoder::decodeRle(QByteArrayView data, bool fourBit)
{
    const int width = m_clip.width;
    const int height = m_clip.height;
    const auto *bytes = reinterpret_cast<const quint8 *>(data.data());
    const qsizetype size = data.size();
    const std::vector<quint32> &palette = m_clip.palette;
    int x = 0;
    int y = 0;
    qsizetype p = 0;
    auto put = [&](int count, auto pixelAt) {
        if (y < height && x < width) {
            quint32 *out = row(y);
            const int n = std::min(count, width - x);
            for (int i = 0; i < n; ++i)
                out[x + i] = palette[pixelAt(i)];
        }
        x = std::min(x + count, width); // further pixels only fall outside
    };

    while (y < height) {
        if (size - p < 2)
            return true; // no end code: the picture ends with the data
        const int count = bytes[p];
        const int code = bytes[p + 1];
        p += 2;
        if (count > 0) {
            if (fourBit)
                put(count, [code](int i) { return i % 2 == 0 ? code >> 4 : code & 0x0f; });
            else
                put(count, [code](int) { return code; });
            continue;
        }
        switch (code) {
        case 0:
            x = 0;
            ++y;
            break;
        case 1:
            return true;
        case 2:
            if (size - p < 2)
                return false;
            x = std::min(x + bytes[p], width);
            y += bytes[p + 1];
            p += 2;
            break;
        default: {
            const qsizetype stored = fourBit ? (code + 1) / 2 : code;
            const qsizetype padded = stored + (stored & 1);
            if (size - p < stored)
                return false;
            const quint8 *in = bytes + p;
            if (fourBit)
                put(code, [in](int i) { return i % 2 == 0 ? in[i / 2] >> 4 : in[i / 2] & 0x0f; });
            else
                put(code, [in](int i) { return in[i]; });
            p = std::min(size, p + padded);
            break;
        }
        }
    }
    return true;
}
