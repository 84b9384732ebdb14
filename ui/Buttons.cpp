// SPDX-License-Identifier: GPL-3.0-or-later
#include "Buttons.h"

#include "Contrast.h"

#include <QKeyEvent>
#include <QPalette>
#include <QPushButton>

namespace rz408 {

namespace {

// Presses the button it watches when Enter (or the keypad's Enter) is pressed on it.
class EnterPresses : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        const auto* key = static_cast<const QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (!enter || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
            return false;
        }
        auto* button = qobject_cast<QPushButton*>(watched);
        // Held down, Enter presses once, as Space does.
        if (button != nullptr && button->isEnabled() && !key->isAutoRepeat()) {
            button->click();
        }
        return true;
    }
};

} // namespace

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
    button->installEventFilter(new EnterPresses(button));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     ReadableGrey(palette.color(QPalette::Disabled, QPalette::Button)));
    button->setPalette(palette);
    return button;
}

} // namespace rz408
