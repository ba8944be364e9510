#pragma once

// Window positions, control sizes and column widths are laid out in twips:
// 1/1440 inch, so 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

// The pixels nearest to a length in twips, halves rounded away from zero
// (7 twips are 0 pixels, 8 are 1, -8 are -1), for any int without overflow.
[[nodiscard]] constexpr int TwipsToPixels(int twips)
{
    const int whole = twips / kTwipsPerPixel;
    const int rest = twips % kTwipsPerPixel;
    if (rest * 2 >= kTwipsPerPixel)
        return whole + 1;
    if (rest * 2 <= -kTwipsPerPixel)
        return whole - 1;
    return whole;
}
