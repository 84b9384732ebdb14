// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the windows need of the platform beyond their own controls: the message box, the end
// of the program, centring on the screen and the window icon. One WindowServices object is
// made by the program's entry and handed to every window.

#include <QByteArray>
#include <QIcon>
#include <QString>

class QWidget;

namespace rz408 {

// The program's name: the title of a message box where the platform insists on one.
inline constexpr const char* ProgramName = "RZ408 textconverter";

class WindowServices {
public:
    // A modal box with TEXT (plain text, shown as it is), one OK button, no icon; Enter or
    // Space closes it. Returns when the user has closed it.
    void MsgBox(QWidget* parent, const QString& text);

    // Ends the program at once: every window closes and the event loop stops, so no further
    // handler runs. A window that ends the program when it is closed may call it again from
    // there: only the first call counts.
    void EndProgram();

private:
    bool ending_ = false;
};

// Moves the top-level window WINDOW so that it stands centred in the available area of its
// screen (the primary screen when it has none yet), its frame included where the frame is
// known. Windows call it before they are first shown.
void CentreOnScreen(QWidget& window);

// Centres WINDOW when it is shown for the first time (CentreOnScreen), and once more when it
// is first exposed, should a window manager have put a frame round it by then, so that the
// frame, title bar included, stands centred. Call once, before showing.
void CentreWhenFirstShown(QWidget& window);

// The window icon of both windows and of the program (":/icons/rz408.png"); a null icon
// while the program carries no such resource.
QIcon ProgramIcon();

// The platform the program asks Qt for (QT_QPA_PLATFORM) unless the user chose one: on Windows
// the native windows with Qt's own FreeType font engine (Fonts_windows.cpp), empty where Qt's
// default serves. The program's entry sets it before the application object is made.
QByteArray PlatformChoice();

// Makes the window font "MS Sans Serif" land on a font of its metrics. Where the family is
// missing (Linux): an installed font of similar metrics (Liberation Sans, Arial). On Windows,
// where it is a bitmap font of a few fixed sizes: its outline twin "Microsoft Sans Serif", which
// draws at every size and screen scale (Fonts_windows.cpp). Called once by whoever makes the
// application object (and by the tests) before the first window is built.
void InstallFontSubstitutes();

} // namespace rz408
