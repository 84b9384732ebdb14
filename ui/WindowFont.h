// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fonts of the windows' texts. Both windows write in "MS Sans Serif" (kWindowFont): the
// form font for the lists, the buttons and the start window, a larger one for the converter
// window's help labels. Where that family is missing, or is a bitmap font that draws a few
// sizes only, InstallFontSubstitutes makes it land on a font of its metrics; each system does
// so its own way (WindowFont_<system>.cpp).

#include <QByteArray>
#include <QFont>

namespace rz408 {

// The family every window text is written in.
inline constexpr const char* kWindowFont = "MS Sans Serif";

// The font of every window text that has none of its own: kWindowFont 8 point, or the
// substitute of the same metrics that InstallFontSubstitutes() names.
QFont FormFont();

// The font of the converter window's help labels: kWindowFont 9.75 point, where that is
// missing Liberation Sans Narrow (or Arial Narrow) of the same size.
QFont LabelFont(bool bold, bool italic);

// Makes kWindowFont land on a font of its metrics. Where the family is missing (Linux): an
// installed font of similar metrics (Liberation Sans, Arial). On Windows, where it is a bitmap
// font of a few fixed sizes: its outline twin "Microsoft Sans Serif", which draws at every size
// and screen scale. Called once, after the application object is made and before the first
// window is built.
void InstallFontSubstitutes();

// The platform the program asks Qt for (QT_QPA_PLATFORM) unless the user chose one: on Windows
// the native windows with Qt's own FreeType font engine, empty where Qt's default serves. The
// program's entry sets it before the application object is made.
QByteArray PlatformChoice();

} // namespace rz408
