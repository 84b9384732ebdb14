// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the converter window's folder and file lists have in common.

#include <QListWidget>

namespace rz408 {

// A list of the converter window: one column of entries drawn by a FocusFrameDelegate (or one
// derived from it), no sideways scrolling, a text too long for the list ending in "…". While
// the list has the keyboard focus and no current entry to frame (an empty list), the frame
// runs round the inside of the list.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

} // namespace rz408
