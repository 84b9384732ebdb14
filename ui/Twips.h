// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Positions and sizes of the windows are kept in twips, 1440 to the inch, as the window layouts
// are written: 15 twips are one device-independent pixel, and Qt scales those pixels on
// high-DPI screens.

#include <QRect>
#include <QSize>

namespace rz408 {

inline constexpr int kTwipsPerPixel = 15;

constexpr int TwipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

constexpr QSize TwipsSize(int width, int height) {
    return QSize(TwipsToPixels(width), TwipsToPixels(height));
}

} // namespace rz408
