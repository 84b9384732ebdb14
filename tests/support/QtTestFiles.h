// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the window tests add to TestFiles.h: UTF-8 texts as QString, whole files in and out by
// QString path, the real dialogs answered from the test side, and the end of the program seen
// from outside.

#include "TestFiles.h"

#include <QApplication>
#include <QByteArray>
#include <QDialog>
#include <QEvent>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QTimer>

#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace rz408::test {

// Names in a folder are bytes, UTF-8 or not, where the file system's own paths are (Linux);
// elsewhere they are UTF-16 text.
inline constexpr bool kNamesAreBytes = std::is_same_v<std::filesystem::path::value_type, char>;

inline QString Utf8Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::filesystem::path PathOf(const QString& path) {
    return std::filesystem::path(path.toStdU16String());
}

// Writes BYTES to PATH; a failure fails the calling test function.
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    try {
        WriteFile(PathOf(path),
                  std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const std::exception& e) {
        QFAIL(e.what());
    }
}

// The bytes of PATH, or "<missing>" (kMissing) when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    return QByteArray::fromStdString(ReadFile(PathOf(path)));
}

// Answers the dialogs that the windows open, as a user does, while it exists. When a dialog
// shows, the answer runs on the next turn of the dialog's own event loop: by default a message
// box's text is noted in `Messages` and the box is closed with Enter on its focused OK button;
// setting `Answer` handles every dialog (a message box too) in its place.
class DialogCatcher : public QObject {
public:
    DialogCatcher() { qApp->installEventFilter(this); }
    ~DialogCatcher() override { qApp->removeEventFilter(this); }
    DialogCatcher(const DialogCatcher&) = delete;
    DialogCatcher& operator=(const DialogCatcher&) = delete;

    QStringList Messages;
    std::function<void(QDialog*)> Answer;

    // Hands every progress dialog to PROGRESS; message boxes are closed as by default, and any
    // other dialog fails the test.
    void AnswerProgress(std::function<void(QProgressDialog*)> progress) {
        Answer = [this, progress = std::move(progress)](QDialog* dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                Close(box);
                return;
            }
            auto* shown = qobject_cast<QProgressDialog*>(dialog);
            QVERIFY(shown);
            progress(shown);
        };
    }

    // Closes message box BOX with Enter, as a user does, noting its text.
    void Close(QMessageBox* box) {
        Messages << box->text();
        QTest::keyClick(box->focusWidget() ? box->focusWidget() : box, Qt::Key_Return);
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Show) {
            return false;
        }
        auto* dialog = qobject_cast<QDialog*>(object);
        if (dialog == nullptr || !dialog->isWindow()) {
            return false;
        }
        QMetaObject::invokeMethod(
            dialog,
            [this, dialog] {
                if (Answer) {
                    Answer(dialog);
                } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
                    Close(box);
                }
            },
            Qt::QueuedConnection);
        return false;
    }
};

// What ExecAround returns when the action left the program running.
inline constexpr int kStillRunning = 99;

// Runs ACTION inside the application's event loop, as the program runs its handlers, and
// returns the loop's exit code: 0 when ACTION ended the program, kStillRunning when the loop
// still ran after it.
inline int ExecAround(const std::function<void()>& action) {
    QObject guard; // its destruction drops a check that the end of the loop left
                   // unrun
    QTimer::singleShot(0, &guard, [&guard, &action] {
        action();
        QMetaObject::invokeMethod(
            &guard, [] { QCoreApplication::exit(kStillRunning); }, Qt::QueuedConnection);
    });
    return QApplication::exec();
}

} // namespace rz408::test
