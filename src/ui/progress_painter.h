#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

// DrawProgress: paints the progress bar into `box` (picProgress) for a value
// out of `scale`. The colour is a platform colour number, red + 256 x green
// + 65536 x blue. The box keeps showing the last bar until the next call.
void DrawProgress(QWidget *box, qint16 value, quint32 colour, const QString &caption = {},
                  qint16 scale = 100);

namespace ProgressColours {
// The generator's bar: red 207, green 207, blue 255.
inline constexpr quint32 kGeneration = 0xFFCFCF;
// The clipboard export's bar: red 192, green 160, blue 192.
inline constexpr quint32 kClipboard = 192 + 256 * 160 + 65536 * 192;
// The reset, with value 0.
inline constexpr quint32 kReset = 0xFFFFFF;
} // namespace ProgressColours
