// SPDX-License-Identifier: GPL-3.0-or-later
// The window font on Linux.

#include "WindowFont.h"

#include <QFontDatabase>
#include <QString>
#include <QStringList>

namespace rz408 {

QByteArray PlatformChoice() {
    return {};
}

void InstallFontSubstitutes() {
    const QString family = QString::fromLatin1(kWindowFont);
    if (QFontDatabase::hasFamily(family)) {
        return;
    }
    // Liberation Sans has the metrics of Arial, close to those of MS Sans Serif.
    QFont::insertSubstitutions(family,
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
}

} // namespace rz408
