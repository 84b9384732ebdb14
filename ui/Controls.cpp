#include "Controls.h"

#include <QPushButton>

namespace rz408 {

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QFont FormFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8);
    return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const QString& caption, const QString& tip) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    if (!tip.isEmpty()) {
        button->setToolTip(tip);
    }
    // Neither the window's default nor its cancel button.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace rz408
