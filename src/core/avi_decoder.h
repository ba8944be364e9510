#pragma once

#include "core/avi_clip.h"

#include <optional>
#include <vector>

// Turns the frames of a clip into pictures: top-down rows of 0xffRRGGBB
// pixels, width x height. Run-length frames only paint what changed, so each
// frame is drawn over the picture of the frame before it; the first frame
// starts from black. Asking for an earlier frame than the last one decoded
// starts again at the first.
class AviFrameDecoder
{
public:
    explicit AviFrameDecoder(const AviClip &clip);

    // Empty on success; the picture then shows the frame.
    [[nodiscard]] std::optional<AviError> decode(qsizetype index);

    [[nodiscard]] const std::vector<quint32> &pixels() const { return m_pixels; }
    [[nodiscard]] int width() const { return m_clip.width; }
    [[nodiscard]] int height() const { return m_clip.height; }

private:
    [[nodiscard]] bool decodeOne(QByteArrayView data);
    [[nodiscard]] bool decodeUncompressed(QByteArrayView data);
    [[nodiscard]] bool decodeRle(QByteArrayView data, bool fourBit);
    [[nodiscard]] quint32 *row(int bottomUpRow);

    const AviClip &m_clip;
    std::vector<quint32> m_pixels;
    qsizetype m_decoded = -1;
};
