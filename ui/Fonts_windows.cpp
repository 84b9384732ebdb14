// SPDX-License-Identifier: GPL-3.0-or-later
// The window font on Windows.

#include "WindowServices.h"

#include <QApplication>
#include <QFont>

namespace rz408 {

void InstallFontSubstitutes() {
    // "MS Sans Serif" is a bitmap font on Windows, drawn in a few fixed sizes only: a label of
    // 9.75 points would get the 8-point bitmap, and a scaled screen blurred or tiny text. Every
    // window takes outline fonts only (the application font's strategy, which each widget's
    // font inherits), so that "MS Sans Serif" falls through to its outline twin, "Microsoft
    // Sans Serif", drawn to the metrics the layout was made for; where even that is missing
    // (Wine), to a font of Arial's metrics.
    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::ForceOutline));
    QApplication::setFont(font);
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
}

} // namespace rz408
