// Feeds arbitrary bytes to the clip parser and decodes every frame of what
// it accepts, in order, again from the start, and out of order, as the
// player does when it loops or is given a clip anew.
#include "core/avi_clip.h"
#include "core/avi_decoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const AviParseResult parsed = ParseAviClip(bytes);
    if (!parsed.clip) {
        (void)parsed.error.description();
        return 0;
    }
    const AviClip &clip = *parsed.clip;
    const auto frames = qsizetype(clip.frames.size());
    AviFrameDecoder decoder(clip);
    for (qsizetype i = 0; i < frames; ++i)
        (void)decoder.decode(i);
    (void)decoder.decode(0);
    (void)decoder.decode(frames - 1);
    (void)decoder.decode(frames / 2);
    (void)OpenAviClip(bytes);
    return 0;
}
