#pragma once

#include <QString>

// What DrawProgress paints into the box, as numbers: the painter
// in src/ui clears the box, fills the rectangle (1, 1)-(barEnd, height) in
// the colour and, when `text` is not empty, prints it at (30, -30).
struct ProgressGeometry
{
    int left = 1;
    int top = 1;
    int barEnd
        = 0; // x of the bar's end: floor(value / (scale / width)); 0 when that is not a number
    int bottom = 0; // the box's height
    int textX = 30;
    int textY = -30;
    QString text; // value + "%" + caption when value > 0, else empty
};

// width and height in the box's drawing units; value and scale are 16-bit
// signed, so a value past 32767 wraps as the progress box always had it
// (every caller passes scale 100).
[[nodiscard]] ProgressGeometry DrawProgressGeometry(int width, int height, qint16 value,
                                                    const QString &caption = {},
                                                    qint16 scale = 100);
