// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The push buttons of both windows.

#include <QRect>
#include <QString>

class QPushButton;
class QWidget;

namespace rz408 {

// A push button named NAME on PARENT at PLACE, with CAPTION and TIP (none when empty). It is
// neither the window's default nor its cancel button, and has no access key. With the focus,
// Enter presses it, as Space does. Disabled, its caption is drawn in a grey that still reads
// (kReadableContrast on the button's face).
QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const QString& caption, const QString& tip = QString());

} // namespace rz408
