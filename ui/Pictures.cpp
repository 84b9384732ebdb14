// SPDX-License-Identifier: GPL-3.0-or-later
#include "Pictures.h"

#include <QFile>
#include <QString>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitPictureResource() {
    Q_INIT_RESOURCE(resources);
}

namespace rz408 {

void LoadPictures() {
    static const bool kLoaded = [] {
        InitPictureResource();
        return true;
    }();
    (void)kLoaded;
}

QIcon ProgramIcon() {
    static const QString kIcon = QStringLiteral(":/icons/rz408.png");
    return QFile::exists(kIcon) ? QIcon(kIcon) : QIcon();
}

} // namespace rz408
