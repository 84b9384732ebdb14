// SPDX-License-Identifier: GPL-3.0-or-later
#include "Controls.h"

#include <QAbstractItemView>
#include <QKeyEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cmath>

// Q_INIT_RESOURCE must stand outside any namespace.
static void InitPictureResource() {
    Q_INIT_RESOURCE(resources);
}

namespace rz408 {

void LoadPictures() {
    static const bool loaded = [] {
        InitPictureResource();
        return true;
    }();
    (void)loaded;
}

void DrawFocusFrame(QPainter& painter, const QRect& rect, const QPalette& palette) {
    constexpr int kWidth = 2;
    const QColor colour = palette.color(QPalette::Active, QPalette::WindowText);
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    painter.fillRect(QRect(x, y, w, kWidth), colour);
    painter.fillRect(QRect(x, y + h - kWidth, w, kWidth), colour);
    painter.fillRect(QRect(x, y, kWidth, h), colour);
    painter.fillRect(QRect(x + w - kWidth, y, kWidth, h), colour);
}

void FocusFrameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    if (view != nullptr && view->hasFocus() && view->currentIndex() == index) {
        DrawFocusFrame(*painter, option.rect, option.palette);
    }
}

QSize FocusFrameDelegate::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QSize hint = QStyledItemDelegate::sizeHint(option, index);
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget)) {
        hint.setWidth(view->viewport()->width());
    }
    return hint;
}

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new FocusFrameDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
}

bool ListBox::viewportEvent(QEvent* event) {
    // The entries take the new width (a vertical scroll bar came or went).
    if (event->type() == QEvent::Resize) {
        scheduleDelayedItemsLayout();
    }
    return QListWidget::viewportEvent(event);
}

void ListBox::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (hasFocus() && !currentIndex().isValid()) {
        QPainter painter(viewport());
        DrawFocusFrame(painter, viewport()->rect(), palette());
    }
}

QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QFont FormFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8);
    return font;
}

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

double Luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

// The lightest grey that reads on BACK, with a little to spare: a disabled caption that still
// looks disabled.
QColor ReadableGrey(const QColor& back) {
    for (int level = 160; level > 0; --level) {
        const QColor grey(level, level, level);
        if (Contrast(grey, back) >= kReadableContrast + 0.3) {
            return grey;
        }
    }
    return QColor(Qt::black);
}

} // namespace

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
    button->installEventFilter(new EnterPresses(button));
    QPalette palette = button->palette();
    palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                     ReadableGrey(palette.color(QPalette::Disabled, QPalette::Button)));
    button->setPalette(palette);
    return button;
}

} // namespace rz408
