// The window font on Linux and other Unix systems.

#include "WindowServices.h"

#include <QFont>
#include <QFontDatabase>

namespace rz408 {

void InstallFontSubstitutes() {
    static const QString kClassic = QStringLiteral("MS Sans Serif");
    if (QFontDatabase::hasFamily(kClassic)) {
        return;
    }
    // Liberation Sans has the metrics of Arial, close to the classic font's.
    QFont::insertSubstitutions(kClassic,
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
}

} // namespace rz408
