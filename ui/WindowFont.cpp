// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFont.h"

#include <QString>
#include <QStringList>

namespace rz408 {

QFont FormFont() {
    QFont font(QString::fromLatin1(kWindowFont));
    font.setPointSizeF(8);
    return font;
}

QFont LabelFont(bool bold, bool italic) {
    // Where the window font is missing, a narrower one: every help text of every language then
    // fits its label with room to spare.
    QFont font;
    font.setFamilies({QString::fromLatin1(kWindowFont), QStringLiteral("Liberation Sans Narrow"),
                      QStringLiteral("Arial Narrow")});
    font.setPointSizeF(9.75);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

} // namespace rz408
