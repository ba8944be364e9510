#pragma once

#include <QColor>
#include <QStringView>

// The colour a colour box shows for its text (RRGGBB as in the page):
// characters 1-2, 3-4 and 5-6 are red, green and blue, each read as the
// leading hexadecimal digits of the pair (either case); no digit gives 0.
// So "FF8000" is orange, "FF" pure red, "zz0000" and "" black.
[[nodiscard]] QColor SwatchColour(QStringView text);
