// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowServices.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace rz408 {

void WindowServices::MsgBox(QWidget* parent, const QString& text) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromUtf8(kProgramName));
    // Names of files may hold '<' or '&': the text is shown as it is, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    ok->setIcon(QIcon());
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    ok->setFocus();
    box.exec();
}

void WindowServices::EndProgram() {
    if (m_ending) {
        return;
    }
    m_ending = true;
    QApplication::closeAllWindows();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    QCoreApplication::exit(0);
}

namespace {

// Moves WINDOW so that it stands centred in the available area of its screen, its frame
// included where the frame is known.
void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen();
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    // The frame that the window manager put round the window, once it is known; before, or
    // without a window manager, none.
    QWindow* handle = window.windowHandle();
    const QMargins frame = handle != nullptr ? handle->frameMargins() : QMargins();
    const QSize outer = window.size().grownBy(frame);
    const QPoint place(area.x() + (area.width() - outer.width()) / 2,
                       area.y() + (area.height() - outer.height()) / 2);
    if (handle != nullptr && !frame.isNull()) {
        handle->setFramePosition(place);
    } else {
        window.move(place);
    }
}

// Centres its window when it is first shown, and once more when the window is first exposed,
// should a window manager have put a frame round it by then: so the frame, title bar
// included, stands centred. Without a window manager that second step changes nothing.
class FirstShowCentring : public QObject {
public:
    explicit FirstShowCentring(QWidget& window) : QObject(&window), m_window(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_window && event->type() == QEvent::Show) {
            m_window.removeEventFilter(this);
            CentreOnScreen(m_window);
            m_handle = m_window.windowHandle();
            if (m_handle != nullptr) {
                m_handle->installEventFilter(this);
            } else {
                deleteLater();
            }
        } else if (watched == m_handle && event->type() == QEvent::Expose &&
                   m_handle->isExposed()) {
            m_handle->removeEventFilter(this);
            if (!m_handle->frameMargins().isNull()) {
                CentreOnScreen(m_window);
            }
            deleteLater();
        }
        return false;
    }

private:
    QWidget& m_window;
    QWindow* m_handle = nullptr;
};

} // namespace

void CentreWhenFirstShown(QWidget& window) {
    new FirstShowCentring(window);
}

} // namespace rz408
