// SPDX-License-Identifier: GPL-3.0-or-later
#include "FocusFrame.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPalette>

namespace rz408 {

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

} // namespace rz408
