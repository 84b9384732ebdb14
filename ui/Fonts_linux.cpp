// SPDX-License-Identifier: GPL-3.0-or-later
// The window font on Linux.

#include "WindowServices.h"

#include <QFont>
#include <QFontDatabase>

namespace rz408 {

QByteArray PlatformChoice() {
    return {};
}

void InstallFontSubstitutes() {
    static const QString kWindowFont = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::hasFamily(kWindowFont)) {
        return;
    }
    // Liberation Sans has the metrics of Arial, close to those of MS Sans Serif.
    QFont::insertSubstitutions(kWindowFont,
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
}

} // namespace rz408
