#pragma once

// Positions and sizes of the windows are kept in twips, 1440 to the inch, as the classic
// forms give them: 15 twips are one device-independent pixel, and Qt scales those pixels on
// high-DPI screens.

#include <QRect>
#include <QSize>

namespace rz408 {

inline constexpr int TwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / TwipsPerPixel;
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

constexpr QSize TwipsSize(int width, int height) {
    return QSize(TwipsToPixels(width), TwipsToPixels(height));
}

} // namespace rz408
