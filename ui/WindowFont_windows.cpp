// SPDX-License-Identifier: GPL-3.0-or-later
// The window font on Windows.

#include "WindowFont.h"

#include <QApplication>
#include <QString>
#include <QStringList>

namespace rz408 {

QByteArray PlatformChoice() {
    // Qt draws text on Windows through GDI (its DirectWrite engine needs Direct2D, which this
    // build leaves out), and GDI smooths a face only at the sizes the face's own table (gasp)
    // allows. Liberation Sans (Narrow), on which the labels land where Microsoft Sans Serif is
    // missing, is left unsmoothed up to 17 pixels while its bold face is smoothed from 11: at
    // 96 dpi (labels of 13 pixels) the bold labels came out grey and lighter than the regular
    // ones, at 144 dpi (20 pixels) both smoothed and bold. Qt's FreeType engine smooths every
    // face at every size, as on Linux, and measures text as it does on Linux.
    return QByteArrayLiteral("windows:fontengine=freetype");
}

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
    QFont::insertSubstitutions(QString::fromLatin1(kWindowFont),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
}

} // namespace rz408
