// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the windows need of the platform beyond their own controls: the message box, the end
// of the program and centring on the screen. One WindowServices object is made by the
// program's entry and handed to every window.

#include <QString>

class QWidget;

namespace rz408 {

// The program's name: the title of a message box where the platform insists on one.
inline constexpr const char* kProgramName = "RZ408 textconverter";

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
    bool m_ending = false;
};

// Centres the top-level window WINDOW in the available area of its screen (the primary screen
// when it has none yet) when it is shown for the first time, and once more when it is first
// exposed, should a window manager have put a frame round it by then, so that the frame, title
// bar included, stands centred. Call once, before showing.
void CentreWhenFirstShown(QWidget& window);

} // namespace rz408
