// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How well a text reads on its background: the contrast of two colours, and the grey that a
// disabled caption is drawn in.

#include <QColor>

namespace rz408 {

// The least contrast of a text with its background that reads well: 4.5 to 1.
inline constexpr double kReadableContrast = 4.5;

// The contrast of two colours, 1 to 21: (L1 + 0.05) / (L2 + 0.05) of their relative
// luminances, the lighter one's above.
double Contrast(const QColor& a, const QColor& b);

// The lightest grey that reads on BACK, with a little to spare: a disabled caption that still
// looks disabled.
QColor ReadableGrey(const QColor& back);

} // namespace rz408
