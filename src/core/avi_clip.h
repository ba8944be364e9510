#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// How the pixels of every frame of a clip are stored.
enum class AviFrameFormat {
    Uncompressed, // 4, 8 (palette), 24 or 32 bits per pixel
    Rle8, // run-length encoded, 8 bits per pixel
    Rle4, // run-length encoded, 4 bits per pixel
};

// Why a clip cannot be played. The number is what the player reports to a
// person together with the description, so the values never change.
enum class AviErrorCode : int {
    FileUnreadable = 1,
    FileTooLarge = 2,
    NotAvi = 3,
    Truncated = 4,
    BadChunkSize = 5,
    MissingHeader = 6,
    BadHeader = 7,
    SoundStream = 8,
    NoVideoStream = 9,
    UnsupportedCodec = 10,
    UnsupportedFrameSize = 11,
    ZeroFrameRate = 12,
    NoFrames = 13,
    DamagedFrame = 14,
    TooManyFrames = 15,
};

struct AviError
{
    AviErrorCode code = AviErrorCode::NotAvi;

    [[nodiscard]] int number() const { return static_cast<int>(code); }
    [[nodiscard]] QString description() const;
};

// What a clip may demand. Everything above is refused before anything of
// that size is allocated.
namespace AviLimits {
inline constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxSide = 4096;
inline constexpr qint64 kMaxPixels = 2048 * 2048;
inline constexpr qsizetype kMaxFrames = 100000;
} // namespace AviLimits

// A parsed clip: the header values the player needs and where each frame's
// data lies in the file's bytes. Frames are decoded by AviFrameDecoder.
struct AviClip
{
    struct FrameSpan
    {
        qsizetype offset = 0;
        qsizetype size = 0; // 0: the frame repeats the one before
    };

    int width = 0;
    int height = 0;
    bool bottomUp = true; // rows stored from the bottom row upward
    int bitCount = 0;
    AviFrameFormat format = AviFrameFormat::Uncompressed;
    std::vector<quint32> palette; // 2^bitCount entries (0xffRRGGBB) for 4 and 8 bits
    qint64 microsecondsPerFrame = 0; // > 0
    std::vector<FrameSpan> frames; // at least one
    QByteArray bytes; // the whole file; frames point into it

    [[nodiscard]] QByteArrayView frameData(qsizetype index) const
    {
        const FrameSpan &span = frames[size_t(index)];
        return QByteArrayView(bytes).sliced(span.offset, span.size);
    }
};

struct AviParseResult
{
    std::optional<AviClip> clip; // empty when refused
    AviError error; // why, when clip is empty
};

// Reads the RIFF structure of an AVI file: the main header, the stream
// headers (one video stream with a bitmap header and its palette; a sound
// stream is refused), the frame chunks of the movie list, found through the
// index when it is sound and by walking the list otherwise. Every size is
// checked against its container; frames are not decoded here.
[[nodiscard]] AviParseResult ParseAviClip(QByteArray bytes);

// ParseAviClip followed by one decoding pass over every frame, so a clip
// that opens also plays to its end.
[[nodiscard]] AviParseResult OpenAviClip(QByteArray bytes);

// Reads the file (refusing one above the size limit, and anything but a
// regular file, without blocking on it) and opens it.
[[nodiscard]] AviParseResult LoadAviClip(const QString &path);
