// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The frame that marks the list control with the keyboard focus.

#include <QStyledItemDelegate>

class QPainter;
class QPalette;
class QRect;

namespace rz408 {

// Draws the frame: two pixels in the text colour of PALETTE just inside RECT, plainly visible
// on the background and on a selected entry alike.
void DrawFocusFrame(QPainter& painter, const QRect& rect, const QPalette& palette);

// Draws the entries of a list as usual, and the focus frame around the current entry while
// the list has the keyboard focus. Each entry is as wide as the list shows: a longer text ends
// in the list's ellipsis.
class FocusFrameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace rz408
