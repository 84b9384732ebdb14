// SPDX-License-Identifier: GPL-3.0-or-later
#include "ListBox.h"

#include "FocusFrame.h"

#include <QEvent>
#include <QPainter>

namespace rz408 {

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

} // namespace rz408
