// quorvel-make-clip: writes the search animation that comes with the
// program, a spinner of twelve spokes whose shading turns by one spoke per
// frame, so the last frame leads back into the first without a jump.
//
//   quorvel-make-clip <output.avi>

#include "core/avi_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int kSide = 48;
constexpr int kSpokes = 12; // also the number of frames
constexpr quint32 kFramesPerSecond = 12; // one turn a second
constexpr double kInnerRadius = 9.5;
constexpr double kOuterRadius = 21.5;
constexpr double kHalfWidth = 2.1; // of a spoke, in pixels
constexpr int kSamples = 4; // per pixel and axis
constexpr int kLevels = 15; // coverage steps between background and spoke
constexpr quint32 kBackground = 0xf0f0f0;
constexpr quint32 kHead = 0x1c3c8c; // the leading spoke; the others fade

quint32 blend(quint32 from, quint32 to, double amount)
{
    quint32 out = 0;
    for (int shift : { 16, 8, 0 }) {
        const double a = double((from >> shift) & 0xff);
        const double b = double((to >> shift) & 0xff);
        out |= quint32(std::lround(a + (b - a) * amount)) << shift;
    }
    return out;
}

// Entry 0 is the background; then, for each shade of spoke from the head
// backwards, kLevels steps of coverage.
std::vector<quint32> spinnerPalette()
{
    std::vector<quint32> palette { kBackground };
    for (int shade = 0; shade < kSpokes; ++shade) {
        const quint32 spoke = blend(kHead, kBackground, 0.85 * shade / (kSpokes - 1));
        for (int level = 1; level <= kLevels; ++level)
            palette.push_back(blend(kBackground, spoke, double(level) / kLevels));
    }
    return palette;
}

// Which spoke covers each pixel and by how much (0 to kLevels).
struct Coverage
{
    std::array<int, kSide * kSide> spoke {};
    std::array<int, kSide * kSide> level {};
};

Coverage spinnerCoverage()
{
    Coverage coverage;
    const double centre = kSide / 2.0;
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            std::array<int, kSpokes> hits {};
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double px = x + (sx + 0.5) / kSamples - centre;
                    const double py = y + (sy + 0.5) / kSamples - centre;
                    for (int k = 0; k < kSpokes; ++k) {
                        const double angle = 2 * std::numbers::pi * k / kSpokes;
                        const double along = px * std::sin(angle) - py * std::cos(angle);
                        const double across = px * std::cos(angle) + py * std::sin(angle);
                        if (along >= kInnerRadius && along <= kOuterRadius
                            && std::fabs(across) <= kHalfWidth)
                            ++hits[size_t(k)];
                    }
                }
            }
            const auto best = std::max_element(hits.begin(), hits.end());
            const size_t i = size_t(y * kSide + x);
            coverage.spoke[i] = int(best - hits.begin());
            coverage.level[i] = int(std::lround(double(*best) * kLevels / (kSamples * kSamples)));
        }
    }
    return coverage;
}

std::vector<AviSourceFrame> spinnerFrames()
{
    const Coverage coverage = spinnerCoverage();
    std::vector<AviSourceFrame> frames;
    for (int f = 0; f < kSpokes; ++f) {
        AviSourceFrame frame(size_t(kSide * kSide), 0);
        for (size_t i = 0; i < frame.size(); ++i) {
            if (coverage.level[i] == 0)
                continue;
            // The head moves one spoke clockwise each frame.
            const int shade = ((f - coverage.spoke[i]) % kSpokes + kSpokes) % kSpokes;
            frame[i] = quint32(1 + shade * kLevels + coverage.level[i] - 1);
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fprintf(stderr, "usage: quorvel-make-clip <output.avi>\n");
        return 2;
    }
    AviWriteSpec layout;
    layout.width = kSide;
    layout.height = kSide;
    layout.format = AviFrameFormat::Rle8;
    layout.bitCount = 8;
    layout.palette = spinnerPalette();
    layout.rate = kFramesPerSecond;
    layout.scale = 1;
    const QByteArray clip = WriteAviClip(layout, spinnerFrames());

    const QString path = arguments.at(1);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (clip.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(clip) != clip.size()
        || !file.commit()) {
        std::fprintf(stderr, "quorvel-make-clip: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}
