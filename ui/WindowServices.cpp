#include "WindowServices.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace rz408 {

void WindowServices::MsgBox(QWidget* parent, const QString& text) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(QString::fromUtf8(ProgramName));
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
    if (ending_) {
        return;
    }
    ending_ = true;
    QApplication::closeAllWindows();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        window->hide();
    }
    QCoreApplication::exit(0);
}

void CentreOnScreen(QWidget& window) {
    QScreen* screen = window.screen();
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return;
    }
    const QRect area = screen->availableGeometry();
    // Before the first showing the frame is not known yet and equals the client area.
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    const int outerWidth = frame.width() > client.width() ? frame.width() : client.width();
    const int outerHeight = frame.height() > client.height() ? frame.height() : client.height();
    window.move(area.x() + (area.width() - outerWidth) / 2,
                area.y() + (area.height() - outerHeight) / 2);
}

namespace {

// Watches one window from its first showing until its frame is known.
class FirstShowCentring : public QObject {
public:
    explicit FirstShowCentring(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) {
            return false;
        }
        if (event->type() == QEvent::Show && !shown_) {
            shown_ = true;
            CentreOnScreen(window_);
        } else if (shown_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
            if (window_.frameGeometry().size() != window_.geometry().size()) {
                window_.removeEventFilter(this);
                CentreOnScreen(window_);
                deleteLater();
            } else if (++events_ > kPatience) {
                window_.removeEventFilter(this); // no frame is coming
                deleteLater();
            }
        }
        return false;
    }

private:
    static constexpr int kPatience = 8;
    QWidget& window_;
    bool shown_ = false;
    int events_ = 0;
};

} // namespace

void CentreWhenFirstShown(QWidget& window) {
    new FirstShowCentring(window);
}

QIcon ProgramIcon() {
    static const QString kIcon = QStringLiteral(":/icons/rz408.png");
    return QFile::exists(kIcon) ? QIcon(kIcon) : QIcon();
}

} // namespace rz408
