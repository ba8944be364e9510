#include "core/avi_clip.h"

#include "core/avi_decoder.h"
#include "core/regular_file.h"

#include <QFile>

#include <algorithm>
#include <array>

QString AviError::description() const
{
    switch (code) {
    case AviErrorCode::FileUnreadable:
        return QStringLiteral("the clip file cannot be read");
    case AviErrorCode::FileTooLarge:
        return QStringLiteral("the clip file is too large");
    case AviErrorCode::NotAvi:
        return QStringLiteral("the file is not an AVI clip");
    case AviErrorCode::Truncated:
        return QStringLiteral("the clip file is cut short");
    case AviErrorCode::BadChunkSize:
        return QStringLiteral("a chunk of the clip is larger than its container");
    case AviErrorCode::MissingHeader:
        return QStringLiteral("a header of the clip is missing");
    case AviErrorCode::BadHeader:
        return QStringLiteral("a header of the clip holds impossible values");
    case AviErrorCode::SoundStream:
        return QStringLiteral("clips with a sound stream cannot be played");
    case AviErrorCode::NoVideoStream:
        return QStringLiteral("the clip has no video stream");
    case AviErrorCode::UnsupportedCodec:
        return QStringLiteral("only uncompressed and run-length encoded (RLE) clips can be played");
    case AviErrorCode::UnsupportedFrameSize:
        return QStringLiteral("the frame size of the clip is zero or too large");
    case AviErrorCode::ZeroFrameRate:
        return QStringLiteral("the clip has no frame rate");
    case AviErrorCode::NoFrames:
        return QStringLiteral("the clip has no frames");
    case AviErrorCode::DamagedFrame:
        return QStringLiteral("a frame of the clip is damaged");
    case AviErrorCode::TooManyFrames:
        return QStringLiteral("the clip has too many frames");
    }
    return QStringLiteral("unknown clip error");
}

namespace {

using FourCC = std::array<char, 4>;

constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiRle8 = 1;
constexpr quint32 kBiRle4 = 2;
constexpr qsizetype kMainHeaderSize = 56;
constexpr qsizetype kStreamHeaderMinSize = 48; // without the frame rectangle
constexpr qsizetype kBitmapHeaderSize = 40;
constexpr qsizetype kIndexEntrySize = 16;

// Bounds-checked little-endian reads; the caller has checked the range.
quint32 le32(QByteArrayView b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8
        | quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}

quint16 le16(QByteArrayView b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

bool isId(QByteArrayView b, qsizetype at, const char (&id)[5])
{
    return b.size() >= at + 4 && b.sliced(at, 4) == QByteArrayView(id, 4);
}

// One chunk inside [begin, end): its id, where its data starts and its size.
struct Chunk
{
    qsizetype at = 0;
    qsizetype data = 0;
    qsizetype size = 0;

    [[nodiscard]] qsizetype next() const { return data + size + (size & 1); }
};

// Reads the chunk header at pos. A chunk whose data would leave its
// container is refused: the container's size is the one to trust.
std::optional<Chunk> chunkAt(QByteArrayView b, qsizetype pos, qsizetype end,
                             std::optional<AviError> &error)
{
    if (end - pos < 8) {
        error = AviError { AviErrorCode::BadChunkSize };
        return std::nullopt;
    }
    const qint64 size = le32(b, pos + 4);
    if (size > qint64(end - pos - 8)) {
        error = AviError { AviErrorCode::BadChunkSize };
        return std::nullopt;
    }
    return Chunk { pos, pos + 8, qsizetype(size) };
}

struct VideoStream
{
    int number = -1;
    quint32 scale = 0;
    quint32 rate = 0;
    qsizetype formatAt = 0;
    qsizetype formatSize = 0;
};

class Parser
{
public:
    explicit Parser(QByteArray bytes)
        : m_bytes(std::move(bytes))
        , m_b(m_bytes)
    { }

    AviParseResult run()
    {
        if (auto error = parse())
            return { std::nullopt, *error };
        return { std::move(m_clip), {} };
    }

private:
    std::optional<AviError> parse();
    std::optional<AviError> parseHeaderList(qsizetype begin, qsizetype end);
    std::optional<AviError> parseStreamList(int number, qsizetype begin, qsizetype end);
    std::optional<AviError> parseBitmapHeader();
    std::optional<AviError> framesFromIndex(const Chunk &indexChunk, qsizetype begin, qsizetype end,
                                            bool &used);
    std::optional<AviError> framesFromMovieList(qsizetype begin, qsizetype end);
    [[nodiscard]] bool isFrameId(qsizetype at) const;
    std::optional<AviError> addFrame(qsizetype data, qsizetype size);

    QByteArray m_bytes;
    QByteArrayView m_b;
    AviClip m_clip;
    bool m_haveMainHeader = false;
    quint32 m_mainMicroseconds = 0;
    int m_streamCount = 0;
    VideoStream m_video;
};

std::optional<AviError> Parser::parse()
{
    if (!isId(m_b, 0, "RIFF"))
        return AviError { AviErrorCode::NotAvi };
    if (m_b.size() < 12)
        return AviError { AviErrorCode::Truncated };
    if (!isId(m_b, 8, "AVI "))
        return AviError { AviErrorCode::NotAvi };
    const qint64 riffSize = le32(m_b, 4);
    if (riffSize < 4)
        return AviError { AviErrorCode::BadChunkSize };
    if (riffSize > qint64(m_b.size()) - 8)
        return AviError { AviErrorCode::Truncated };
    const qsizetype end = qsizetype(8 + riffSize);

    std::optional<Chunk> movie;
    std::optional<Chunk> index;
    std::optional<AviError> error;
    for (qsizetype pos = 12; end - pos >= 8;) {
        const auto chunk = chunkAt(m_b, pos, end, error);
        if (!chunk)
            return error;
        if (isId(m_b, pos, "LIST")) {
            if (chunk->size < 4)
                return AviError { AviErrorCode::BadChunkSize };
            if (isId(m_b, chunk->data, "hdrl") && !m_haveMainHeader) {
                if (auto e = parseHeaderList(chunk->data + 4, chunk->data + chunk->size))
                    return e;
            } else if (isId(m_b, chunk->data, "movi") && !movie) {
                movie = chunk;
            }
        } else if (isId(m_b, pos, "idx1") && !index) {
            index = chunk;
        }
        pos = chunk->next();
    }

    if (!m_haveMainHeader)
        return AviError { AviErrorCode::MissingHeader };
    if (m_video.number < 0)
        return AviError { AviErrorCode::NoVideoStream };
    if (auto e = parseBitmapHeader())
        return e;

    // The stream's own rate is exact; the main header's frame time serves
    // when the stream gives none. A rate too high to count in microseconds
    // still gives a frame time.
    if (m_video.rate > 0 && m_video.scale > 0)
        m_clip.microsecondsPerFrame
            = std::max<qint64>(1, qint64(m_video.scale) * 1000000 / m_video.rate);
    else
        m_clip.microsecondsPerFrame = m_mainMicroseconds;
    if (m_clip.microsecondsPerFrame <= 0)
        return AviError { AviErrorCode::ZeroFrameRate };

    if (!movie)
        return AviError { AviErrorCode::NoFrames };
    bool indexUsed = false;
    if (index) {
        if (auto e = framesFromIndex(*index, movie->data, movie->data + movie->size, indexUsed))
            return e;
    }
    if (!indexUsed) {
        m_clip.frames.clear();
        if (auto e = framesFromMovieList(movie->data + 4, movie->data + movie->size))
            return e;
    }
    if (m_clip.frames.empty())
        return AviError { AviErrorCode::NoFrames };
    m_clip.bytes = m_bytes;
    return std::nullopt;
}

std::optional<AviError> Parser::parseHeaderList(qsizetype begin, qsizetype end)
{
    std::optional<AviError> error;
    const auto main = chunkAt(m_b, begin, end, error);
    if (!main || !isId(m_b, begin, "avih"))
        return AviError { AviErrorCode::MissingHeader };
    if (main->size < kMainHeaderSize)
        return AviError { AviErrorCode::BadHeader };
    m_mainMicroseconds = le32(m_b, main->data);
    m_haveMainHeader = true;

    for (qsizetype pos = main->next(); end - pos >= 8;) {
        const auto chunk = chunkAt(m_b, pos, end, error);
        if (!chunk)
            return error;
        if (isId(m_b, pos, "LIST") && chunk->size >= 4 && isId(m_b, chunk->data, "strl")) {
            if (auto e = parseStreamList(m_streamCount, chunk->data + 4, chunk->data + chunk->size))
                return e;
            ++m_streamCount;
        }
        pos = chunk->next();
    }
    return std::nullopt;
}

std::optional<AviError> Parser::parseStreamList(int number, qsizetype begin, qsizetype end)
{
    std::optional<AviError> error;
    std::optional<Chunk> header;
    std::optional<Chunk> format;
    for (qsizetype pos = begin; end - pos >= 8;) {
        const auto chunk = chunkAt(m_b, pos, end, error);
        if (!chunk)
            return error;
        if (isId(m_b, pos, "strh") && !header)
            header = chunk;
        else if (isId(m_b, pos, "strf") && !format)
            format = chunk;
        pos = chunk->next();
    }
    if (!header)
        return AviError { AviErrorCode::MissingHeader };
    if (header->size < kStreamHeaderMinSize)
        return AviError { AviErrorCode::BadHeader };
    const qsizetype h = header->data;
    if (isId(m_b, h, "auds"))
        return AviError { AviErrorCode::SoundStream };
    if (!isId(m_b, h, "vids") || m_video.number >= 0)
        return std::nullopt; // text, MIDI or a second video stream: not shown
    if (!format)
        return AviError { AviErrorCode::MissingHeader };
    if (number > 99)
        return AviError { AviErrorCode::BadHeader }; // its chunk ids cannot name it
    m_video.number = number;
    m_video.scale = le32(m_b, h + 20);
    m_video.rate = le32(m_b, h + 24);
    m_video.formatAt = format->data;
    m_video.formatSize = format->size;
    return std::nullopt;
}

std::optional<AviError> Parser::parseBitmapHeader()
{
    const qsizetype f = m_video.formatAt;
    if (m_video.formatSize < kBitmapHeaderSize)
        return AviError { AviErrorCode::BadHeader };
    const qint64 headerSize = le32(m_b, f);
    if (headerSize < kBitmapHeaderSize || headerSize > m_video.formatSize)
        return AviError { AviErrorCode::BadHeader };
    const qint64 width = qint32(le32(m_b, f + 4));
    const qint64 signedHeight = qint32(le32(m_b, f + 8));
    const int planes = le16(m_b, f + 12);
    const int bitCount = le16(m_b, f + 14);
    const quint32 compression = le32(m_b, f + 16);
    const quint32 colorsUsed = le32(m_b, f + 32);

    if (planes != 1)
        return AviError { AviErrorCode::BadHeader };
    if (compression == kBiRgb
        && (bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32)) {
        m_clip.format = AviFrameFormat::Uncompressed;
    } else if (compression == kBiRle8 && bitCount == 8) {
        m_clip.format = AviFrameFormat::Rle8;
    } else if (compression == kBiRle4 && bitCount == 4) {
        m_clip.format = AviFrameFormat::Rle4;
    } else {
        return AviError { AviErrorCode::UnsupportedCodec };
    }

    const qint64 height = signedHeight < 0 ? -signedHeight : signedHeight;
    if (width <= 0 || height <= 0 || width > AviLimits::kMaxSide || height > AviLimits::kMaxSide
        || width * height > AviLimits::kMaxPixels)
        return AviError { AviErrorCode::UnsupportedFrameSize };
    // Run-length frames are always stored bottom-up.
    if (signedHeight < 0 && m_clip.format != AviFrameFormat::Uncompressed)
        return AviError { AviErrorCode::BadHeader };

    m_clip.width = int(width);
    m_clip.height = int(height);
    m_clip.bottomUp = signedHeight > 0;
    m_clip.bitCount = bitCount;
    if (bitCount <= 8) {
        // Entries the header does not supply stay black, so every index of
        // a frame names a colour.
        const qsizetype entries = qsizetype(1) << bitCount;
        m_clip.palette.assign(size_t(entries), 0xff000000u);
        qsizetype wanted
            = colorsUsed == 0 ? entries : qsizetype(qMin<quint32>(colorsUsed, quint32(entries)));
        wanted = qMin(wanted, qsizetype((m_video.formatSize - headerSize) / 4));
        const qsizetype at = f + qsizetype(headerSize);
        for (qsizetype i = 0; i < wanted; ++i) {
            const qsizetype e = at + 4 * i;
            m_clip.palette[size_t(i)] = 0xff000000u | quint32(quint8(m_b[e + 2])) << 16
                | quint32(quint8(m_b[e + 1])) << 8 | quint32(quint8(m_b[e]));
        }
    }
    return std::nullopt;
}

bool Parser::isFrameId(qsizetype at) const
{
    const char tens = char('0' + m_video.number / 10);
    const char ones = char('0' + m_video.number % 10);
    if (m_b[at] != tens || m_b[at + 1] != ones)
        return false;
    return (m_b[at + 2] == 'd' && (m_b[at + 3] == 'b' || m_b[at + 3] == 'c'));
}

std::optional<AviError> Parser::addFrame(qsizetype data, qsizetype size)
{
    if (qsizetype(m_clip.frames.size()) >= AviLimits::kMaxFrames)
        return AviError { AviErrorCode::TooManyFrames };
    if (m_clip.format == AviFrameFormat::Uncompressed && size > 0) {
        const qint64 stride = (qint64(m_clip.width) * m_clip.bitCount + 31) / 32 * 4;
        if (size < stride * m_clip.height)
            return AviError { AviErrorCode::DamagedFrame };
    }
    m_clip.frames.push_back({ data, size });
    return std::nullopt;
}

std::optional<AviError> Parser::framesFromMovieList(qsizetype begin, qsizetype end)
{
    std::optional<AviError> error;
    for (qsizetype pos = begin; end - pos >= 8;) {
        const auto chunk = chunkAt(m_b, pos, end, error);
        if (!chunk)
            return error;
        if (isId(m_b, pos, "LIST")) {
            // Record lists ("rec ") group the chunks of one moment; their
            // chunks are read in place.
            if (chunk->size < 4)
                return AviError { AviErrorCode::BadChunkSize };
            pos = chunk->data + 4;
            continue;
        }
        if (isFrameId(pos)) {
            if (auto e = addFrame(chunk->data, chunk->size))
                return e;
        }
        pos = chunk->next();
    }
    return std::nullopt;
}

// The index names each chunk by its offset, counted from the movie list's
// type field in most files and from the file's start in some. An index
// that fits neither is ignored and the movie list is walked instead.
std::optional<AviError> Parser::framesFromIndex(const Chunk &indexChunk, qsizetype begin,
                                                qsizetype end, bool &used)
{
    used = false;
    const qsizetype entries = indexChunk.size / kIndexEntrySize;
    std::optional<qsizetype> base;
    for (qsizetype i = 0; i < entries; ++i) {
        const qsizetype e = indexChunk.data + i * kIndexEntrySize;
        if (!isFrameId(e))
            continue;
        const qint64 offset = le32(m_b, e + 8);
        const qint64 size = le32(m_b, e + 12);
        if (!base) {
            for (const qsizetype candidate : { begin, qsizetype(0) }) {
                const qint64 at = candidate + offset;
                if (at >= begin && at + 8 <= end
                    && m_b.sliced(qsizetype(at), 4) == m_b.sliced(e, 4)) {
                    base = candidate;
                    break;
                }
            }
            if (!base)
                return std::nullopt;
        }
        const qint64 at = *base + offset;
        if (at < begin || at + 8 > end || m_b.sliced(qsizetype(at), 4) != m_b.sliced(e, 4)
            || le32(m_b, qsizetype(at) + 4) != size || size > end - at - 8) {
            m_clip.frames.clear();
            return std::nullopt;
        }
        if (auto e2 = addFrame(qsizetype(at) + 8, qsizetype(size)))
            return e2;
    }
    used = !m_clip.frames.empty();
    return std::nullopt;
}

} // namespace

AviParseResult ParseAviClip(QByteArray bytes)
{
    if (bytes.size() > AviLimits::kMaxFileBytes)
        return { std::nullopt, AviError { AviErrorCode::FileTooLarge } };
    return Parser(std::move(bytes)).run();
}

AviParseResult OpenAviClip(QByteArray bytes)
{
    AviParseResult result = ParseAviClip(std::move(bytes));
    if (!result.clip)
        return result;
    AviFrameDecoder decoder(*result.clip);
    for (qsizetype i = 0; i < qsizetype(result.clip->frames.size()); ++i) {
        if (auto error = decoder.decode(i))
            return { std::nullopt, *error };
    }
    return result;
}

AviParseResult LoadAviClip(const QString &path)
{
    // A pipe or a device in the clip's place is refused like a file that
    // cannot be read, at once.
    RegularFile::ReadResult file
        = RegularFile::read(QFile::encodeName(path), AviLimits::kMaxFileBytes);
    if (!file.bytes) {
        return { std::nullopt,
                 AviError { file.tooLarge ? AviErrorCode::FileTooLarge
                                          : AviErrorCode::FileUnreadable } };
    }
    return OpenAviClip(std::move(*file.bytes));
}
