// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program's pictures: the window icon, the folder pictures of the folder list, the
// smileys and the portrait of the start window (resources/resources.qrc).

#include <QIcon>

namespace rz408 {

// Makes the program's pictures (":/icons/...", ":/pictures/...") available; safe to call
// more than once. The windows and lists that show them call it themselves.
void LoadPictures();

// The window icon of both windows and of the program (":/icons/rz408.png"); a null icon
// while the program carries no such resource.
QIcon ProgramIcon();

} // namespace rz408
