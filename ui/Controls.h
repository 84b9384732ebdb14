// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What both windows build their controls with: the form font, push buttons as the windows
// use them, and the profiles' UTF-8 texts as Qt text.

#include <QColor>
#include <QFont>
#include <QListWidget>
#include <QRect>
#include <QString>
#include <QStyledItemDelegate>

#include <string_view>

class QPainter;
class QPalette;
class QPushButton;
class QWidget;

namespace rz408 {

// The least contrast of a text with its background that reads well: 4.5 to 1.
inline constexpr double kReadableContrast = 4.5;

// The contrast of two colours, 1 to 21: (L1 + 0.05) / (L2 + 0.05) of their relative
// luminances, the lighter one's above.
double Contrast(const QColor& a, const QColor& b);

// UTF-8 text (the language profiles' texts) as a QString.
QString Text(std::string_view utf8);

// The font of every window text that has none of its own: "MS Sans Serif" 8 point, or the
// substitute of the same metrics that InstallFontSubstitutes() names.
QFont FormFont();

// A push button named NAME on PARENT at PLACE, with CAPTION and TIP (none when empty). It is
// neither the window's default nor its cancel button, and has no access key. With the focus,
// Enter presses it, as Space does. Disabled, its caption is drawn in a grey that still reads
// (kReadableContrast on the button's face).
QPushButton* MakeButton(QWidget* parent, const char* name, const QRect& place,
                        const QString& caption, const QString& tip = QString());

// Makes the program's pictures (":/icons/...", ":/pictures/...") available; safe to call
// more than once. The windows and lists that show them call it themselves.
void LoadPictures();

// The frame that marks the control with the keyboard focus: two pixels in the text colour of
// PALETTE just inside RECT, plainly visible on the background and on a selected entry alike.
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
