// SPDX-License-Identifier: GPL-3.0-or-later
#include "Contrast.h"

#include <algorithm>
#include <cmath>

namespace rz408 {

namespace {

double Luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

} // namespace

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableGrey(const QColor& back) {
    for (int level = 160; level > 0; --level) {
        const QColor grey(level, level, level);
        if (Contrast(grey, back) >= kReadableContrast + 0.3) {
            return grey;
        }
    }
    return QColor(Qt::black);
}

} // namespace rz408
