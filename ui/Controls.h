#pragma once

// What both windows build their controls with: the form font, push buttons as the windows
// use them, and the profiles' UTF-8 texts as Qt text.

#include <QFont>
#include <QRect>
#include <QString>

#include <string_view>

class QPushButton;
class QWidget;

namespace rz408 {

// UTF-8 text (the language profiles' texts) as a QString.
QString Text(std::string_view utf8);

// The font of every window text that has none of its own: "MS Sans Serif" 8 point, or the
// substitute of the same metrics that InstallFontSubstitutes() names.
QFont FormFont();

// A push button named NAME on PARENT at PLACE, with CAPTION and TIP (none when empty). It is
// neither the window's default nor its cancel button, and has no access key.
QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const QString& caption, const QString& tip = QString());

} // namespace rz408
