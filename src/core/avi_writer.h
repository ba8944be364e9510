#pragma once

#include "core/avi_clip.h"

#include <QByteArray>

#include <optional>
#include <vector>

// What WriteAviClip writes. Used by the tool that makes the default clip and
// by the tests, which build their clips with it.
struct AviWriteSpec
{
    int width = 0;
    int height = 0;
    AviFrameFormat format = AviFrameFormat::Rle8;
    int bitCount = 8; // Rle8: 8; Rle4: 4; Uncompressed: 4, 8, 24 or 32
    std::vector<quint32> palette; // 0xRRGGBB, for 4 and 8 bits
    quint32 rate = 10; // frames per second = rate / scale
    quint32 scale = 1;
    bool writeIndex = true; // an idx1 chunk after the movie list
    // Run-length frames after the first move over the pixels that did not
    // change instead of painting them again.
    bool deltaFrames = true;
    bool soundStream = false; // adds a silent sound stream
    std::optional<quint32> compression; // written instead of the format's own code
};

// One picture: width x height values in top-down rows; palette indexes for
// 4 and 8 bits, 0xRRGGBB for 24 and 32 bits.
using AviSourceFrame = std::vector<quint32>;

// A complete AVI file: RIFF header, header list with the main header and
// one video stream (bitmap header and palette), the movie list with one
// chunk per frame, and the index. Empty when a frame does not hold
// width x height values.
[[nodiscard]] QByteArray WriteAviClip(const AviWriteSpec &layout,
                                      const std::vector<AviSourceFrame> &frames);

// The run-length data of one frame; previous (may be null) is the frame
// shown before it, whose unchanged pixels are skipped.
[[nodiscard]] QByteArray EncodeRleFrame(int width, int height, bool fourBit,
                                        const AviSourceFrame &frame,
                                        const AviSourceFrame *previous);
